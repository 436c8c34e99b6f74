// Drawing the arena: which tile lands where, what is left alone, and how
// the tiles and the status bar are cut out of the picture files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArenaFixture.h"
#include "app/AppWindow.h"
#include "arena/Arena.h"
#include "platform/fake/FakePlatform.h"
#include "video/Graphics.h"

namespace {

constexpr std::uint16_t untouched = 0xFFFF;

// Every pixel of every test tile tells tile, row and column apart; none is
// black, except where a test wants one.
std::uint16_t tileMark(int index, int x, int y) {
  return static_cast<std::uint16_t>(0x1000 + index * 256 + y * 16 + x);
}
// The status bar has black pixels, which its opaque blit copies too.
std::uint16_t barMark(int x, int y) {
  return (x + y) % 5 == 0 ? 0
                          : static_cast<std::uint16_t>(0x4000 + y * 256 + x);
}

// A composition surface, tiles and a status bar made by the test itself, so
// that each drawing pass can be checked pixel by pixel. The drawing globals
// are put back afterwards.
class ArenaDrawing : public ArenaTest {
 protected:
  void SetUp() override {
    ArenaTest::SetUp();
    savedComposition = graphics.compositionSurface;
    savedTileSet = arena.tileSet;
    savedBlit = {blitSize.width, blitSize.height};

    compositionPixels.assign(compositionWidth * compositionHeight, untouched);
    composition = Surface{compositionPixels.data(),
                          compositionWidth,
                          compositionHeight,
                          false,
                          0,
                          false};
    graphics.compositionSurface = &composition;

    for (int i = 0; i < 40; ++i) {
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          tilePixels[i][y * 16 + x] = tileMark(i, x, y);
      tiles[i] = Surface{tilePixels[i], 16, 16, true, 0, false};
      arena.tileSet.tiles[i] = &tiles[i];
    }
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 256; ++x) barPixels[y * 256 + x] = barMark(x, y);
    bar = Surface{barPixels, 256, 23, true, 0, false};
    arena.tileSet.statusBar = &bar;
  }

  void TearDown() override {
    graphics.compositionSurface = savedComposition;
    arena.tileSet = savedTileSet;
    blitSize.width = savedBlit.width;
    blitSize.height = savedBlit.height;
    ArenaTest::TearDown();
  }

  std::uint16_t pixel(int x, int y) const {
    return compositionPixels[y * compositionWidth + x];
  }

  // Whether the 16 by 16 square at (left, top) shows tile `index`, where
  // that tile is transparent showing `below` (a tile, or -1 for untouched).
  ::testing::AssertionResult showsTile(int left, int top, int index,
                                       int below = -1) const {
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        std::uint16_t expected = tilePixels[index][y * 16 + x];
        if (expected == 0)
          expected = below < 0 ? untouched : tilePixels[below][y * 16 + x];
        if (pixel(left + x, top + y) != expected)
          return ::testing::AssertionFailure()
                 << "pixel (" << left + x << ", " << top + y << ") is "
                 << pixel(left + x, top + y) << ", tile " << index << " has "
                 << expected;
      }
    return ::testing::AssertionSuccess();
  }

  // What the layout pass leaves at a pixel of the frame, or `untouched`.
  std::uint16_t layoutPixel(int x, int y) const {
    if (x < arenaLeft || y < arenaTop || x >= arenaLeft + 17 * 16 ||
        y >= arenaTop + 13 * 16)
      return untouched;
    const int column = (x - arenaLeft) / 16, row = (y - arenaTop) / 16;
    const std::uint16_t p =
        tilePixels[Arena::layout()[row][column]]
                  [(y - arenaTop) % 16 * 16 + (x - arenaLeft) % 16];
    return p == 0 ? untouched : p;
  }

  Surface composition{};
  std::vector<std::uint16_t> compositionPixels;
  Surface tiles[40]{};
  std::uint16_t tilePixels[40][256]{};
  Surface bar{};
  std::uint16_t barPixels[256 * 23]{};

 private:
  Surface* savedComposition = nullptr;
  TileSet savedTileSet{};
  struct {
    std::int32_t width, height;
  } savedBlit{};
};

