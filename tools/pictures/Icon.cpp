#include "Icon.h"

#include <stdexcept>
#include <utility>

#include "Png.h"

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
  writePngFile(path, image.width, image.height, 4, image.bytes.data());
}

RgbaImage readRgbaPng(const std::filesystem::path& path) {
  PngPixels png = readPngFile(path, 4);
  return RgbaImage{png.width, png.height, std::move(png.bytes)};
}

}  // namespace pictures
