// The picture reader over arbitrary file contents, lengths and pixel counts.
//
// Input: byte 0 chooses the display's format (bit 0: 5-5-5, else 5-6-5), the
// surface read into (bits 1-2: a player frame, a tile, the status bar, or a
// staging surface a little larger than the largest picture file), whether the
// file is missing (bit 3), and how the pixel count is given (bit 4: the file's
// own pixel count plus the signed byte 1; otherwise bytes 1-4, any 32-bit
// value). The rest is the file.
//
// The reader must write exactly the pixels asked for that fit the surface,
// each packed from its three bytes (255 for every byte past the end of the
// file), and nothing else: the rest of the surface keeps its contents, and
// AddressSanitizer watches every byte around it.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/fake/FakePlatform.h"
#include "video/Graphics.h"

namespace {

struct Shape {
  int width, height;
};
// The last is as wide as the composition surface, on which the game stages
// every picture file, and holds the largest file (16,896 pixels) whole.
constexpr Shape shapes[4] = {{16, 24}, {16, 16}, {256, 23}, {640, 32}};
Surface* surfaces[4];
int file = -1;
char path[64];

std::uint16_t canary(std::int32_t i) {
  return static_cast<std::uint16_t>(0xA5A5u ^ static_cast<std::uint32_t>(i));
}

std::uint16_t expectedPixel(const std::uint8_t* bytes, std::size_t size,
                            std::int64_t pixel, bool fiveFiveFive) {
  int component[3];
  for (int c = 0; c < 3; ++c) {
    const std::uint64_t at = static_cast<std::uint64_t>(pixel) * 3 + c;
    component[c] = at < size ? bytes[at] : 255;
  }
  if (fiveFiveFive)
    return static_cast<std::uint16_t>((component[0] >> 3) << 10 |
                                      (component[1] >> 3) << 5 |
                                      component[2] >> 3);
  return static_cast<std::uint16_t>(
      (component[0] >> 3) << 11 | (component[1] >> 2) << 5 | component[2] >> 3);
}

[[noreturn]] void wrongPixel(std::int32_t i, std::uint16_t got,
                             std::uint16_t expected) {
  std::fprintf(stderr, "pixel %d is %#06x, expected %#06x\n", i, got, expected);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fake::reset();
  fake::state().logCalls = false;
  for (int i = 0; i < 4; ++i)
    surfaces[i] =
        graphics.createSurface(shapes[i].width, shapes[i].height, 0, 0);
  file = memfd_create("picture", 0);
  if (file < 0) {
    std::perror("memfd_create");
    std::abort();
  }
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", file);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 5) return 0;
  const std::uint8_t flags = data[0];
  const bool fiveFiveFive = flags & 1;
  Surface* surface = surfaces[(flags >> 1) & 3];
  const bool missing = flags & 8;
  const std::uint8_t* contents = data + 5;
  const std::size_t length = size - 5;
  std::int32_t pixelCount;
  if (flags & 16) {
    pixelCount = static_cast<std::int32_t>((length + 2) / 3) +
                 static_cast<std::int8_t>(data[1]);
  } else {
    std::uint32_t raw = 0;
    for (int i = 4; i >= 1; --i) raw = raw << 8 | data[i];
    pixelCount = static_cast<std::int32_t>(raw);
  }

  fake::state().masks = fiveFiveFive
                            ? platform::PixelMasks{0x7C00, 0x03E0, 0x001F}
                            : platform::PixelMasks{0xF800, 0x07E0, 0x001F};
  if (graphics.readPixelFormat(0) != 1) std::abort();

  if (ftruncate(file, 0) != 0 ||
      (length > 0 &&
       pwrite(file, contents, length, 0) != static_cast<ssize_t>(length))) {
    std::perror("picture file");
    std::abort();
  }

  const std::int32_t capacity = surface->width * surface->height;
  for (std::int32_t i = 0; i < capacity; ++i) surface->pixels[i] = canary(i);
  loadRawImage(missing ? "/nonexistent/data/tiles.raw" : path, surface,
               pixelCount);

  const std::int32_t written = missing || pixelCount <= 0 ? 0
                               : pixelCount < capacity    ? pixelCount
                                                          : capacity;
  for (std::int32_t i = 0; i < written; ++i) {
    const std::uint16_t expected =
        expectedPixel(contents, length, i, fiveFiveFive);
    if (surface->pixels[i] != expected)
      wrongPixel(i, surface->pixels[i], expected);
  }
  for (std::int32_t i = written; i < capacity; ++i)
    if (surface->pixels[i] != canary(i))
      wrongPixel(i, surface->pixels[i], canary(i));
  if (surface->locked) {
    std::fputs("surface left locked\n", stderr);
    std::abort();
  }
  return 0;
}
