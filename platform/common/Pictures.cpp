#include "platform/common/Pictures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

void common::copyInto(std::uint16_t* picture, const Rect& destination,
                      const std::uint16_t* pixels, int pitch,
                      const Rect& source) {
  int x = destination.left, y = destination.top;
  int sx = source.left, sy = source.top;
  int width = source.right - source.left, height = source.bottom - source.top;
  if (x < 0) width += x, sx -= x, x = 0;
  if (y < 0) height += y, sy -= y, y = 0;
  width = std::min(width, pictureWidth - x);
  height = std::min(height, pictureHeight - y);
  if (width <= 0) return;
  for (int row = 0; row < height; ++row)
    std::memcpy(picture + (y + row) * pictureWidth + x,
                pixels + static_cast<std::ptrdiff_t>(sy + row) * pitch + sx,
                static_cast<std::size_t>(width) * 2);
}

// Every side hands out off-screen surfaces the same way: zero-filled system
// memory, owned by the game until the process ends.
HRESULT ddCreateOffscreenSurface(Handle directDraw, int width, int height,
                                 std::uint16_t** pixels) {
  if (directDraw != common::directDrawHandle || width <= 0 || height <= 0 ||
      width > 16384 || height > 16384)
    return E_FAIL;
  void* memory = std::calloc(static_cast<std::size_t>(width) * height, 2);
  if (memory == nullptr) return E_FAIL;
  *pixels = static_cast<std::uint16_t*>(memory);
  return DD_OK;
}

}  // namespace platform
