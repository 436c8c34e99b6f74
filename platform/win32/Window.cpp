// The game's window on Windows and its message queue. The window procedure
// of a real window class turns the system's messages into the few window
// messages the game knows; they wait in a queue of the side's own and reach
// the game one at a time through its message pump, as on the other sides.
// Key messages go to the keyboard on the way.
#include <algorithm>
#include <cstdio>

#include "platform/Platform.h"
#include "platform/common/MessageQueue.h"
#include "platform/win32/Win32Side.h"

namespace platform {
namespace {

constexpr Handle windowHandle = 1;

// How long creating the window waits for it to be shown with the focus.
constexpr DWORD focusWaitMs = 2000;

// What Ctrl+C, Ctrl+Break or the end of the console session becomes: posted
// to the thread from the handler's own thread, taken as WM_QUIT.
constexpr UINT quitRequest = WM_APP + 1;

WindowProc windowProcedure = nullptr;
HWND gameWindow = nullptr;
DWORD gameThread = 0;
bool fullScreen = false;
bool destroyed = false;
bool invalid = false;
bool hasFocus = false;
common::MessageQueue queue;

// While createWindow waits, the focus is given to the window procedure at
// once, as a new active window receives it before its creation returns.
bool focusDeliveredNow = false;

// Windowed: the smallest client area the player may resize it to.
POINT minimumClient{0, 0};

// The whole factor a new window's client area of width by height is
// enlarged by: the largest that keeps it within three quarters of a work
// area of areaWidth by areaHeight, at least 1.
int windowedScale(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0) return 1;
  return std::max(
      1, std::min(areaWidth * 3 / 4 / width, areaHeight * 3 / 4 / height));
}

void push(std::uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0) {
  queue.push({windowHandle, message, wParam, lParam});
}

LRESULT CALLBACK systemProcedure(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      hasFocus = true;
      if (focusDeliveredNow) {
        if (windowProcedure) windowProcedure(windowHandle, WM_SETFOCUS, 0, 0);
      } else {
        push(WM_SETFOCUS);
      }
      return 0;
    case WM_KILLFOCUS:
      hasFocus = false;
      win32::forgetKeys();
      push(WM_KILLFOCUS);
      // The pause message has to appear now.
      push(WM_PAINT);
      return 0;
    case WM_PAINT: {
      // The system keeps asking until the window is validated; the game
      // answers the request when it takes it off its queue. Meanwhile the
      // last picture is put back.
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      win32::redrawLastFrame(nullptr, 0, 0, 0, 0);
      push(WM_PAINT);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // every picture covers the whole client area
    case WM_GETMINMAXINFO: {
      // Windowed, never smaller than the picture itself.
      if (minimumClient.x <= 0) break;
      RECT frame{0, 0, minimumClient.x, minimumClient.y};
      AdjustWindowRectEx(
          &frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)),
          FALSE, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left,
                                frame.bottom - frame.top};
      return 0;
    }
    case WM_SIZE:
      push(WM_SIZE, 0, lParam & 0xFFFFFFFF);
      return 0;
    case WM_CLOSE:
      push(WM_CLOSE);
      return 0;
    case WM_DESTROY:
      if (windowProcedure) windowProcedure(windowHandle, WM_DESTROY, 0, 0);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      win32::keyMessage(message, lParam);
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      // Alt+F4 still closes the window.
      win32::keyMessage(message, lParam);
      break;
    case WM_SYSCOMMAND:
      // No menu opens on Alt or F10 and no screen saver starts meanwhile.
      if ((wParam & 0xFFF0) == SC_KEYMENU || (wParam & 0xFFF0) == SC_SCREENSAVE)
        return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

BOOL WINAPI consoleControl(DWORD) {
  PostThreadMessageA(gameThread, quitRequest, 0, 0);
  return TRUE;
}

// Takes one system message off the queue and hands it on: true when there
// was one. A request to end the program comes back as `*quit`.
bool takeSystemMessage(bool* quit) {
  ::MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT || message.message == quitRequest) {
    *quit = true;
    return true;
  }
  DispatchMessageA(&message);
  return true;
}

// Hands the system's messages on until the game's queue has one or the
// system's is empty.
void pumpSystem() {
  while (queue.empty()) {
    bool quit = false;
    if (!takeSystemMessage(&quit)) return;
    if (quit) queue.push({0, WM_QUIT, 0, 0});
  }
}

}  // namespace

namespace win32 {
HWND window() { return gameWindow; }
bool windowFullScreen() { return fullScreen; }
bool windowDestroyed() { return destroyed; }
bool windowHasFocus() {
  return gameWindow != nullptr && !destroyed && hasFocus &&
         GetFocus() == gameWindow;
}
bool windowInvalid() { return invalid; }
void validateWindow() { invalid = false; }

void takeKeyMessages() {
  if (gameWindow == nullptr) return;
  ::MSG message;
  while (PeekMessageA(&message, gameWindow, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
    DispatchMessageA(&message);
}
}  // namespace win32

void registerClass(const WindowClass& windowClass) {
  windowProcedure = windowClass.windowProc;
  WNDCLASSEXA system{};
  system.cbSize = sizeof system;
  // Redrawn whole when resized: the picture is centred.
  system.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW | windowClass.style;
  system.lpfnWndProc = systemProcedure;
  system.hInstance = GetModuleHandleA(nullptr);
  system.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(windowClass.icon));
  system.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(windowClass.cursor));
  system.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  system.lpszClassName = windowClass.className;
  RegisterClassExA(&system);
}

