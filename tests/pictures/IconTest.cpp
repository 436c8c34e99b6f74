// The icons in dist/icons/ are the bomb tile of assets/, enlarged pixel for
// pixel: an edit to the tile without `make pictures` fails here.
#include <gtest/gtest.h>

#include <filesystem>

#include "Icon.h"

namespace pictures {
namespace {

const std::filesystem::path root = FUSEBOUND_PICTURES_ROOT;

TEST(Icons, CheckedInIconsAreTheBombTileEnlarged) {
  const PictureSet set = loadPictures(root);
  const Image& tile = set.tiles.frames[iconTile];
  for (int size : iconSizes) {
    SCOPED_TRACE(iconPath(size));
    const RgbaImage made = iconImage(set, size);
    ASSERT_EQ(made.width, size);
    ASSERT_EQ(made.height, size);
    // Each pixel of the tile is a whole block; its transparent pixels see
    // through, the others are opaque.
    const int factor = size / 16;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Rgb source = tile.at(x / factor, y / factor);
        const std::uint8_t* p = &made.bytes[(y * size + x) * 4];
        if (isTransparent(source)) {
          ASSERT_EQ(p[3], 0) << x << "," << y;
        } else {
          ASSERT_EQ(p[3], 255) << x << "," << y;
          ASSERT_EQ((Rgb{p[0], p[1], p[2]}), source) << x << "," << y;
        }
      }
    RgbaImage shipped;
    ASSERT_NO_THROW(shipped = readRgbaPng(root / iconPath(size)));
    EXPECT_TRUE(shipped == made) << "differs from assets/: run `make pictures`";
  }
}

TEST(Icons, SizesThatDoNotDivideTheTileAreRefused) {
  const PictureSet set = loadPictures(root);
  EXPECT_THROW(iconImage(set, 24), std::runtime_error);
  EXPECT_THROW(iconImage(set, 0), std::runtime_error);
}

}  // namespace
}  // namespace pictures
