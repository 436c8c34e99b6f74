// Placeholder SDL window and display: answers every call with success and shows
// nothing.
#include "platform/Platform.h"

namespace platform {
void registerClass(const WindowClass&) {}
Handle createWindow(const char*, const char*, std::uint32_t, int, int, bool,
                    Handle) {
  return 1;
}
void getWindowRect(Handle, Rect* r) { *r = {0, 0, 320, 240}; }
void adjustWindowRect(Rect*, std::uint32_t) {}
void showCursor(bool) {}
bool peekMessage(MSG*) { return false; }
bool waitMessage(int) { return false; }
void translateMessage(const MSG&) {}
LRESULT dispatchMessage(const MSG&) { return 0; }
LRESULT defWindowProc(Handle, std::uint32_t, WPARAM, LPARAM) { return 0; }
void postMessage(Handle, std::uint32_t, WPARAM, LPARAM) {}
Handle beginPaint(Handle) { return 1; }
void setBkMode(Handle, int) {}
void setTextColor(Handle, std::uint32_t) {}
void setBkColor(Handle, std::uint32_t) {}
void textOut(Handle, int, int, const char*, int) {}
void endPaint(Handle, Handle) {}
int messageBox(const char*, const char*, std::uint32_t) { return 1; }
std::uint32_t getTickCount() { return 0; }
HRESULT directDrawCreate(Handle* h) {
  *h = 1;
  return 0;
}
HRESULT ddSetCooperativeLevel(Handle, Handle, std::uint32_t) { return 0; }
HRESULT ddSetDisplayMode(Handle, int, int, int) { return 0; }
HRESULT ddCreatePrimarySurface(Handle, bool, Handle* h) {
  *h = 1;
  return 0;
}
HRESULT ddGetAttachedBackBuffer(Handle, Handle* h) {
  *h = 2;
  return 0;
}
HRESULT ddGetPixelFormat(Handle, PixelMasks* m) {
  *m = {0xF800, 0x07E0, 0x1F};
  return 0;
}
HRESULT ddCreateOffscreenSurface(Handle, int, int, std::uint16_t**) {
  return E_FAIL;
}
HRESULT ddBltFromMemory(Handle, const Rect&, const std::uint16_t*, int,
                        const Rect&) {
  return 0;
}
HRESULT ddBltSurface(Handle, const Rect&, Handle, const Rect&) { return 0; }
HRESULT ddFlip(Handle) { return 0; }
HRESULT ddWaitForVerticalBlank(Handle) { return 0; }
HRESULT ddIsLost(Handle) { return 0; }
HRESULT ddRestore(Handle) { return 0; }
void ddRelease(Handle) {}
}  // namespace platform
