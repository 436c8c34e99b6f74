// The display in the browser: the flip chain is a front and a back picture
// in memory; a flip waits for the animation frame on which the next game
// frame is due (60 a second, whatever the screen's rate) and hands the new
// front picture to the page, which converts it once and puts it on the
// canvas. When an animation frame has more than one game frame due (a
// slow screen), the game plays them one after the other on it and only the
// last is shown. The page scales the canvas by whole numbers, without
// smoothing. Windowed, a copy to the primary surface is shown the same way.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "platform/common/Pictures.h"
#include "platform/web/Browser.h"
#include "platform/web/FrameClock.h"
#include "platform/web/WebSide.h"

namespace platform {
namespace {

using common::directDrawHandle;
constexpr Handle primaryHandle = 2;
constexpr Handle backBufferHandle = 3;

using common::copyInto;
using common::pictureHeight;
using common::picturePixels;
using common::pictureWidth;

bool opened = false;
bool primaryMade = false;
bool flipChain = false;
web::FrameClock frameClock;
int framesDue = 0;  // on the animation frame being served, not yet played

std::uint16_t pictureA[picturePixels];
std::uint16_t pictureB[picturePixels];
std::uint16_t* front = pictureA;
std::uint16_t* back = pictureB;

bool isFlipSurface(Handle surface) {
  return (surface == primaryHandle && primaryMade) ||
         (surface == backBufferHandle && flipChain);
}

// Waits, letting the browser run, for the animation frame on which the next
// game frame is due, unless one is still due on the current one. True when
// this is the last game frame due on it: the one to show.
bool waitForFrame() {
  web::waited();
  while (framesDue == 0) framesDue = frameClock.due(fbweb_nextAnimationFrame());
  return --framesDue == 0;
}

}  // namespace

HRESULT directDrawCreate(Handle* directDraw) {
  opened = true;
  *directDraw = directDrawHandle;
  return DD_OK;
}

HRESULT ddSetCooperativeLevel(Handle directDraw, Handle, std::uint32_t) {
  return directDraw == directDrawHandle && opened ? DD_OK : E_FAIL;
}

HRESULT ddSetDisplayMode(Handle directDraw, int width, int height,
                         int bitsPerPixel) {
  if (directDraw != directDrawHandle || !opened) return E_FAIL;
  // The canvas is the display: it has this one mode.
  return bitsPerPixel == 16 && width == pictureWidth && height == pictureHeight
             ? DD_OK
             : E_FAIL;
}

HRESULT ddCreatePrimarySurface(Handle directDraw, bool withFlipChain,
                               Handle* primary) {
  if (directDraw != directDrawHandle || !opened) return E_FAIL;
  primaryMade = true;
  flipChain = withFlipChain;
  *primary = primaryHandle;
  return DD_OK;
}

HRESULT ddGetAttachedBackBuffer(Handle primary, Handle* backBuffer) {
  if (primary != primaryHandle || !flipChain) return E_FAIL;
  *backBuffer = backBufferHandle;
  return DD_OK;
}

HRESULT ddGetPixelFormat(Handle surface, PixelMasks* masks) {
  if (!isFlipSurface(surface)) return E_FAIL;
  *masks = {0xF800, 0x07E0, 0x001F};  // what the page converts from
  return DD_OK;
}

HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source) {
  if (pixels == nullptr) return E_FAIL;
  if (target == backBufferHandle && flipChain) {
    copyInto(back, destination, pixels, sourcePitch, source);
    return DD_OK;
  }
  if (target != primaryHandle || flipChain || !primaryMade) return E_FAIL;
  // Windowed: the target is the page, whose client area is the canvas.
  if (web::windowDestroyed()) return DD_OK;
  copyInto(front, destination, pixels, sourcePitch, source);
  fbweb_showPicture(front);
  return DD_OK;
}

HRESULT ddBltSurface(Handle target, const Rect& destination, Handle source,
                     const Rect& sourceRect) {
  if (target != backBufferHandle || source != primaryHandle || !flipChain)
    return E_FAIL;
  copyInto(back, destination, front, pictureWidth, sourceRect);
  return DD_OK;
}

HRESULT ddFlip(Handle primary) {
  if (primary != primaryHandle || !flipChain) return E_FAIL;
  if (web::windowDestroyed()) return DD_OK;  // nothing left to show it on
  std::swap(front, back);
  if (waitForFrame())
    fbweb_showPicture(front);
  else
    fbweb_playedUnshown();
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle directDraw) {
  if (directDraw != directDrawHandle || !opened) return E_FAIL;
  if (!web::windowDestroyed()) waitForFrame();
  return DD_OK;
}

// The canvas keeps its pictures: nothing is ever lost.
HRESULT ddIsLost(Handle surface) {
  return isFlipSurface(surface) ? DD_OK : E_FAIL;
}

HRESULT ddRestore(Handle surface) {
  return isFlipSurface(surface) ? DD_OK : E_FAIL;
}

void ddRelease(Handle object) {
  if (object == primaryHandle) {
    primaryMade = false;
    flipChain = false;
  } else if (object == directDrawHandle) {
    opened = false;
  }
}

}  // namespace platform
