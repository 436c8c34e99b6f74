#include "Png.h"

#include <png.h>

#include <stdexcept>
#include <string>

namespace pictures {

namespace {

std::uint32_t formatOf(int channels) {
  if (channels == 3) return PNG_FORMAT_RGB;
  if (channels == 4) return PNG_FORMAT_RGBA;
  throw std::invalid_argument("PNG pixels have 3 or 4 channels, not " +
                              std::to_string(channels));
}

}  // namespace

PngPixels readPngFile(const std::filesystem::path& path, int channels) {
  const std::uint32_t format = formatOf(channels);
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str()))
    throw std::runtime_error("cannot read " + path.string() + ": " +
                             png.message);
  png.format = format;
  PngPixels pixels{static_cast<int>(png.width), static_cast<int>(png.height),
                   std::vector<std::uint8_t>(PNG_IMAGE_SIZE(png))};
  if (!png_image_finish_read(&png, nullptr, pixels.bytes.data(), 0, nullptr)) {
    const std::string reason = png.message;
    png_image_free(&png);
    throw std::runtime_error("cannot read " + path.string() + ": " + reason);
  }
  return pixels;
}

void writePngFile(const std::filesystem::path& path, int width, int height,
                  int channels, const std::uint8_t* bytes, bool fast) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = formatOf(channels);
  if (fast) png.flags |= PNG_IMAGE_FLAG_FAST;
  if (width <= 0 || height <= 0 ||
      !png_image_write_to_file(&png, path.c_str(), 0, bytes, 0, nullptr))
    throw std::runtime_error("cannot write " + path.string() + ": " +
                             png.message);
}

}  // namespace pictures
