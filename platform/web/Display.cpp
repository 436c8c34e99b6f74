// The display in the browser: the flip chain is a front and a back picture
// in memory; a flip waits for the animation frame on which the next game
// frame is due (60 a second, whatever the screen's rate) and hands the new
// front picture to the page, which converts it once and puts it on the
// canvas. When an animation frame has more than one game frame due (a
// slow screen), the game plays them one after the other on it and only the
// last is shown. The page scales the canvas by whole numbers, without
// smoothing. Windowed, a copy to the primary surface is shown the same way.
// A picture equal to the last one shown is not converted or put again: the
// canvas keeps it.
// The records of the display objects and the pictures are those of every
// side without surfaces of its own (platform/common/memory/FlipChain.h).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "platform/common/Pictures.h"
#include "platform/common/memory/FlipChain.h"
#include "platform/web/Browser.h"
#include "platform/web/FrameClock.h"
#include "platform/web/WebSide.h"

namespace platform {
namespace {

using common::copyInto;
using common::directDrawHandle;
using common::pictureHeight;
using common::pictureWidth;
using memory::chain;
using memory::primaryHandle;

web::FrameClock frameClock;
int framesDue = 0;  // on the animation frame being served, not yet played

// Whether a picture differs from the last one flipped or copied (a memcmp
// of 150 KB, a few microseconds against the conversion it saves), and
// whether one that did has not been handed to the page yet (it was played
// on an animation frame that showed a later one).
bool changedSinceShown = false;
bool changedFromFront(const std::uint16_t* picture) {
  return std::memcmp(picture, chain.front, memory::pictureBytes) != 0;
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
  chain.opened = true;
  *directDraw = directDrawHandle;
  return DD_OK;
}

HRESULT ddSetDisplayMode(Handle directDraw, int width, int height,
                         int bitsPerPixel) {
  if (directDraw != directDrawHandle || !chain.opened) return E_FAIL;
  // The canvas is the display: it has this one mode.
  return bitsPerPixel == 16 && width == pictureWidth && height == pictureHeight
             ? DD_OK
             : E_FAIL;
}

void memory::copyToWindow(const Rect& destination, const std::uint16_t* pixels,
                          int sourcePitch, const Rect& source) {
  // Windowed: the target is the page, whose client area is the canvas.
  if (web::windowDestroyed()) return;
  // The new picture is made in the back picture (free when windowed) over
  // the last one, and compared with it.
  std::memcpy(chain.back, chain.front, memory::pictureBytes);
  copyInto(chain.back, destination, pixels, sourcePitch, source);
  const bool changed = changedFromFront(chain.back);
  if (changed) std::swap(chain.front, chain.back);
  fbweb_showPicture(chain.front, changed ? 1 : 0);
}

HRESULT ddFlip(Handle primary) {
  if (primary != primaryHandle || !chain.flipChain) return E_FAIL;
  if (web::windowDestroyed()) return DD_OK;  // nothing left to show it on
  const bool changed = changedFromFront(chain.back);
  if (changed) std::swap(chain.front, chain.back);
  changedSinceShown = changedSinceShown || changed;
  if (waitForFrame()) {
    fbweb_showPicture(chain.front, changedSinceShown ? 1 : 0);
    changedSinceShown = false;
  } else {
    fbweb_playedUnshown();
  }
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle directDraw) {
  if (directDraw != directDrawHandle || !chain.opened) return E_FAIL;
  if (!web::windowDestroyed()) waitForFrame();
  return DD_OK;
}

void ddRelease(Handle object) { chain.release(object); }

}  // namespace platform
