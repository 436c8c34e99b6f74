// The game's icon for menus and launchers: the bomb with its fuse alight,
// drawn from the tile the game shows, enlarged pixel for pixel to each size
// the desktop's icon theme asks for.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Pictures.h"

namespace pictures {

// The tile the icon is made of: the bomb at the height of its pulse. The
// desktop installs the sizes up to 256; the page offers 192 and 512 to
// phones and browsers that install it.
inline constexpr int iconTile = firstBombTile + 2;
inline constexpr int iconSizes[] = {16, 32, 48, 64, 128, 192, 256, 512};

// Red, green, blue and alpha bytes, row by row.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const RgbaImage&, const RgbaImage&) = default;
};

// The icon `size` pixels square (a multiple of 16), each pixel of the tile a
// block of the same colour; the tile's transparent pixels are fully
// transparent, the rest opaque.
RgbaImage iconImage(const PictureSet& set, int size);

// Where the icon of `size` lives, relative to the repository root, laid out
// as the hicolor theme is: dist/icons/<size>x<size>/apps/fusebound.png.
std::string iconPath(int size);

// Throws std::runtime_error when the file cannot be written or read.
void writeRgbaPng(const std::filesystem::path& path, const RgbaImage& image);
RgbaImage readRgbaPng(const std::filesystem::path& path);

}  // namespace pictures
