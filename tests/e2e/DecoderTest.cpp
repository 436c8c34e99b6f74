// The screen decoder on pictures made here from the game's own picture
// files, drawn the way the game draws them: before it is trusted to read
// the real screen, it must read these back exactly.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/xharness/Harness.h"
#include "tests/xharness/Image.h"
#include "tests/xharness/ScreenDecoder.h"
#include "tests/xharness/XClient.h"

namespace e2e {

using namespace xharness;
namespace {

const Artwork& artwork() {
  static const Artwork art = [] {
    Artwork a;
    std::string error;
    if (!a.load(build().sourceDir + "/data", &error)) ADD_FAILURE() << error;
    return a;
  }();
  return art;
}

std::size_t index(int column, int row) {
  return static_cast<std::size_t>(column * arenaRows + row);
}

// Every drawable tile somewhere on the floor, blocks elsewhere in a pattern.
std::array<int, 221> busyArena() {
  std::array<int, 221> tiles{};
  int next = blockTile;
  for (int r = 0; r < arenaRows; ++r)
    for (int c = 0; c < arenaColumns; ++c) {
      if (layoutTile(c, r) != floorTile || isStartCorner(c, r)) continue;
      if (next < tileCount)
        tiles[index(c, r)] = next++;
      else if ((c + r) % 3 != 0)
        tiles[index(c, r)] = blockTile;
    }
  return tiles;
}

void expectCellsRead(const ArenaView& view, const std::array<int, 221>& tiles) {
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      const CellView& cell = view.cell(c, r);
      if (cell.hiddenPixels > 0) {
        EXPECT_TRUE(cell.couldBe(tiles[index(c, r)]))
            << "cell (" << c << ", " << r << ") under the player";
        continue;
      }
      EXPECT_EQ(cell.tile(), tiles[index(c, r)])
          << "cell (" << c << ", " << r << ")\n"
          << view.map();
    }
}

TEST(ScreenDecoder, ReadsBackAFullScreenFrame) {
  const auto tiles = busyArena();
  const PlayerView player{true, 56, 40, 0};
  const Picture drawn = composeFrame(artwork(), tiles, true, &player);
  const Screenshot screen = showPicture(drawn, 960, 720, 0, 0, 3);
  const auto picture = extractPicture(screen, 0, 0, 3);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->unevenBlocks, 0);
  EXPECT_EQ(*picture, drawn);
  const ArenaView view = decode(*picture, artwork());
  EXPECT_TRUE(view.layoutShown);
  EXPECT_TRUE(view.statusBar);
  EXPECT_FALSE(view.paused());
  ASSERT_TRUE(view.player.found);
  EXPECT_EQ(view.player.x, 56);
  EXPECT_EQ(view.player.y, 40);
  EXPECT_EQ(view.player.frame, 0);
  EXPECT_EQ(view.player.column(), 2);
  EXPECT_EQ(view.player.row(), 1);
  expectCellsRead(view, tiles);
}

TEST(ScreenDecoder, ReadsBackAWindowAtItsPlace) {
  const auto tiles = busyArena();
  const PlayerView player{true, 150, 87, 37};
  const Picture drawn = composeFrame(artwork(), tiles, true, &player);
  const Screenshot screen = showPicture(drawn, 1024, 768, 352, 264, 1);
  const auto picture = extractPicture(screen, 352, 264, 1);
  ASSERT_TRUE(picture);
  const ArenaView view = decode(*picture, artwork());
  EXPECT_TRUE(view.layoutShown);
  EXPECT_EQ(view.player.x, 150);
  EXPECT_EQ(view.player.y, 87);
  // Frames 36 and 37 are the same picture: the first is reported.
  EXPECT_EQ(view.player.frame, 36);
  expectCellsRead(view, tiles);

  // One pixel off, nothing is recognised.
  const auto shifted = extractPicture(screen, 353, 264, 1);
  ASSERT_TRUE(shifted);
  EXPECT_FALSE(decode(*shifted, artwork()).layoutShown);
  // A picture that does not fit on the screen is not read at all.
  EXPECT_FALSE(extractPicture(screen, 800, 600, 1));
}

TEST(ScreenDecoder, FindsThePlayerInEveryFrameAndPlace) {
  std::array<int, 221> tiles = busyArena();
  for (int f = 0; f < playerFrameCount; ++f) {
    // Over blocks, flames and straddling cells alike.
    const PlayerView player{true, 40 + (f * 37) % 240, 31 + (f * 23) % 180, f};
    const Picture drawn = composeFrame(artwork(), tiles, true, &player);
    const PlayerView found = findPlayer(drawn, artwork());
    ASSERT_TRUE(found.found) << "frame " << f;
    EXPECT_EQ(found.x, player.x) << "frame " << f;
    EXPECT_EQ(found.y, player.y) << "frame " << f;
    EXPECT_EQ(found.facing(), player.facing()) << "frame " << f;
  }
  EXPECT_FALSE(
      findPlayer(composeFrame(artwork(), tiles, true, nullptr), artwork())
          .found);
}

