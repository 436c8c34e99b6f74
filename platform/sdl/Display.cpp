// The display on SDL2: a renderer for the game's window and one streaming
// 16-bit texture. Full screen, the flip chain is a front and a back picture in
// memory; a flip uploads the back one and shows it, scaled by the largest
// whole factor that fits, centred on black. Windowed, the picture goes where
// the game puts it in the client area, scaled the same way, so that it
// fills a window opened at a whole multiple of its size and stays crisp
// and centred when the player resizes it. A picture equal to the one on
// the screen is not uploaded or drawn again: the present only keeps the pace.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "platform/common/FramePacer.h"
#include "platform/common/Pictures.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {
namespace {

using common::directDrawHandle;
constexpr Handle primaryHandle = 2;
constexpr Handle backBufferHandle = 3;

using common::copyInto;
using common::pictureHeight;
using common::picturePixels;
using common::pictureWidth;

SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
bool flipChain = false;
bool lost = false;
common::FramePacer pacer;

// The two pictures of the flip chain (windowed, `front` is the last picture
// shown). The texture always holds `front`.
std::uint16_t pictureA[picturePixels];
std::uint16_t pictureB[picturePixels];
std::uint16_t* front = pictureA;
std::uint16_t* back = pictureB;

// Windowed: where the last picture went in the client area, in the pixels
// of its scaled 320 by 240 desktop, and its size.
SDL_Rect windowedPlace{0, 0, pictureWidth, pictureHeight};

// True while the window shows `front` as it was last drawn, with nothing
// over it: the window system has not asked for it again (exposure, a new
// size, a restored texture) and no pause message is on it.
bool screenCurrent = false;
sdl::DisplayCounts counts;

// Whether `picture` equals the last one shown, which the texture holds. A
// whole-frame memcmp takes a few microseconds (bench: "compare/"); the
// upload it saves, and on the clock the drawing and present too, take
// milliseconds in a software renderer.
bool sameAsFront(const std::uint16_t* picture) {
  return std::memcmp(picture, front, sizeof pictureA) == 0;
}

// Full screen: true while the back buffer is known to hold `front` (after a
// flip that found the picture unchanged). A whole frame equal to `front` is
// then not copied into it: standing still, a present only compares.
bool backIsFront = false;

bool wholeFrameSameAsFront(const Rect& destination, const std::uint16_t* pixels,
                           int pitch, const Rect& source) {
  if (destination.left != 0 || destination.top != 0 || source.left != 0 ||
      source.top != 0 || source.right < pictureWidth ||
      source.bottom < pictureHeight)
    return false;
  for (int row = 0; row < pictureHeight; ++row)
    if (std::memcmp(pixels + static_cast<std::ptrdiff_t>(row) * pitch,
                    front + row * pictureWidth, pictureWidth * 2) != 0)
      return false;
  return true;
}

bool isFlipSurface(Handle surface) {
  return surface == primaryHandle || (surface == backBufferHandle && flipChain);
}

bool createTexture() {
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565,
                              SDL_TEXTUREACCESS_STREAMING, pictureWidth,
                              pictureHeight);
  if (texture == nullptr) return false;
  SDL_UpdateTexture(texture, nullptr, front, pictureWidth * 2);
  screenCurrent = false;
  return true;
}

// Draws the texture where the picture belongs: full screen over the whole
// (logical) 320 by 240 area, windowed at its place in the client area.
void drawPicture() {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  if (flipChain) {
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  } else {
    const SDL_Rect source{0, 0, windowedPlace.w, windowedPlace.h};
    SDL_RenderCopy(renderer, texture, &source, &windowedPlace);
  }
}

// A picture shown since the last wait for the vertical blank: on the clock,
// its own wait has reached the next deadline already.
bool shownSinceBlank = false;

// Shows the texture (`draw`) and paces as a 60 Hz display would. With vsync
// the present waits for the refresh, so it is made even when nothing needs
// drawing. On the clock, a picture goes out at once (nothing refreshes a
// virtual screen, and a faster one shows it at its next refresh), one the
// screen shows already not at all, and the wait comes after it, until the
// next frame is due: waiting first would hold every frame back by most of a
// period after the controls it shows were read, for the same 60 frames a
// second.
void showPaced(bool draw) {
  if (draw || pacer.vsync()) {
    drawPicture();
    SDL_RenderPresent(renderer);
    screenCurrent = true;
    ++counts.drawn;
  }
  ++counts.presented;
  const std::int64_t now = sdl::nowNanoseconds();
  if (pacer.vsync()) {
    if (!pacer.presented(now)) SDL_RenderSetVSync(renderer, 0);  // pace by
    return;                                                      // the clock
  }
  sdl::sleepUntil(pacer.shown(now));
  shownSinceBlank = true;
}

