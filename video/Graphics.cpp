// The display: start-up, the pixel format, the composition surface and the
// presentation of each finished frame.
#include "video/Graphics.h"

#include <initializer_list>

#include "app/AppWindow.h"
#include "app/Game.h"

using namespace platform;

namespace {

constexpr Rect frameRect{0, 0, frameWidth, frameHeight};

// A flip refused this many times in a row gives the frame up; the next
// present's copy then finds the lost surfaces and restores them.
constexpr int flipAttempts = 3;

// While the window is in the background, present sleeps in waits of this
// length for the next message; each wait also ends early when one arrives.
constexpr int inactiveWaitMs = 100;

}  // namespace

Graphics::~Graphics() { release(); }

bool Graphics::init() {
  if (directDrawCreate(&directDraw) != DD_OK)
    return showStartupFailure("Couldn't Access VideoCard!");
  if (windowedMode) {
    ddSetCooperativeLevel(directDraw, appWindow.window, DDSCL_NORMAL);
  } else {
    ddSetCooperativeLevel(
        directDraw, appWindow.window,
        DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT);
    if (ddSetDisplayMode(directDraw, frameWidth, frameHeight, 16) != DD_OK)
      return showStartupFailure("Couldn't Set Video Mode!");
  }
  if (ddCreatePrimarySurface(directDraw, windowedMode == 0, &primarySurface) !=
      DD_OK)
    return showStartupFailure("Couldn't Create Primary Surfaces!");
  // Without a back buffer nothing could ever be shown: the flip chain counts
  // as not made.
  if (windowedMode == 0 &&
      ddGetAttachedBackBuffer(primarySurface, &backBuffer) != DD_OK)
    return showStartupFailure("Couldn't Create Primary Surfaces!");
  if (readPixelFormat(primarySurface) == 0)
    return showStartupFailure("You must run in 16 bit color!");
  compositionSurface = createSurface(compositionWidth, compositionHeight, 0, 0);
  return true;
}

int Graphics::readPixelFormat(Handle surface) {
  PixelMasks masks{};
  if (ddGetPixelFormat(surface, &masks) != DD_OK) return 0;
  redMask = masks.red;
  greenMask = masks.green;
  blueMask = masks.blue;
  if (redMask == 0 || greenMask == 0 || blueMask == 0) return 0;
  const std::uint32_t channelMasks[3] = {blueMask, greenMask, redMask};
  for (int channel : {channelRed, channelGreen, channelBlue}) {
    std::uint32_t mask = channelMasks[channel];
    std::uint8_t shift = 0;
    while ((mask & 1) == 0) {
      mask >>= 1;
      ++shift;
    }
    channelShift[channel] = shift;
    channelMax[channel] = static_cast<std::uint8_t>(mask);
    channelDownShift[channel] = channelMax[channel] == 31 ? 3 : 2;
  }
  return 1;
}

void Graphics::clearComposition() {
  Surface* surface = compositionSurface;
  if (surface == nullptr) return;
  for (int y = 0; y < frameHeight; ++y)
    for (int x = 0; x < frameWidth; ++x)
      surface->pixels[y * surface->width + x] = 0;
}

void Graphics::present() {
  // The game stands still while the window is in the background: keep taking
  // messages, sleeping until the next one arrives, until the focus is back.
  // A window destroyed meanwhile never gets it back, so the quit flag ends
  // the wait as well, and the frame loop stops at its next test.
  pumpMessage();
  while (appWindow.active == 0) {
    if (appWindow.quit != 0) return;
    waitMessage(inactiveWaitMs);
    pumpMessage();
  }

  if (windowedMode != 0) {
    presentWindowed();
    return;
  }
  if (compositionSurface == nullptr) return;
  const std::uint16_t* pixels = compositionSurface->pixels;
  const int pitch = compositionSurface->width;
  if (ddBltFromMemory(backBuffer, frameRect, pixels, pitch, frameRect) !=
      DD_OK) {
    restore();
    if (ddBltFromMemory(backBuffer, frameRect, pixels, pitch, frameRect) !=
        DD_OK)
      return;  // the frame is dropped; the next one tries again
  }
  for (int attempt = 0; attempt < flipAttempts; ++attempt)
    if (ddFlip(primarySurface) == DD_OK) break;
}

void Graphics::presentWindowed() {
  // Where the client area is on the screen: the window rectangle less the
  // frame, measured by growing a copy of it as the system grows a client
  // rectangle into a window rectangle.
  Rect window{};
  getWindowRect(appWindow.window, &window);
  Rect adjusted = window;
  adjustWindowRect(&adjusted, windowStyle);
  const std::int32_t frameLeft = window.left - adjusted.left;
  const std::int32_t frameTop = window.top - adjusted.top;
  getWindowRect(appWindow.window, &window);
  windowTarget.left = window.left + frameLeft;
  windowTarget.top = window.top + frameTop;
  windowTarget.right = windowTarget.left + frameWidth;
  windowTarget.bottom = windowTarget.top + frameHeight;

  ddWaitForVerticalBlank(directDraw);
  if (compositionSurface != nullptr)
    ddBltFromMemory(primarySurface, windowTarget, compositionSurface->pixels,
                    compositionSurface->width, frameRect);
  pumpMessage();
}

void Graphics::copyFrontToBack() {
  if (windowedMode == 1) return;
  ddBltSurface(backBuffer, frameRect, primarySurface, frameRect);
}

void Graphics::restore() {
  for (Handle surface : {backBuffer, primarySurface})
    if (surface != 0 && ddIsLost(surface) == DDERR_SURFACELOST)
      ddRestore(surface);
  // The composition surface is plain system memory: it is never lost.
}

void Graphics::release() {
  if (windowedMode == 1) return;
  // The composition surface's memory stays with the process, like every
  // other surface of the game; the record is simply forgotten.
  compositionSurface = nullptr;
  if (backBuffer != 0) ddRelease(backBuffer);
  if (primarySurface != 0) ddRelease(primarySurface);
  if (directDraw != 0) ddRelease(directDraw);
  backBuffer = primarySurface = directDraw = 0;
}