TEST(ScreenDecoder, ACellUnderThePlayerStillTellsWhatMayLieThere) {
  std::array<int, 221> tiles{};
  tiles[index(3, 1)] = firstBombTile + 2;  // the bomb the player stands on
  const PlayerView player{true, 72, 39, 33};
  const ArenaView view =
      decode(composeFrame(artwork(), tiles, true, &player), artwork());
  const CellView& under = view.cell(3, 1);
  EXPECT_GT(under.hiddenPixels, 0);
  EXPECT_TRUE(under.couldBe(firstBombTile + 2));
  EXPECT_FALSE(under.couldBeEmpty());
  EXPECT_FALSE(under.couldBePiece(blockTile));
  // The cells around are plain to see.
  EXPECT_TRUE(view.cell(4, 1).isEmpty());
  EXPECT_TRUE(view.cell(2, 1).isEmpty());
}

TEST(ScreenDecoder, TellsStatusBarPauseTextAndStrangePixels) {
  std::array<int, 221> tiles{};
  tiles[index(5, 5)] = blockTile;
  Picture picture = composeFrame(artwork(), tiles, false, nullptr);
  ArenaView view = decode(picture, artwork());
  EXPECT_FALSE(view.statusBar);  // the first frame has none
  EXPECT_FALSE(view.player.found);

  picture = composeFrame(artwork(), tiles, true, nullptr);
  EXPECT_TRUE(decode(picture, artwork()).statusBar);
  picture.set(statusBarX + 100, statusBarY + 10,
              picture.at(statusBarX + 100, statusBarY + 10) ^ 1);
  EXPECT_FALSE(decode(picture, artwork()).statusBar);

  // White strokes where the pause message goes.
  for (int x = pauseTextX; x < pauseTextX + 120; x += 2)
    for (int y = pauseTextY + 2; y < pauseTextY + 10; y += 3)
      picture.set(x, y, 0xFFFF);
  view = decode(picture, artwork());
  EXPECT_TRUE(view.paused());
  // The cells under the text fit no drawing of the game.
  EXPECT_EQ(view.cell((pauseTextX + 40 - arenaLeft) / cellSize,
                      (pauseTextY + 4 - arenaTop) / cellSize)
                .fits,
            0u);
  EXPECT_NE(view.map().find('!'), std::string::npos);
}

TEST(ScreenDecoder, CountsBlocksOfAScaledScreenThatAreNotOneColour) {
  const Picture drawn = composeFrame(artwork(), busyArena(), true, nullptr);
  Screenshot screen = showPicture(drawn, 960, 720, 0, 0, 3);
  screen.set(301, 302, 1, 2, 3);  // inside the block of pixel (100, 100)
  const auto picture = extractPicture(screen, 0, 0, 3);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->unevenBlocks, 1);
}

TEST(Screenshot, KeepsItsPixelsThroughAFileAndCropsWithinItself) {
  Screenshot image(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      image.set(x, y, static_cast<std::uint8_t>(x * 36),
                static_cast<std::uint8_t>(y * 60),
                static_cast<std::uint8_t>(x ^ y));
  const std::string path = ::testing::TempDir() + "/e2e-png-roundtrip.png";
  ASSERT_TRUE(writePng(path, image));
  std::string error;
  EXPECT_EQ(readPng(path, &error).rgb, image.rgb) << error;
  std::filesystem::remove(path);
  EXPECT_TRUE(readPng(path, &error).empty());
  EXPECT_FALSE(error.empty());

  const Screenshot corner = image.crop(5, 3, 10, 10);
  EXPECT_EQ(corner.width, 2);
  EXPECT_EQ(corner.height, 2);
  EXPECT_EQ(corner.at(1, 1)[0], image.at(6, 4)[0]);
}

TEST(BoxText, FoundOnlyWhereEveryPixelOfItMatches) {
  x11::Bitmap text;
  text.width = 3;
  text.height = 2;
  text.ink = {true, false, true, false, true, false};
  Screenshot image(10, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) image.set(x, y, 56, 54, 53);
  auto ink = [&](int x, int y) { image.set(x, y, 209, 207, 205); };
  ink(4, 2);
  ink(6, 2);
  ink(5, 3);
  EXPECT_TRUE(x11::containsText(image, text, 180));
  ink(5, 2);  // an extra stroke inside the text
  EXPECT_FALSE(x11::containsText(image, text, 180));
}

}  // namespace
}  // namespace e2e
