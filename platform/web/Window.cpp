// The game's window in the browser: the page's canvas, its queue of window
// messages (kept by the page's script, which turns focus changes and repaint
// requests into messages), the repaint of the pause message, message boxes
// as an in-page dialog, and the tick count.
#include <cstdint>

#include "platform/Platform.h"
#include "platform/common/MessageQueue.h"
#include "platform/common/memory/Painting.h"
#include "platform/web/Browser.h"
#include "platform/web/WebSide.h"

namespace platform {
namespace {

constexpr Handle windowHandle = 1;

// How long each look for the focus waits before asking for it again.
constexpr int focusPollMs = 250;

WindowProc windowProcedure = nullptr;
bool created = false;
bool destroyed = false;
bool invalid = false;  // a repaint request was taken and not yet answered

}  // namespace

namespace web {
bool windowDestroyed() { return destroyed; }
}  // namespace web

void registerClass(const WindowClass& windowClass) {
  windowProcedure = windowClass.windowProc;
}

Handle createWindow(const char*, const char* caption, std::uint32_t, int, int,
                    bool, Handle) {
  if (created) return windowHandle;  // the game has one window
  if (fbweb_openCanvas(caption != nullptr ? caption : "") == 0) return 0;
  for (const web::BrowserKey& key : web::browserKeys)
    fbweb_addKey(key.code, key.dik);
  created = true;
  if (windowProcedure) windowProcedure(windowHandle, WM_CREATE, 0, 0);

  // The devices opened next need a window with the keyboard focus. A page
  // opened in the background gets it only when the player clicks the game,
  // however long that takes; meanwhile the browser runs on.
  while (fbweb_takeFocus() == 0) fbweb_waitInput(focusPollMs);
  if (windowProcedure) windowProcedure(windowHandle, WM_SETFOCUS, 0, 0);
  return windowHandle;
}

void getWindowRect(Handle, Rect* rect) {
  // The canvas is the client area; the page has no frame around it.
  *rect = created ? Rect{0, 0, 320, 240} : Rect{0, 0, 0, 0};
}

void adjustWindowRect(Rect*, std::uint32_t) {}

void showCursor(bool show) { fbweb_showCursor(show ? 1 : 0); }

bool peekMessage(MSG* message) {
  std::uint32_t type = 0;
  std::int32_t wParam = 0, lParam = 0;
  if (fbweb_takeMessage(&type, &wParam, &lParam) == 0) return false;
  if (type == WM_PAINT) invalid = true;
  *message = {windowHandle, type, static_cast<WPARAM>(wParam),
              static_cast<LPARAM>(lParam)};
  return true;
}

bool waitMessage(int timeoutMs) {
  web::waited();
  if (fbweb_messagesWaiting() != 0) return true;
  return fbweb_waitMessage(timeoutMs < 0 ? 0 : timeoutMs) != 0;
}

// A page has no close request or termination signal of its own: only what
// the game itself posted can be waiting.
bool quitPending() { return fbweb_quitPending() != 0; }

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
  return common::dispatchTo(windowProcedure, windowHandle, destroyed, message);
}

LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM, LPARAM) {
  if (message == WM_CLOSE && !destroyed && window == windowHandle) {
    destroyed = true;
    if (windowProcedure) windowProcedure(window, WM_DESTROY, 0, 0);
  }
  return 0;
}

void postMessage(Handle, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  fbweb_postMessage(message, static_cast<std::int32_t>(wParam),
                    static_cast<std::int32_t>(lParam));
}

// Painting (platform/common/memory/Painting.cpp): the text goes onto the
// canvas over the last picture; while the game runs, the next frame fills the
// canvas anyway.
bool memory::paintWanted() { return invalid && !destroyed; }
void memory::showPaintedText(const char* text, int length, int x, int y,
                             std::uint32_t colour) {
  fbweb_showText(text, length, x, y, colour);
}
void memory::painted() { invalid = false; }

int messageBox(const char* text, const char* caption, std::uint32_t) {
  fbweb_messageBox(text != nullptr ? text : "",
                   caption != nullptr ? caption : "");
  return 1;
}

std::uint32_t getTickCount() { return fbweb_tickCount(); }

}  // namespace platform
