#include "tests/xharness/Image.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "tools/pictures/Png.h"

namespace xharness {

Screenshot Screenshot::crop(int x, int y, int w, int h) const {
  const int x0 = std::clamp(x, 0, width), y0 = std::clamp(y, 0, height);
  const int x1 = std::clamp(x + w, 0, width), y1 = std::clamp(y + h, 0, height);
  Screenshot out(x1 - x0, y1 - y0);
  for (int row = y0; row < y1; ++row)
    std::copy_n(at(x0, row), static_cast<std::size_t>(x1 - x0) * 3,
                &out.rgb[static_cast<std::size_t>(row - y0) * out.width * 3]);
  return out;
}

Screenshot readPng(const std::string& path, std::string* error) {
  try {
    pictures::PngPixels png = pictures::readPngFile(path, 3);
    Screenshot image;
    image.width = png.width;
    image.height = png.height;
    image.rgb = std::move(png.bytes);
    return image;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return {};
  }
}

bool writePng(const std::string& path, const Screenshot& image) {
  try {
    pictures::writePngFile(path, image.width, image.height, 3, image.rgb.data(),
                           true);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace xharness
