// The scripted display: surfaces, blits, flips and lost surfaces, with the
// pictures shown kept for the tests.
#include <cstring>

#include "platform/fake/CallLog.h"

namespace fake {
namespace {

std::vector<std::uint16_t>& image(std::vector<std::uint16_t>& v, int w, int h) {
  if (v.size() != static_cast<std::size_t>(w * h)) v.assign(w * h, 0);
  return v;
}

void showFrame(const std::uint16_t* pixels) {
  auto& s = state();
  ++s.presented;
  if (s.onPresent) s.onPresent(pixels);
}

}  // namespace
}  // namespace fake

namespace platform {
using fake::Fault;
using fake::handles::backBuffer;
using fake::handles::primary;

HRESULT directDrawCreate(Handle* directDraw) {
  if (fake::log("directDrawCreate", Fault::videoCreate)) return E_FAIL;
  *directDraw = fake::handles::directDraw;
  return DD_OK;
}

HRESULT ddSetCooperativeLevel(Handle, Handle, std::uint32_t flags) {
  return fake::log("ddSetCooperativeLevel " + std::to_string(flags),
                   Fault::videoLevel)
             ? E_FAIL
             : DD_OK;
}

HRESULT ddSetDisplayMode(Handle, int width, int height, int) {
  auto& s = fake::state();
  if (fake::log("ddSetDisplayMode", Fault::displayMode)) return E_FAIL;
  if (s.desktopWidthPixels < width || s.desktopHeightPixels < height)
    return E_FAIL;
  s.displayModeSet = true;
  return DD_OK;
}

HRESULT ddCreatePrimarySurface(Handle, bool flipChain, Handle* surface) {
  if (fake::log(
          flipChain ? "ddCreatePrimarySurface flip" : "ddCreatePrimarySurface",
          Fault::primaryCreate))
    return E_FAIL;
  *surface = primary;
  return DD_OK;
}

HRESULT ddGetAttachedBackBuffer(Handle, Handle* surface) {
  if (fake::log("ddGetAttachedBackBuffer", Fault::backBufferAttach))
    return E_FAIL;
  *surface = backBuffer;
  return DD_OK;
}

HRESULT ddGetPixelFormat(Handle, PixelMasks* masks) {
  if (fake::log("ddGetPixelFormat", Fault::pixelFormat)) return E_FAIL;
  *masks = fake::state().masks;
  return DD_OK;
}

HRESULT ddCreateOffscreenSurface(Handle, int width, int height,
                                 std::uint16_t** pixels) {
  if (fake::log("ddCreateOffscreenSurface " + std::to_string(width) + "x" +
                    std::to_string(height),
                Fault::surfaceCreate))
    return E_FAIL;
  auto* memory = new std::uint16_t[static_cast<std::size_t>(width) * height]();
  fake::state().surfaces.push_back(memory);
  *pixels = memory;
  return DD_OK;
}

HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddBltFromMemory", target),
                target == primary ? Fault::blitToPrimary : Fault::blitToBack))
    return E_FAIL;
  const int w = source.right - source.left;
  const int h = source.bottom - source.top;
  if (target == backBuffer) {
    if (s.backLost || s.primaryLost) return DDERR_SURFACELOST;
    auto& back = fake::image(s.backImage, 320, 240);
    for (int y = 0; y < h; ++y)
      std::memcpy(&back[(destination.top + y) * 320 + destination.left],
                  pixels + (source.top + y) * sourcePitch + source.left, w * 2);
    return DD_OK;
  }
  if (target == primary) {  // windowed: the desktop
    if (s.primaryLost) return DDERR_SURFACELOST;
    auto& desk =
        fake::image(s.desktop, fake::desktopWidth, fake::desktopHeight);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int dx = destination.left + x, dy = destination.top + y;
        if (dx >= 0 && dy >= 0 && dx < fake::desktopWidth &&
            dy < fake::desktopHeight)
          desk[dy * fake::desktopWidth + dx] =
              pixels[(source.top + y) * sourcePitch + source.left + x];
      }
    auto& front = fake::image(s.frontImage, 320, 240);
    for (int y = 0; y < 240; ++y)
      std::memcpy(&front[y * 320], pixels + y * sourcePitch, 640);
    fake::showFrame(front.data());
    return DD_OK;
  }
  return E_FAIL;
}

HRESULT ddBltSurface(Handle target, const Rect&, Handle source, const Rect&) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddBltSurface", target), Fault::surfaceCopy))
    return E_FAIL;
  if (target == backBuffer && source == primary)
    fake::image(s.backImage, 320, 240) = fake::image(s.frontImage, 320, 240);
  return DD_OK;
}

HRESULT ddFlip(Handle) {
  auto& s = fake::state();
  if (fake::log("ddFlip", Fault::flip)) return E_FAIL;
  if (s.primaryLost || s.backLost) return DDERR_SURFACELOST;
  std::swap(fake::image(s.frontImage, 320, 240),
            fake::image(s.backImage, 320, 240));
  fake::showFrame(s.frontImage.data());
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle) {
  return fake::log("ddWaitForVerticalBlank", Fault::verticalBlank) ? E_FAIL
                                                                   : DD_OK;
}

HRESULT ddIsLost(Handle surface) {
  auto& s = fake::state();
  fake::log(fake::on("ddIsLost", surface));
  if (surface == primary && s.primaryLost) return DDERR_SURFACELOST;
  if (surface == backBuffer && s.backLost) return DDERR_SURFACELOST;
  return DD_OK;
}

HRESULT ddRestore(Handle surface) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddRestore", surface), surface == primary
                                                    ? Fault::restorePrimary
                                                    : Fault::restoreBack))
    return E_FAIL;
  if (surface == primary) s.primaryLost = false;
  if (surface == backBuffer) s.backLost = false;
  return DD_OK;
}

void ddRelease(Handle object) { fake::log(fake::on("ddRelease", object)); }

}  // namespace platform