bool canShow() { return renderer != nullptr && texture != nullptr; }

}  // namespace

namespace sdl {

void markDisplayLost() {
  if (renderer != nullptr) lost = true;
  screenCurrent = false;
}

void markScreenStale() { screenCurrent = false; }

DisplayCounts displayCounts() { return counts; }

void redrawLastFrame(SDL_Surface* overlay, int x, int y) {
  if (!canShow() || lost || windowDestroyed()) return;
  drawPicture();
  if (overlay != nullptr) {
    if (SDL_Texture* text = SDL_CreateTextureFromSurface(renderer, overlay)) {
      SDL_Rect at{x, y, overlay->w, overlay->h};
      if (!flipChain) at.x += windowedPlace.x, at.y += windowedPlace.y;
      SDL_RenderCopy(renderer, text, nullptr, &at);
      SDL_DestroyTexture(text);
    }
  }
  SDL_RenderPresent(renderer);
  // With the message on it, the screen no longer shows the plain picture:
  // the next present draws it again, changed or not.
  screenCurrent = overlay == nullptr;
  ++counts.drawn;
}

}  // namespace sdl

HRESULT directDrawCreate(Handle* directDraw) {
  SDL_Window* window = sdl::window();
  if (window == nullptr) return E_FAIL;
  if (renderer == nullptr) {
    // Sharp pixels when the picture is scaled.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // Only a display that refreshes at about 60 Hz paces the game by itself;
    // any other rate (or none, as on a virtual display) goes by the clock.
    SDL_DisplayMode mode{};
    const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
    const bool sixtyHertz = SDL_GetCurrentDisplayMode(display, &mode) == 0 &&
                            mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
    renderer = SDL_CreateRenderer(window, -1,
                                  sixtyHertz ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (renderer == nullptr) return E_FAIL;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    pacer = common::FramePacer((info.flags & SDL_RENDERER_PRESENTVSYNC) != 0);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
  }
  *directDraw = directDrawHandle;
  return DD_OK;
}

HRESULT ddSetCooperativeLevel(Handle directDraw, Handle, std::uint32_t) {
  return directDraw == directDrawHandle && renderer != nullptr ? DD_OK : E_FAIL;
}

HRESULT ddSetDisplayMode(Handle directDraw, int width, int height,
                         int bitsPerPixel) {
  if (directDraw != directDrawHandle || renderer == nullptr) return E_FAIL;
  if (bitsPerPixel != 16 || width != pictureWidth || height != pictureHeight)
    return E_FAIL;
  // No mode switch: the picture is scaled onto the desktop, which must be
  // large enough to hold it once.
  SDL_DisplayMode desktop{};
  const int display = std::max(SDL_GetWindowDisplayIndex(sdl::window()), 0);
  if (SDL_GetDesktopDisplayMode(display, &desktop) != 0 || desktop.w < width ||
      desktop.h < height)
    return E_FAIL;
  if (SDL_RenderSetLogicalSize(renderer, width, height) != 0) return E_FAIL;
  SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
  return DD_OK;
}

HRESULT ddCreatePrimarySurface(Handle directDraw, bool withFlipChain,
                               Handle* primary) {
  if (directDraw != directDrawHandle || renderer == nullptr) return E_FAIL;
  if (texture == nullptr && !createTexture()) return E_FAIL;
  // Windowed, the client area is a 320 by 240 desktop scaled by whole steps
  // (full screen, setting the display mode did this).
  if (!withFlipChain &&
      (SDL_RenderSetLogicalSize(renderer, pictureWidth, pictureHeight) != 0 ||
       SDL_RenderSetIntegerScale(renderer, SDL_TRUE) != 0))
    return E_FAIL;
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
  if (!isFlipSurface(surface) || texture == nullptr) return E_FAIL;
  Uint32 format = 0;
  if (SDL_QueryTexture(texture, &format, nullptr, nullptr, nullptr) != 0)
    return E_FAIL;
  int bitsPerPixel = 0;
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  if (!SDL_PixelFormatEnumToMasks(format, &bitsPerPixel, &red, &green, &blue,
                                  &alpha))
    return E_FAIL;
  *masks = {red, green, blue};
  return DD_OK;
}

HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source) {
  if (pixels == nullptr) return E_FAIL;
  if (target == backBufferHandle && flipChain) {
    if (lost) return DDERR_SURFACELOST;
    if (backIsFront &&
        wholeFrameSameAsFront(destination, pixels, sourcePitch, source))
      return DD_OK;
    copyInto(back, destination, pixels, sourcePitch, source);
    backIsFront = false;
    return DD_OK;
  }
  if (target != primaryHandle || flipChain || !canShow()) return E_FAIL;
  // Windowed: the target is the desktop. The picture goes where the
  // destination lies in the window's client area, which is where it was
  // asked for unless the window moved meanwhile.
  if (sdl::windowDestroyed()) return DD_OK;
  // Nothing restores the desktop's surface in the windowed game, so the
  // picture is given a new texture here rather than never shown again.
  if (lost && ddRestore(primaryHandle) != DD_OK) return DDERR_SURFACELOST;
  int clientX = 0, clientY = 0;
  SDL_GetWindowPosition(sdl::window(), &clientX, &clientY);
  const int width = std::min(source.right - source.left, pictureWidth);
  const int height = std::min(source.bottom - source.top, pictureHeight);
  if (width <= 0 || height <= 0) return E_FAIL;
  const SDL_Rect place{destination.left - clientX, destination.top - clientY,
                       width, height};
  // Windowed, `back` is free: the new picture goes there first, to be
  // compared with the one shown.
  copyInto(back, {0, 0, width, height}, pixels, sourcePitch, source);
  const bool samePlace =
      place.x == windowedPlace.x && place.y == windowedPlace.y &&
      place.w == windowedPlace.w && place.h == windowedPlace.h;
  if (sameAsFront(back)) {
    windowedPlace = place;
    showPaced(!samePlace || !screenCurrent);
    return DD_OK;
  }
  std::swap(front, back);
  ++counts.uploaded;
  if (SDL_UpdateTexture(texture, nullptr, front, pictureWidth * 2) != 0) {
    lost = true;
    screenCurrent = false;
    return DDERR_SURFACELOST;
  }
  windowedPlace = place;
  showPaced(true);
  return DD_OK;
}