TEST_F(ArenaDrawing, EmptyGridDrawsTheLayoutAndTheStatusBarAndNothingElse) {
  tilePixels[0][5 * 16 + 5] = 0;  // a black floor pixel shows what was there
  arena.drawLayout();
  arena.drawCells();
  arena.drawStatusBar();

  // Every pixel of the composition surface: the 221 layout tiles in the
  // arena, the status bar above it, and nothing anywhere else.
  for (int y = 0; y < compositionHeight; ++y)
    for (int x = 0; x < compositionWidth; ++x) {
      const bool inBar = x >= 32 && x < 32 + 256 && y >= 4 && y < 4 + 23;
      const std::uint16_t expected =
          inBar ? barMark(x - 32, y - 4) : layoutPixel(x, y);
      ASSERT_EQ(pixel(x, y), expected) << "pixel (" << x << ", " << y << ")";
    }
}

TEST_F(ArenaDrawing, CellsAreDrawnWithTypePlusFrameOverTheLayout) {
  arena.drawLayout();
  // Transparent pixels in the bomb tile show the floor beneath.
  tilePixels[11][0] = 0;
  tilePixels[11][7 * 16 + 9] = 0;
  Arena::grid[8][7] = Cell{cellBomb, 2, 3, 2, 2};
  Arena::grid[2][1] = Cell{flameLeftEnd, 3, 1, 0, 3};
  Arena::grid[16][12] = Cell{flameBottomEnd, 3, 1, 0, 3};
  Arena::grid[0][0] = Cell{cellBlock, 0, 0, 0, 0};
  Arena::grid[9][7] = Cell{cellCrumbling, 4, 2, 0, 0};
  // Out of the tile set: drawn as nothing.
  Arena::grid[10][7] = Cell{flameBottomEnd, 4, 1, 0, 0};
  Arena::grid[12][7] = Cell{cellBlock, -4, 0, 0, 0};
  Arena::grid[6][7] = Cell{flameBottomEnd, 100, 0, 0, 0};  // sum wraps
  arena.drawCells();

  EXPECT_TRUE(showsTile(24 + 16 * 8, 32 + 16 * 7, 11, 0));
  EXPECT_TRUE(showsTile(24 + 16 * 2, 32 + 16 * 1, 15));
  EXPECT_TRUE(showsTile(280, 224, 39));
  EXPECT_TRUE(showsTile(24, 32, 3));
  EXPECT_TRUE(showsTile(24 + 16 * 9, 32 + 16 * 7, 8));
  EXPECT_TRUE(showsTile(24 + 16 * 10, 32 + 16 * 7, 0));
  EXPECT_TRUE(showsTile(24 + 16 * 12, 32 + 16 * 7, 0));
  EXPECT_TRUE(showsTile(24 + 16 * 6, 32 + 16 * 7, 0));
  EXPECT_TRUE(showsTile(24 + 16 * 7, 32 + 16 * 7, 0)) << "empty cell";
  EXPECT_TRUE(showsTile(24 + 16 * 1, 32, 1)) << "empty wall cell";
}

TEST_F(ArenaDrawing, DrawTileIgnoresIndexesOutsideTheSet) {
  for (int index : {40, -1, 127, -128}) {
    arena.tileSet.drawTile(100, 100, static_cast<std::int8_t>(index));
    for (int y = 0; y < compositionHeight; ++y)
      for (int x = 0; x < compositionWidth; ++x)
        ASSERT_EQ(pixel(x, y), untouched) << "index " << index;
  }
  arena.tileSet.drawTile(100, 100, 0);
  EXPECT_TRUE(showsTile(100, 100, 0));
  arena.tileSet.drawTile(100, 100, 39);
  EXPECT_TRUE(showsTile(100, 100, 39));
  EXPECT_EQ(blitSize.width, 16);
  EXPECT_EQ(blitSize.height, 16);
}

