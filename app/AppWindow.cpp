#include "app/AppWindow.h"

#include <cstring>

#include "video/Graphics.h"

using namespace platform;

AppWindow::AppWindow() : instance(0), window(0), active(0), quit(0) {}

void AppWindow::create(Handle instanceHandle) {
  WindowClass windowClass{};
  windowClass.style = CS_OWNDC | CS_DBLCLKS;
  windowClass.windowProc = windowProc;
  windowClass.icon = IDI_ASTERISK;
  windowClass.cursor = IDC_ARROW;
  windowClass.className = windowClassName;
  registerClass(windowClass);

  const Handle created =
      createWindow(windowClassName, windowCaption, windowStyle, clientWidth,
                   clientHeight, windowedMode == 0, instanceHandle);
  if (windowedMode == 0) showCursor(false);
  instance = instanceHandle;
  window = created;
}

namespace {
void paint(Handle window) {
  const Handle dc = beginPaint(window);
  setBkMode(dc, TRANSPARENT);
  setTextColor(dc, 0xFFFFFF);
  setBkColor(dc, 0);
  if (appWindow.active == 0)
    textOut(dc, 60, 110, pauseMessage,
            static_cast<int>(std::strlen(pauseMessage)));
  endPaint(window, dc);
}
}  // namespace

LRESULT windowProc(Handle window, std::uint32_t message, WPARAM wParam,
                   LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      appWindow.quit = 1;
      return 0;
    case WM_SIZE:
      return 0;
    case WM_SETFOCUS:
      appWindow.active = 1;
      return defWindowProc(window, message, wParam, lParam);
    case WM_KILLFOCUS:
      appWindow.active = 0;
      paint(window);
      return 0;
    case WM_PAINT:
      paint(window);
      return 0;
    default:
      return defWindowProc(window, message, wParam, lParam);
  }
}

LRESULT pumpMessage() {
  if (!peekMessage(&appWindow.lastMessage)) return 0;
  if (appWindow.lastMessage.message == WM_QUIT) {
    postMessage(appWindow.window, WM_DESTROY, 0, 0);
    appWindow.quit = 1;
  }
  translateMessage(appWindow.lastMessage);
  return dispatchMessage(appWindow.lastMessage);
}