Handle createWindow(const char* className, const char* caption,
                    std::uint32_t style, int clientWidth, int clientHeight,
                    bool fullScreenWindow, Handle) {
  if (gameWindow != nullptr) return windowHandle;  // the game has one window
  gameThread = GetCurrentThreadId();
  SetConsoleCtrlHandler(consoleControl, TRUE);

  DWORD windowStyle = 0;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  int width = clientWidth, height = clientHeight;
  if (fullScreenWindow) {
    // Borderless over the whole primary monitor: no mode switch.
    windowStyle = WS_POPUP;
    x = y = 0;
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  } else {
    // Resizable, with the client area the game asks for enlarged by the
    // largest whole factor that leaves it within three quarters of the work
    // area (the desktop less the taskbar), centred on it: 320 by 240 pixels
    // alone would be a postage stamp. The display scales the picture to
    // match.
    windowStyle = style & (WS_CAPTION | WS_MINIMIZEBOX);
    windowStyle |= WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int scale =
        windowedScale(clientWidth, clientHeight, area.right - area.left,
                      area.bottom - area.top);
    RECT frame{0, 0, clientWidth * scale, clientHeight * scale};
    AdjustWindowRect(&frame, windowStyle, FALSE);
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
    x = area.left + std::max(0L, (area.right - area.left - width) / 2);
    y = area.top + std::max(0L, (area.bottom - area.top - height) / 2);
    minimumClient = {clientWidth, clientHeight};
  }
  gameWindow =
      CreateWindowExA(0, className, caption, windowStyle, x, y, width, height,
                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (gameWindow == nullptr) {
    std::fprintf(stderr, "Fusebound: no window (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
    return 0;
  }
  fullScreen = fullScreenWindow;
  if (windowProcedure) windowProcedure(windowHandle, WM_CREATE, 0, 0);

  // Showing the window makes it active and gives it the focus; the devices
  // opened next need that. Where the system lets it come later (another
  // program in front), wait for it, bounded.
  focusDeliveredNow = true;
  ShowWindow(gameWindow, SW_SHOW);
  SetForegroundWindow(gameWindow);
  SetFocus(gameWindow);
  UpdateWindow(gameWindow);
  const DWORD start = GetTickCount();
  while (!hasFocus) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= focusWaitMs) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, focusWaitMs - waited,
                              QS_ALLINPUT);
    ::MSG message;
    while (!hasFocus && PeekMessageA(&message, gameWindow, 0, 0, PM_REMOVE))
      DispatchMessageA(&message);
  }
  focusDeliveredNow = false;
  return windowHandle;
}

void getWindowRect(Handle, Rect* rect) {
  RECT r{};
  if (gameWindow == nullptr || !GetWindowRect(gameWindow, &r)) {
    *rect = {0, 0, 0, 0};
    return;
  }
  *rect = {r.left, r.top, r.right, r.bottom};
}

void adjustWindowRect(Rect* rect, std::uint32_t) {
  if (gameWindow == nullptr) return;
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  AdjustWindowRectEx(
      &r, static_cast<DWORD>(GetWindowLongPtrA(gameWindow, GWL_STYLE)), FALSE,
      static_cast<DWORD>(GetWindowLongPtrA(gameWindow, GWL_EXSTYLE)));
  *rect = {r.left, r.top, r.right, r.bottom};
}

void showCursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

bool peekMessage(MSG* message) {
  pumpSystem();
  if (queue.empty()) return false;
  *message = queue.pop();
  if (message->message == WM_PAINT) invalid = true;
  return true;
}

bool waitMessage(int timeoutMs) {
  pumpSystem();
  if (!queue.empty()) return true;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= static_cast<DWORD>(timeoutMs)) return false;
    MsgWaitForMultipleObjects(
        0, nullptr, FALSE, static_cast<DWORD>(timeoutMs) - waited, QS_ALLINPUT);
    pumpSystem();
    if (!queue.empty()) return true;
  }
}

bool quitPending() {
  if (queue.quitWaiting()) return true;
  // Looking lets messages sent to the window reach its procedure.
  ::MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  if (queue.quitWaiting()) return true;
  if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) ||
      PeekMessageA(&message, nullptr, quitRequest, quitRequest, PM_NOREMOVE) ||
      PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
    return true;
  return PeekMessageA(&message, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND,
                      PM_NOREMOVE) &&
         (message.wParam & 0xFFF0) == SC_CLOSE;
}

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
  return common::dispatchTo(windowProcedure, windowHandle, destroyed, message);
}

LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM, LPARAM) {
  if (message == WM_CLOSE && !destroyed && window == windowHandle) {
    // The window procedure hears of it (WM_DESTROY) while it goes.
    destroyed = true;
    if (gameWindow != nullptr) DestroyWindow(gameWindow);
  }
  return 0;
}

void postMessage(Handle window, std::uint32_t message, WPARAM wParam,
                 LPARAM lParam) {
  queue.push({window, message, wParam, lParam});
}

int messageBox(const char* text, const char* caption, std::uint32_t type) {
  // Every box the game shows ends it. A window covering the monitor could
  // hide the box, so it goes out of the way first.
  if (gameWindow != nullptr && fullScreen && !destroyed)
    ShowWindow(gameWindow, SW_HIDE);
  const int answer =
      MessageBoxA(nullptr, text, caption, type | MB_SETFOREGROUND);
  if (answer != 0) return answer;
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return 0;
}

std::uint32_t getTickCount() { return GetTickCount(); }

}  // namespace platform
