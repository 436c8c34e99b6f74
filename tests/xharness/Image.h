// A screenshot: 24-bit RGB pixels, row after row, and its PNG form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xharness {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, row after row

  Screenshot() = default;
  Screenshot(int w, int h)
      : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {}
  bool empty() const { return width <= 0 || height <= 0; }
  const std::uint8_t* at(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  }
  void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
  // A rectangle of this one (clipped to it).
  Screenshot crop(int x, int y, int w, int h) const;
};

// Reads any PNG (palette, grey, 16-bit and alpha are converted to 8-bit RGB).
// Empty on failure, with the reason in `error`.
Screenshot readPng(const std::string& path, std::string* error = nullptr);
bool writePng(const std::string& path, const Screenshot& image);

}  // namespace xharness
