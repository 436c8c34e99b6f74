// The scripted window: its messages, focus, painting and message boxes.
#include "platform/fake/CallLog.h"

namespace fake {

void post(std::uint32_t message, platform::WPARAM wParam,
          platform::LPARAM lParam) {
  state().queue.push_back({state().window, message, wParam, lParam});
}

void loseFocus() {
  auto& s = state();
  s.focus = false;
  s.keyboardAcquired = false;
  post(platform::WM_KILLFOCUS);
  post(platform::WM_PAINT);
}

void gainFocus() {
  state().focus = true;
  post(platform::WM_SETFOCUS);
}

void closeWindow() { post(platform::WM_CLOSE); }

void moveWindow(int clientLeft, int clientTop) {
  auto& r = state().clientRect;
  r = {clientLeft, clientTop, clientLeft + 320, clientTop + 240};
}

}  // namespace fake

namespace platform {

void registerClass(const WindowClass& windowClass) {
  fake::log("registerClass");
  fake::state().windowProc = windowClass.windowProc;
}

Handle createWindow(const char*, const char*, std::uint32_t, int width,
                    int height, bool fullScreen, Handle) {
  auto& s = fake::state();
  if (fake::log("createWindow", fake::Fault::createWindow)) return 0;
  s.windowWidth = width;
  s.windowHeight = height;
  s.windowFullScreen = fullScreen;
  s.window = fake::handles::window;
  if (s.windowProc) s.windowProc(s.window, WM_CREATE, 0, 0);
  if (s.focusOnCreate) {
    s.focus = true;
    if (s.windowProc) s.windowProc(s.window, WM_SETFOCUS, 0, 0);
  }
  return s.window;
}
void getWindowRect(Handle, Rect* rect) {
  auto& s = fake::state();
  fake::log("getWindowRect");
  *rect = {s.clientRect.left - s.frameLeft, s.clientRect.top - s.frameTop,
           s.clientRect.right + s.frameRight,
           s.clientRect.bottom + s.frameBottom};
}

void adjustWindowRect(Rect* rect, std::uint32_t) {
  auto& s = fake::state();
  rect->left -= s.frameLeft;
  rect->top -= s.frameTop;
  rect->right += s.frameRight;
  rect->bottom += s.frameBottom;
}

void showCursor(bool show) {
  fake::log(show ? "showCursor 1" : "showCursor 0");
  fake::state().cursorShown = show;
}

bool peekMessage(MSG* message) {
  auto& s = fake::state();
  if (s.queue.empty()) return false;
  *message = s.queue.front();
  s.queue.pop_front();
  // Taking the repaint request makes the window invalid until it is painted,
  // as on the real layer.
  if (message->message == WM_PAINT) s.invalid = true;
  return true;
}

bool waitMessage(int) {
  auto& s = fake::state();
  ++s.waits;
  if (s.queue.empty() && s.onWait) s.onWait();
  return !s.queue.empty();
}

bool quitPending() {
  for (const MSG& message : fake::state().queue)
    if (message.message == WM_CLOSE || message.message == WM_DESTROY ||
        message.message == WM_QUIT)
      return true;
  return false;
}

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
  auto& s = fake::state();
  if (!s.windowProc || message.hwnd != s.window) return 0;
  return s.windowProc(message.hwnd, message.message, message.wParam,
                      message.lParam);
}

LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM, LPARAM) {
  auto& s = fake::state();
  if (message == WM_CLOSE && !s.destroyed) {
    fake::log("destroyWindow");
    s.destroyed = true;
    if (s.windowProc) s.windowProc(window, WM_DESTROY, 0, 0);
  }
  return 0;
}

void postMessage(Handle window, std::uint32_t message, WPARAM wParam,
                 LPARAM lParam) {
  fake::state().queue.push_back({window, message, wParam, lParam});
}

namespace {
std::uint32_t textColour = 0;
int bkMode = 2;
bool painting = false;
}  // namespace

Handle beginPaint(Handle) {
  fake::log("beginPaint");
  painting = fake::state().invalid;
  return fake::handles::paintDc;
}
void setBkMode(Handle, int mode) { bkMode = mode; }
void setTextColor(Handle, std::uint32_t rgb) { textColour = rgb; }
void setBkColor(Handle, std::uint32_t) {}
void textOut(Handle, int x, int y, const char* text, int length) {
  fake::log("textOut");
  // Text reaches the screen only where the window was invalid.
  if (painting)
    fake::state().textDrawn.push_back(
        {x, y, std::string(text, length), textColour, bkMode});
}
void endPaint(Handle, Handle) {
  fake::log("endPaint");
  fake::state().invalid = false;
  painting = false;
}

int messageBox(const char* text, const char* caption, std::uint32_t) {
  fake::log(std::string("messageBox ") + text);
  fake::state().messageBoxes.push_back({text, caption});
  return 1;
}

std::uint32_t getTickCount() { return fake::state().tickCount; }

}  // namespace platform
