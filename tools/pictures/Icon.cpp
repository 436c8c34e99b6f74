#include "Icon.h"

#include <png.h>

#include <stdexcept>

namespace pictures {

RgbaImage iconImage(const PictureSet& set, int size) {
  const Image& tile = set.tiles.frames.at(iconTile);
  if (size <= 0 || size % tile.width != 0 || size % tile.height != 0)
    throw std::runtime_error("icon size " + std::to_string(size) +
                             " is not a whole multiple of the tile");
  const int factor = size / tile.width;
  RgbaImage icon{size, size,
                 std::vector<std::uint8_t>(static_cast<std::size_t>(size) *
                                           static_cast<std::size_t>(size) * 4)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const Rgb pixel = tile.at(x / factor, y / factor);
      std::uint8_t* out = &icon.bytes[(static_cast<std::size_t>(y) * size +
                                       static_cast<std::size_t>(x)) *
                                      4];
      if (isTransparent(pixel)) continue;  // all four bytes stay 0
      out[0] = pixel.red;
      out[1] = pixel.green;
      out[2] = pixel.blue;
      out[3] = 255;
    }
  }
  return icon;
}

std::string iconPath(int size) {
  const std::string side = std::to_string(size);
  return "dist/icons/" + side + "x" + side + "/apps/fusebound.png";
}

void writeRgbaPng(const std::filesystem::path& path, const RgbaImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&png, path.c_str(), 0, image.bytes.data(), 0,
                               nullptr))
    throw std::runtime_error("cannot write " + path.string() + ": " +
                             png.message);
}

RgbaImage readRgbaPng(const std::filesystem::path& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str()))
    throw std::runtime_error("cannot read " + path.string());
  png.format = PNG_FORMAT_RGBA;
  RgbaImage image{static_cast<int>(png.width), static_cast<int>(png.height),
                  std::vector<std::uint8_t>(PNG_IMAGE_SIZE(png))};
  if (!png_image_finish_read(&png, nullptr, image.bytes.data(), 0, nullptr)) {
    png_image_free(&png);
    throw std::runtime_error("cannot read " + path.string());
  }
  return image;
}

}  // namespace pictures
