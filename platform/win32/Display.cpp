// The display on Windows, through GDI. Full screen, the flip chain is a front
// and a back picture in memory (platform/common/memory/FlipChain.h, with the
// calls that only check and record); a flip shows the new front picture with
// StretchDIBits (16-bit, 5-6-5 bit fields), scaled by the largest whole
// factor that fits the window and centred on black. Windowed, a copy to the
// primary surface is shown the same way, so that it fills a window opened
// at a whole multiple of its size and stays crisp and centred when the
// player resizes it. Frames are
// paced to 60 a second on the high-resolution counter, whatever the
// screen's rate. GDI keeps no surfaces of its own, so none is ever lost.
//
// Painting (the pause message) writes its text onto a copy of the last
// picture, a DIB section of the same format, which is then shown the same
// way.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "platform/common/FramePacer.h"
#include "platform/common/Pictures.h"
#include "platform/common/memory/FlipChain.h"
#include "platform/common/memory/Painting.h"
#include "platform/win32/Win32Side.h"

namespace platform {
namespace {

using common::copyInto;
using common::directDrawHandle;
using common::pictureHeight;
using common::pictureWidth;

using memory::chain;
using memory::primaryHandle;
constexpr int fontPixels = 13;

common::FramePacer pacer;
bool shownSinceWait = false;

// The screen shows `front` as it is (no pause message over it): a flip to an
// equal picture has nothing to draw.
bool screenShowsFront = false;

// Windowed: where in the client area the last picture went.
int windowedX = 0, windowedY = 0;

// The picture's description for StretchDIBits: top-down rows, 16 bits, the
// 5-6-5 masks after the header.
struct PictureInfo {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};
const PictureInfo pictureInfo{
    {sizeof(BITMAPINFOHEADER), pictureWidth, -pictureHeight, 1, 16,
     BI_BITFIELDS, 0, 0, 0, 0, 0},
    {0xF800, 0x07E0, 0x001F}};

// The copy painting writes on.
HDC paintMemory = nullptr;
HBITMAP paintBitmap = nullptr;
std::uint16_t* paintPixels = nullptr;
HFONT paintFont = nullptr;

// For measuring (bench/wine.sh): with FUSEBOUND_PRESENT_LOG naming a file,
// the time at which each frame's wait for its deadline ends is kept and
// written there when the display is released, one "wake <ns>" line each
// (as the Linux side's measuring tool writes them).
constexpr int wakeCapacity = 1 << 16;
std::int64_t wakeTimes[wakeCapacity];
int wakeCount = 0;
bool logWakes = false;

void writeWakeLog() {
  char path[MAX_PATH];
  const DWORD length =
      GetEnvironmentVariableA("FUSEBOUND_PRESENT_LOG", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    for (int i = 0; i < wakeCount; ++i)
      std::fprintf(file, "wake %lld\n", static_cast<long long>(wakeTimes[i]));
    std::fclose(file);
  }
}

bool canShow() {
  return win32::window() != nullptr && !win32::windowDestroyed();
}

// Shows `pixels` (a 320 by 240 picture) in the window scaled by the largest
// whole factor that fits, centred with black around; windowed, moved by
// where the game put it in the client area (scaled the same way).
void show(const std::uint16_t* pixels) {
  if (!canShow()) return;
  HWND window = win32::window();
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  const int scale =
      std::max(1, std::min(width / pictureWidth, height / pictureHeight));
  int x = (width - pictureWidth * scale) / 2;
  int y = (height - pictureHeight * scale) / 2;
  if (!chain.flipChain) {
    x += windowedX * scale;
    y += windowedY * scale;
  }
  const int right = x + pictureWidth * scale;
  const int bottom = y + pictureHeight * scale;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  // Black around the picture.
  PatBlt(dc, 0, 0, width, std::max(y, 0), BLACKNESS);
  PatBlt(dc, 0, bottom, width, height - bottom, BLACKNESS);
  PatBlt(dc, 0, y, std::max(x, 0), bottom - y, BLACKNESS);
  PatBlt(dc, right, y, width - right, bottom - y, BLACKNESS);
  StretchDIBits(dc, x, y, pictureWidth * scale, pictureHeight * scale, 0, 0,
                pictureWidth, pictureHeight, pixels,
                reinterpret_cast<const BITMAPINFO*>(&pictureInfo),
                DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window, dc);
}

// A frame was handed to the screen: wait until the next one is due.
void paceAfterShowing() {
  shownSinceWait = true;
  win32::sleepUntil(pacer.shown(win32::nowNanoseconds()));
  if (logWakes && wakeCount < wakeCapacity)
    wakeTimes[wakeCount++] = win32::nowNanoseconds();
}

bool makePaintCopy() {
  if (paintMemory != nullptr) return true;
  HDC screen = GetDC(nullptr);
  paintMemory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (paintMemory == nullptr) return false;
  void* bits = nullptr;
  paintBitmap = CreateDIBSection(
      paintMemory, reinterpret_cast<const BITMAPINFO*>(&pictureInfo),
      DIB_RGB_COLORS, &bits, nullptr, 0);
  if (paintBitmap == nullptr) return false;
  paintPixels = static_cast<std::uint16_t*>(bits);
  SelectObject(paintMemory, paintBitmap);
  // Tahoma is on every Windows since 2000 (Wine brings its own); without
  // smoothing the letters stay the colour they are drawn in.
  paintFont =
      CreateFontA(-fontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
  if (paintFont != nullptr) SelectObject(paintMemory, paintFont);
  SetBkMode(paintMemory, TRANSPARENT);
  return true;
}

}  // namespace

namespace win32 {
std::int64_t nowNanoseconds() {
  static LARGE_INTEGER frequency{};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const std::int64_t seconds = now.QuadPart / frequency.QuadPart;
  const std::int64_t rest = now.QuadPart % frequency.QuadPart;
  return seconds * common::FramePacer::second +
         rest * common::FramePacer::second / frequency.QuadPart;
}

void sleepUntil(std::int64_t deadline) {
  // Sleep keeps whole milliseconds (the system's timer is set to 1 ms while
  // the display is open). Waking within half a millisecond of the deadline,
  // early or late, is close enough: the deadlines are absolute, so the rate
  // stays exact, and nothing spins.
  for (;;) {
    const std::int64_t left = deadline - nowNanoseconds();
    if (left <= 500'000) return;
    Sleep(static_cast<DWORD>(std::max<std::int64_t>(1, left / 1'000'000)));
  }
}

void redrawLastFrame(const char* text, int length, int x, int y,
                     std::uint32_t colour) {
  if (!chain.primaryMade || !canShow()) return;
  if (text == nullptr || length <= 0 || !makePaintCopy()) {
    show(chain.front);
    return;
  }
  screenShowsFront = false;
  std::memcpy(paintPixels, chain.front, memory::pictureBytes);
  SetTextColor(paintMemory, colour);
  TextOutA(paintMemory, x, y, text, length);
  GdiFlush();
  show(paintPixels);
}
}  // namespace win32

HRESULT directDrawCreate(Handle* directDraw) {
  if (win32::window() == nullptr) return E_FAIL;
  // Sleeps of one millisecond keep the frames on time.
  if (!chain.opened) timeBeginPeriod(1);
  chain.opened = true;
  logWakes = GetEnvironmentVariableA("FUSEBOUND_PRESENT_LOG", nullptr, 0) != 0;
  *directDraw = directDrawHandle;
  return DD_OK;
}

HRESULT ddSetDisplayMode(Handle directDraw, int width, int height,
                         int bitsPerPixel) {
  if (directDraw != directDrawHandle || !chain.opened) return E_FAIL;
  // The mode is not switched: the picture is scaled onto the monitor as it
  // is, which only has to be large enough.
  RECT client{};
  if (win32::window() == nullptr || !GetClientRect(win32::window(), &client))
    return E_FAIL;
  return bitsPerPixel == 16 && width == pictureWidth &&
                 height == pictureHeight && client.right >= width &&
                 client.bottom >= height
             ? DD_OK
             : E_FAIL;
}

void memory::copyToWindow(const Rect& destination, const std::uint16_t* pixels,
                          int sourcePitch, const Rect& source) {
  // Windowed: the target is the desktop; the picture goes where the
  // destination lies in the client area.
  if (!canShow()) return;
  POINT origin{0, 0};
  ClientToScreen(win32::window(), &origin);
  windowedX = destination.left - origin.x;
  windowedY = destination.top - origin.y;
  copyInto(chain.front, {0, 0, pictureWidth, pictureHeight}, pixels,
           sourcePitch, source);
  show(chain.front);
  paceAfterShowing();
}

HRESULT ddFlip(Handle primary) {
  if (primary != primaryHandle || !chain.flipChain) return E_FAIL;
  if (!canShow()) return DD_OK;  // nothing left to show it on
  std::swap(chain.front, chain.back);
  // Standing still, most frames are the one on the screen already.
  if (!screenShowsFront ||
      std::memcmp(chain.front, chain.back, memory::pictureBytes) != 0)
    show(chain.front);
  screenShowsFront = true;
  paceAfterShowing();
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle directDraw) {
  if (directDraw != directDrawHandle || !chain.opened) return E_FAIL;
  // The wait came after the last picture shown; without one since, wait for
  // the next deadline.
  if (!shownSinceWait && canShow())
    win32::sleepUntil(pacer.schedule(win32::nowNanoseconds()));
  shownSinceWait = false;
  return DD_OK;
}

void ddRelease(Handle object) {
  if (object == directDrawHandle && chain.opened) {
    timeEndPeriod(1);
    if (logWakes) writeWakeLog();
  }
  chain.release(object);
}

// ---------------------------------------------------------------- painting

// The text drawn (platform/common/memory/Painting.cpp) goes over a copy of
// the last picture.
bool memory::paintWanted() {
  return win32::windowInvalid() && !win32::windowDestroyed();
}
void memory::showPaintedText(const char* text, int length, int x, int y,
                             std::uint32_t colour) {
  win32::redrawLastFrame(text, length, x, y, colour);
}
void memory::painted() { win32::validateWindow(); }

}  // namespace platform
