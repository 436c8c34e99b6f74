// Placeholder until the display arrives.
#include "video/Graphics.h"

Graphics::~Graphics() {}
bool Graphics::init() { return true; }
int Graphics::readPixelFormat(platform::Handle) { return 1; }
void Graphics::clearComposition() {}
void Graphics::present() {}
void Graphics::presentWindowed() {}
void Graphics::copyFrontToBack() {}
void Graphics::restore() {}
void Graphics::release() {}
Surface* Graphics::createSurface(std::int32_t, std::int32_t, int,
                                 std::uint16_t) {
  return nullptr;
}
std::uint16_t* Graphics::lockSurface(Surface*) { return nullptr; }
void Graphics::unlockSurface(Surface*) {}
std::int32_t packColour(std::int32_t, std::int32_t, std::int32_t) { return 0; }
void loadRawImage(const char*, Surface*, std::int32_t) {}
void BlitSize::set(std::int32_t w, std::int32_t h) {
  width = w;
  height = h;
}
platform::HRESULT BlitSize::blitOpaque(std::int32_t, std::int32_t,
                                       const Surface*) {
  return 0;
}
platform::HRESULT BlitSize::blitKeyed(std::int32_t, std::int32_t,
                                      const Surface*) {
  return 0;
}
