// Off-screen surfaces, colour packing, the picture-file reader and the two
// blits every sprite, tile and the status bar are drawn with.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/Game.h"
#include "video/Graphics.h"

using namespace platform;

namespace {

// The game makes 86 surfaces (composition, status bar, 40 tiles, 44 player
// frames) and keeps them all until the process ends; the pool leaves room.
constexpr int surfacePoolSize = 128;
Surface surfacePool[surfacePoolSize];
int surfacesUsed = 0;

[[noreturn]] void outOfSurfaceMemory() {
  showStartupFailure("No memory to create Surface!");
  std::exit(failedStartStatus);
}

// Eight pixels in one 128-bit register (SSE2, NEON), written with the
// compiler's vector extensions so that no instruction set is tied in.
using Pixels8 = std::uint16_t __attribute__((vector_size(16)));

inline Pixels8 load8(const std::uint16_t* p) {
  Pixels8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store8(std::uint16_t* p, Pixels8 v) {
  std::memcpy(p, &v, sizeof v);
}

// Eight pixels of a keyed blit: where the source holds the key the
// destination keeps its pixel.
inline void keyed8(std::uint16_t* destination, const std::uint16_t* source,
                   Pixels8 keys) {
  const Pixels8 s = load8(source);
  const Pixels8 d = load8(destination);
  const Pixels8 transparent = (s == keys);  // all ones where keyed
  store8(destination, (d & transparent) | (s & ~transparent));
}

// One row of a keyed blit.
inline void keyedRow(std::uint16_t* destination, const std::uint16_t* source,
                     int width, std::uint16_t key) {
  const Pixels8 keys = Pixels8{} + key;
  int x = 0;
  for (; x + 8 <= width; x += 8) keyed8(destination + x, source + x, keys);
  for (; x < width; ++x)
    if (source[x] != key) destination[x] = source[x];
}

// Every tile and sprite is 16 pixels wide, and a frame draws several hundred
// of them: their rows get fixed-size steps the compiler lays out in full.
constexpr int spriteWidth = 16;

// The part of a width by height block at (x, y) of the composition surface
// that lies on it, and the matching offset into the source.
struct BlitArea {
  int x, y, sourceX, sourceY, width, height;
};

bool clipToComposition(std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, const Surface* source,
                       const Surface* target, BlitArea* area) {
  if (target == nullptr || source == nullptr || source->pixels == nullptr)
    return false;
  if (width > source->width) width = source->width;
  if (height > source->height) height = source->height;
  int sourceX = 0, sourceY = 0;
  if (x < 0) {
    sourceX = -x;
    width += x;
    x = 0;
  }
  if (y < 0) {
    sourceY = -y;
    height += y;
    y = 0;
  }
  if (x + width > target->width) width = target->width - x;
  if (y + height > target->height) height = target->height - y;
  if (width <= 0 || height <= 0) return false;
  *area = {x, y, sourceX, sourceY, width, height};
  return true;
}

}  // namespace

Surface* Graphics::createSurface(std::int32_t width, std::int32_t height,
                                 int useKey, std::uint16_t keyColour) {
  if (surfacesUsed == surfacePoolSize) outOfSurfaceMemory();
  std::uint16_t* pixels = nullptr;
  if (ddCreateOffscreenSurface(directDraw, width, height, &pixels) != DD_OK ||
      pixels == nullptr)
    outOfSurfaceMemory();
  Surface* surface = &surfacePool[surfacesUsed++];
  surface->pixels = pixels;
  surface->width = width;
  surface->height = height;
  surface->hasKey = useKey != 0;
  surface->keyColour = useKey != 0 ? keyColour : 0;
  surface->locked = false;
  return surface;
}

// Our surfaces live in system memory, so a lock is the address itself. It
// fails only without a surface; the caller then gets no address, and the
// picture reader writes nothing.
std::uint16_t* Graphics::lockSurface(Surface* surface) {
  if (surface == nullptr || surface->pixels == nullptr) return nullptr;
  surface->locked = true;
  return surface->pixels;
}

void Graphics::unlockSurface(Surface* surface) {
  if (surface != nullptr) surface->locked = false;
}

std::int32_t packColour(std::int32_t red, std::int32_t green,
                        std::int32_t blue) {
  return (red << graphics.channelShift[channelRed]) +
         (green << graphics.channelShift[channelGreen]) + blue;
}

void loadRawImage(const char* path, Surface* surface, std::int32_t pixelCount) {
  const int greenNarrowing = graphics.channelShift[channelRed] == 10 ? 3 : 2;
  std::uint16_t* pixels = graphics.lockSurface(surface);
  if (pixels == nullptr) return;
  // Never past the end of the surface, whatever the caller asks for.
  const std::int32_t capacity = surface->width * surface->height;
  if (pixelCount > capacity) pixelCount = capacity;
  // Only a regular file is read: a folder or a device in its place is
  // skipped like a missing file, and so is a pipe, whose opening could wait
  // for ever.
  std::error_code error;
  std::FILE* file = std::filesystem::is_regular_file(path, error)
                        ? std::fopen(path, "rb")
                        : nullptr;
  if (file != nullptr) {
    const auto next = [file] {
      const int c = std::getc(file);
      return c == EOF ? 255 : c;
    };
    for (std::int32_t i = 0; i < pixelCount; ++i) {
      const int red = next();
      const int green = next();
      const int blue = next();
      pixels[i] = static_cast<std::uint16_t>(
          packColour(red >> 3, green >> greenNarrowing, blue >> 3));
    }
    std::fclose(file);
  }
  graphics.unlockSurface(surface);
}

void BlitSize::set(std::int32_t newWidth, std::int32_t newHeight) {
  width = newWidth;
  height = newHeight;
}

// Both blits copy the block row by row; a block that would reach past the
// composition surface or the source is cut to what lies on both.
HRESULT BlitSize::blitOpaque(std::int32_t x, std::int32_t y,
                             const Surface* source) {
  const Surface* target = graphics.compositionSurface;
  BlitArea a;
  if (!clipToComposition(x, y, width, height, source, target, &a))
    return E_FAIL;
  // Row lengths in locals: the pixel stores could otherwise change them, as
  // far as the compiler knows, and it would read them again for every row.
  const int fromPitch = source->width, toPitch = target->width;
  const std::uint16_t* from =
      source->pixels + a.sourceY * fromPitch + a.sourceX;
  std::uint16_t* to = target->pixels + a.y * toPitch + a.x;
  if (a.width == spriteWidth) {
    for (int row = 0; row < a.height; ++row, from += fromPitch, to += toPitch)
      std::memcpy(to, from, spriteWidth * 2);
    return DD_OK;
  }
  for (int row = 0; row < a.height; ++row, from += fromPitch, to += toPitch)
    std::memcpy(to, from, static_cast<std::size_t>(a.width) * 2);
  return DD_OK;
}

HRESULT BlitSize::blitKeyed(std::int32_t x, std::int32_t y,
                            const Surface* source) {
  if (source != nullptr && !source->hasKey) return blitOpaque(x, y, source);
  const Surface* target = graphics.compositionSurface;
  BlitArea a;
  if (!clipToComposition(x, y, width, height, source, target, &a))
    return E_FAIL;
  const int fromPitch = source->width, toPitch = target->width;
  const std::uint16_t key = source->keyColour;
  const std::uint16_t* from =
      source->pixels + a.sourceY * fromPitch + a.sourceX;
  std::uint16_t* to = target->pixels + a.y * toPitch + a.x;
  if (a.width == spriteWidth) {
    const Pixels8 keys = Pixels8{} + key;
    for (int row = 0; row < a.height; ++row, from += fromPitch, to += toPitch) {
      keyed8(to, from, keys);
      keyed8(to + 8, from + 8, keys);
    }
    return DD_OK;
  }
  for (int row = 0; row < a.height; ++row, from += fromPitch, to += toPitch)
    keyedRow(to, from, a.width, key);
  return DD_OK;
}