TEST_F(ArenaDrawing, StatusBarIsCopiedWholeBlackIncluded) {
  arena.drawLayout();
  arena.drawStatusBar();
  EXPECT_EQ(blitSize.width, 256);
  EXPECT_EQ(blitSize.height, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 256; ++x)
      ASSERT_EQ(pixel(32 + x, 4 + y), barMark(x, y)) << x << ", " << y;
  EXPECT_EQ(pixel(31, 4), untouched);
  EXPECT_EQ(pixel(288, 26), untouched);
  EXPECT_EQ(pixel(32, 3), untouched);
  EXPECT_EQ(pixel(287, 27), untouched);
}

// ----------------------------------------------------------- loading

// The bytes of pixel p of a synthetic picture: each tile, row and column
// gives different colours.
void pictureBytes(int p, unsigned char out[3]) {
  out[0] = static_cast<unsigned char>(p % 256);
  out[1] = static_cast<unsigned char>(p / 256 * 6 % 256);
  out[2] = static_cast<unsigned char>(p * 7 % 256);
}

std::uint16_t packed(const unsigned char bytes[3]) {
  return static_cast<std::uint16_t>(
      packColour(bytes[0] >> 3, bytes[1] >> 2, bytes[2] >> 3));
}

bool writePicture(const std::string& path, int pixels, int seed) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  for (int p = 0; p < pixels; ++p) {
    unsigned char bytes[3];
    pictureBytes(p + seed, bytes);
    std::fwrite(bytes, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

[[noreturn]] void fault(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::_Exit(1);
}

// Runs in a process of its own: the surfaces made at load time are kept for
// the whole run, as in the game. Writes the two picture files into a fresh
// directory, brings up the scripted display and loads the tile set there.
void loadFromSyntheticPictures() {
  char dir[] = "/tmp/fusebound-tiles-XXXXXX";
  if (mkdtemp(dir) == nullptr) fault("no temporary directory");
  const std::string data = std::string(dir) + "/data";
  mkdir(data.c_str(), 0700);
  const bool written = writePicture(data + "/top.raw", 5888, 100000) &&
                       writePicture(data + "/tiles.raw", 10240, 0);
  fake::reset();
  appWindow.create(1);
  if (!graphics.init()) fault("display did not start");
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(dir) != 0)
    fault("cannot enter the picture directory");
  arena.tileSet.load();
  if (chdir(previous) != 0) fault("cannot go back");
  std::remove((data + "/top.raw").c_str());
  std::remove((data + "/tiles.raw").c_str());
  rmdir(data.c_str());
  rmdir(dir);
  if (!written) fault("cannot write the pictures");
}

TEST(ArenaTileLoading, TileIIsRowsSixteenITimesOfTheTilePicture) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        loadFromSyntheticPictures();
        const TileSet& set = arena.tileSet;
        const Surface* bar = set.statusBar;
        if (bar == nullptr || bar->width != 256 || bar->height != 23 ||
            !bar->hasKey || bar->keyColour != 0 || bar->locked)
          fault("status bar surface");
        if (graphics.compositionSurface->locked) fault("staging left locked");
        for (int p = 0; p < 5888; ++p) {
          unsigned char bytes[3];
          pictureBytes(p + 100000, bytes);
          if (bar->pixels[p] != packed(bytes))
            fault("status bar pixel " + std::to_string(p));
        }
        for (int i = 0; i < 40; ++i) {
          const Surface* tile = set.tiles[i];
          if (tile == nullptr || tile->width != 16 || tile->height != 16 ||
              !tile->hasKey || tile->keyColour != 0 || tile->locked)
            fault("tile surface " + std::to_string(i));
          for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
              // Row 16 i + y, column x of the 16-pixel-wide picture.
              unsigned char bytes[3];
              pictureBytes((16 * i + y) * 16 + x, bytes);
              if (tile->pixels[y * 16 + x] != packed(bytes))
                fault("tile " + std::to_string(i) + " pixel " +
                      std::to_string(x) + ", " + std::to_string(y));
            }
        }
        std::fprintf(stderr, "tiles cut\n");
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "tiles cut");
}

}  // namespace