HRESULT ddBltSurface(Handle target, const Rect& destination, Handle source,
                     const Rect& sourceRect) {
  if (target != backBufferHandle || source != primaryHandle || !flipChain)
    return E_FAIL;
  if (lost) return DDERR_SURFACELOST;
  copyInto(back, destination, front, pictureWidth, sourceRect);
  backIsFront = false;
  return DD_OK;
}

HRESULT ddFlip(Handle primary) {
  if (primary != primaryHandle || !flipChain || !canShow()) return E_FAIL;
  if (sdl::windowDestroyed()) return DD_OK;  // nothing left to show it on
  if (lost) return DDERR_SURFACELOST;
  if (backIsFront || sameAsFront(back)) {
    backIsFront = true;
    showPaced(!screenCurrent);
    return DD_OK;
  }
  ++counts.uploaded;
  if (SDL_UpdateTexture(texture, nullptr, back, pictureWidth * 2) != 0) {
    lost = true;
    screenCurrent = false;
    return DDERR_SURFACELOST;
  }
  std::swap(front, back);
  showPaced(true);
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle directDraw) {
  if (directDraw != directDrawHandle || renderer == nullptr) return E_FAIL;
  // With vsync the present that follows waits. On the clock, a picture
  // shown since the last call has waited for this blank already; otherwise
  // the wait is for the next deadline.
  if (pacer.vsync() || sdl::windowDestroyed()) return DD_OK;
  if (shownSinceBlank)
    shownSinceBlank = false;
  else
    sdl::sleepUntil(pacer.schedule(sdl::nowNanoseconds()));
  return DD_OK;
}

HRESULT ddIsLost(Handle surface) {
  if (!isFlipSurface(surface)) return E_FAIL;
  return lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT ddRestore(Handle surface) {
  if (!isFlipSurface(surface) || renderer == nullptr) return E_FAIL;
  if (!lost) return DD_OK;
  if (texture != nullptr) SDL_DestroyTexture(texture);
  texture = nullptr;
  if (!createTexture()) return E_FAIL;
  lost = false;
  return DD_OK;
}

void ddRelease(Handle object) {
  if (object == primaryHandle && texture != nullptr) {
    SDL_DestroyTexture(texture);
    texture = nullptr;
  } else if (object == directDrawHandle && renderer != nullptr) {
    if (texture != nullptr) SDL_DestroyTexture(texture);
    texture = nullptr;
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }
}

}  // namespace platform
