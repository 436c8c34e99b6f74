// The one PNG reader and writer: the pictures tool (previews, icons) and the
// tests (golden frames, screenshots) all go through it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace pictures {

// 8-bit pixels, row after row, `channels` bytes each: 3 (RGB) or 4 (RGBA).
struct PngPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bytes;
};

// Reads any PNG as `channels` bytes a pixel: palette, grey and 16-bit
// samples are converted, and alpha is dropped for RGB. Throws
// std::runtime_error naming the file when it cannot be read.
PngPixels readPngFile(const std::filesystem::path& path, int channels);

// Writes `bytes` (width x height pixels of `channels` bytes); `fast` favours
// speed over size (screenshots kept by tests). Throws std::runtime_error
// naming the file when it cannot be written.
void writePngFile(const std::filesystem::path& path, int width, int height,
                  int channels, const std::uint8_t* bytes, bool fast = false);

}  // namespace pictures
