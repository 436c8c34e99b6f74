// A fixed arena, drawn with the game's own pictures and shown through the
// scripted display, must match the stored picture pixel for pixel: any change
// to the drawing or to the pictures shows here. After a deliberate change,
// FUSEBOUND_UPDATE_GOLDEN=1 rewrites the stored picture; look at it before
// committing it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "platform/fake/FakePlatform.h"
#include "tools/pictures/Png.h"
#include "video/Graphics.h"

namespace {

const std::string goldenDir = FUSEBOUND_GOLDEN_DIR;

// 5-6-5 pixels to 8-bit channels and back, exactly.
std::vector<std::uint8_t> toRgb(const std::vector<std::uint16_t>& frame) {
  std::vector<std::uint8_t> rgb(frame.size() * 3);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const int r = frame[i] >> 11, g = (frame[i] >> 5) & 63, b = frame[i] & 31;
    rgb[3 * i] = static_cast<std::uint8_t>(r << 3 | r >> 2);
    rgb[3 * i + 1] = static_cast<std::uint8_t>(g << 2 | g >> 4);
    rgb[3 * i + 2] = static_cast<std::uint8_t>(b << 3 | b >> 2);
  }
  return rgb;
}

std::vector<std::uint16_t> fromRgb(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint16_t> frame(rgb.size() / 3);
  for (std::size_t i = 0; i < frame.size(); ++i)
    frame[i] = static_cast<std::uint16_t>((rgb[3 * i] >> 3) << 11 |
                                          (rgb[3 * i + 1] >> 2) << 5 |
                                          rgb[3 * i + 2] >> 3);
  return frame;
}

bool writePng(const std::string& path, const std::vector<std::uint16_t>& frame,
              int width, int height) {
  try {
    pictures::writePngFile(path, width, height, 3, toRgb(frame).data());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The picture, or an empty one when there is none or it is not width by
// height.
std::vector<std::uint16_t> readPng(const std::string& path, int width,
                                   int height) {
  try {
    const pictures::PngPixels png = pictures::readPngFile(path, 3);
    if (png.width != width || png.height != height) return {};
    return fromRgb(png.bytes);
  } catch (const std::exception&) {
    return {};
  }
}

// The scene: the blocks of a fixed generation, a bomb still pulsing, an
// explosion that broke two blocks and has burned for a while, and a fresh
// one whose arm set off a second bomb, all made by the game's own rules.
void buildScene() {
  for (auto& row : Arena::storedLayout)
    for (auto& value : row)
      if (value == layoutReserved) value = layoutFloor;
  std::memset(Arena::grid, 0, sizeof Arena::grid);
  runtime::srand(2000);
  arena.generate();

  auto clear = [](int column, int row) { Arena::grid[column][row] = Cell{}; };
  auto block = [](int column, int row) {
    Arena::grid[column][row] = Cell{cellBlock, 0, 0, 0, 0};
  };
  auto fuseEndsNext = [](int column, int row) {
    placeBomb(static_cast<std::int8_t>(column), static_cast<std::int8_t>(row),
              2);
    Arena::grid[column][row].timer = 1;
    Arena::grid[column][row].step = 12;
  };

  // A bomb laid a while ago, mid-pulse by the end.
  clear(2, 1);
  placeBomb(2, 1, 2);
  for (int i = 0; i < 6; ++i) Arena::update();

  // The older explosion, at (6, 5): a block to its right at distance 2.
  for (int c = 2; c <= 8; ++c) clear(c, 5);
  for (int r = 3; r <= 7; ++r) clear(6, r);
  block(8, 5);
  fuseEndsNext(6, 5);
  for (int i = 0; i < 10; ++i) Arena::update();

  // The fresh explosion at (10, 9), whose right arm sets off (12, 9).
  for (int c = 8; c <= 14; ++c) clear(c, 9);
  for (int r = 7; r <= 11; ++r) clear(10, r);
  for (int r = 7; r <= 11; ++r) clear(12, r);
  fuseEndsNext(10, 9);
  placeBomb(12, 9, 2);
  block(12, 11);
  Arena::update();
  Arena::update();
}

TEST(ArenaGolden, FixedArenaMatchesTheStoredFrame) {
  fake::reset();
  std::vector<std::uint16_t> shown;
  fake::state().onPresent = [&shown](const std::uint16_t* pixels) {
    shown.assign(pixels, pixels + frameWidth * frameHeight);
  };
  appWindow.create(1);
  ASSERT_TRUE(graphics.init());
  // The game's own pictures, read from data/ under the source directory.
  arena.tileSet.load();
  graphics.clearComposition();

  buildScene();
  arena.drawLayout();
  arena.drawCells();
  arena.drawStatusBar();
  graphics.present();
  ASSERT_EQ(shown.size(), std::size_t(frameWidth * frameHeight))
      << "no frame was shown";

  const std::string path = goldenDir + "/arena-frame.png";
  const char* update = std::getenv("FUSEBOUND_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(writePng(path, shown, frameWidth, frameHeight)) << path;
    std::printf("rewrote %s\n", path.c_str());
  }

  const std::vector<std::uint16_t> golden =
      readPng(path, frameWidth, frameHeight);
  ASSERT_FALSE(golden.empty()) << "no 320 by 240 picture at " << path;
  int differing = 0;
  for (int y = 0; y < frameHeight; ++y)
    for (int x = 0; x < frameWidth; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * frameWidth + x);
      if (shown[i] == golden[i]) continue;
      if (++differing <= 10)
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): shown 0x"
                      << std::hex << shown[i] << ", stored 0x" << golden[i];
    }
  EXPECT_EQ(differing, 0) << "pixels differ from " << path;
  if (differing != 0) {
    const std::string actual = ::testing::TempDir() + "arena-frame-actual.png";
    if (writePng(actual, shown, frameWidth, frameHeight))
      std::printf("the frame shown is in %s\n", actual.c_str());
  }
}

}  // namespace
