// The pictures the game ships: data/ holds exactly what assets/ describes,
// and the pictures keep the rules the game's drawing relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "Pictures.h"

namespace pictures {
namespace {

const std::filesystem::path root = FUSEBOUND_PICTURES_ROOT;

class Assets : public testing::Test {
 protected:
  static void SetUpTestSuite() { set_ = new PictureSet(loadPictures(root)); }
  static void TearDownTestSuite() {
    delete set_;
    set_ = nullptr;
  }
  static const PictureSet& set() { return *set_; }
  static const Image& tile(int index) { return set_->tiles.frames[index]; }

 private:
  static PictureSet* set_;
};

PictureSet* Assets::set_ = nullptr;

int opaqueCount(const Image& image) {
  return static_cast<int>(
      std::count_if(image.pixels.begin(), image.pixels.end(),
                    [](Rgb pixel) { return !isTransparent(pixel); }));
}

std::vector<std::uint8_t> bytesOf(const std::string& relativePath) {
  std::string text = readFile(root / relativePath);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST_F(Assets, DataFilesAreWhatTheAssetsDescribe) {
  struct File {
    const char* path;
    const Sheet& sheet;
    std::size_t size;
  };
  const File files[] = {{playerRawPath, set().player, 50'688},
                        {tilesRawPath, set().tiles, 30'720},
                        {statusBarRawPath, set().statusBar, 17'664}};
  for (const File& file : files) {
    std::vector<std::uint8_t> made = toRaw(file.sheet);
    std::vector<std::uint8_t> shipped = bytesOf(file.path);
    EXPECT_EQ(made.size(), file.size) << file.path;
    EXPECT_EQ(shipped.size(), file.size) << file.path;
    std::size_t common = std::min(made.size(), shipped.size());
    std::size_t differ = 0;
    while (differ < common && made[differ] == shipped[differ]) ++differ;
    EXPECT_EQ(differ, std::max(made.size(), shipped.size()))
        << file.path << " differs from assets/ from byte " << differ
        << " on (picture "
        << differ / 3 / (file.sheet.shape.width * file.sheet.shape.height)
        << "): run `make pictures`";
  }
}

TEST_F(Assets, PaletteHasNoNearBlackThatPacksToTransparent) {
  for (const PaletteEntry& entry : set().palette.entries()) {
    if (entry.colour == Rgb{0, 0, 0}) continue;
    EXPECT_NE(pack565(entry.colour), 0) << entry.name;
    EXPECT_NE(pack555(entry.colour), 0) << entry.name;
  }
}

TEST_F(Assets, FloorWallPillarAndStatusBarAreFullyOpaque) {
  const Image* opaque[] = {&tile(floorTile), &tile(wallTile), &tile(pillarTile),
                           &set().statusBar.frames[0]};
  const char* names[] = {"floor", "wall", "pillar", "status bar"};
  for (int i = 0; i < 4; ++i) {
    const Image& image = *opaque[i];
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        Rgb pixel = image.at(x, y);
        ASSERT_NE(pack565(pixel), 0) << names[i] << " at " << x << "," << y;
        ASSERT_NE(pack555(pixel), 0) << names[i] << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(Assets, SpritesMixTransparentAndOpaquePixels) {
  for (int i = blockTile; i < tileShape.count; ++i) {
    int opaque = opaqueCount(tile(i));
    EXPECT_GT(opaque, 0) << "tile " << i;
    EXPECT_LT(opaque, tileShape.width * tileShape.height) << "tile " << i;
  }
  for (int i = 0; i < playerShape.count; ++i) {
    int opaque = opaqueCount(set().player.frames[i]);
    EXPECT_GT(opaque, 0) << "player frame " << i;
    EXPECT_LT(opaque, playerShape.width * playerShape.height)
        << "player frame " << i;
  }
}

TEST_F(Assets, BlockCrumblesAwayAndBombSwells) {
  for (int i = blockTile; i < firstBombTile - 1; ++i) {
    EXPECT_GT(opaqueCount(tile(i)), opaqueCount(tile(i + 1)))
        << "crumbling stage " << i + 1 << " should show more floor than " << i;
  }
  EXPECT_LT(opaqueCount(tile(firstBombTile)),
            opaqueCount(tile(firstBombTile + 1)));
  EXPECT_LT(opaqueCount(tile(firstBombTile + 1)),
            opaqueCount(tile(firstBombTile + 2)));
}

TEST_F(Assets, EveryFlamePieceSwellsFromFrameZeroToThree) {
  for (int piece = flameLeftEnd; piece < tileShape.count; piece += 4) {
    for (int frame = 0; frame < 3; ++frame) {
      EXPECT_LT(opaqueCount(tile(piece + frame)),
                opaqueCount(tile(piece + frame + 1)))
          << "flame piece " << piece << ", frame " << frame;
    }
  }
}

// The opaque pixels along one edge of a tile.
enum class Edge { left, right, top, bottom };
std::vector<bool> edgeOpacity(const Image& image, Edge edge) {
  std::vector<bool> opaque(16);
  for (int i = 0; i < 16; ++i) {
    Rgb pixel = edge == Edge::left    ? image.at(0, i)
                : edge == Edge::right ? image.at(15, i)
                : edge == Edge::top   ? image.at(i, 0)
                                      : image.at(i, 15);
    opaque[i] = !isTransparent(pixel);
  }
  return opaque;
}

// Two edges that meet in the cross: the flame must run across the seam,
// neither stopping short nor changing width by more than a pixel each side.
void expectJoin(const Image& first, Edge out, const Image& second, Edge in,
                const std::string& what) {
  std::vector<bool> a = edgeOpacity(first, out);
  std::vector<bool> b = edgeOpacity(second, in);
  int countA = static_cast<int>(std::count(a.begin(), a.end(), true));
  int countB = static_cast<int>(std::count(b.begin(), b.end(), true));
  int shared = 0;
  for (int i = 0; i < 16; ++i) shared += a[i] && b[i];
  EXPECT_GT(countA, 0) << what;
  EXPECT_LE(std::abs(countA - countB), 2) << what;
  EXPECT_GE(shared, std::min(countA, countB) - 1) << what;
}

TEST_F(Assets, FlamePiecesJoinIntoACross) {
  for (int f = 0; f < 4; ++f) {
    std::string frame = ", frame " + std::to_string(f);
    expectJoin(tile(flameLeftEnd + f), Edge::right, tile(flameHorizontal + f),
               Edge::left, "left end to middle" + frame);
    expectJoin(tile(flameHorizontal + f), Edge::right,
               tile(flameHorizontal + f), Edge::left,
               "middle to middle" + frame);
    expectJoin(tile(flameHorizontal + f), Edge::right, tile(flameCentre + f),
               Edge::left, "middle to centre" + frame);
    expectJoin(tile(flameCentre + f), Edge::right, tile(flameHorizontal + f),
               Edge::left, "centre to middle" + frame);
    expectJoin(tile(flameHorizontal + f), Edge::right, tile(flameRightEnd + f),
               Edge::left, "middle to right end" + frame);
    expectJoin(tile(flameTopEnd + f), Edge::bottom, tile(flameVertical + f),
               Edge::top, "top end to middle" + frame);
    expectJoin(tile(flameVertical + f), Edge::bottom, tile(flameVertical + f),
               Edge::top, "middle to middle, vertical" + frame);
    expectJoin(tile(flameVertical + f), Edge::bottom, tile(flameCentre + f),
               Edge::top, "middle to centre, vertical" + frame);
    expectJoin(tile(flameCentre + f), Edge::bottom, tile(flameVertical + f),
               Edge::top, "centre to middle, vertical" + frame);
    expectJoin(tile(flameVertical + f), Edge::bottom, tile(flameBottomEnd + f),
               Edge::top, "middle to bottom end" + frame);
    // The arms end inside their tiles, not cut off at the outer edge.
    const std::pair<int, Edge> ends[] = {{flameLeftEnd, Edge::left},
                                         {flameRightEnd, Edge::right},
                                         {flameTopEnd, Edge::top},
                                         {flameBottomEnd, Edge::bottom}};
    for (auto [end, edge] : ends) {
      std::vector<bool> outer = edgeOpacity(tile(end + f), edge);
      EXPECT_EQ(std::count(outer.begin(), outer.end(), true), 0)
          << "flame end " << end << " reaches its outer edge" << frame;
    }
  }
}

TEST_F(Assets, EveryDirectionHasItsOwnStandingFrameAndAWalkThatMoves) {
  const Sheet& player = set().player;
  auto key = [&](int frame) {
    std::string bytes;
    for (Rgb pixel : player.frames[frame].pixels) {
      bytes += {static_cast<char>(pixel.red), static_cast<char>(pixel.green),
                static_cast<char>(pixel.blue)};
    }
    return bytes;
  };
  std::set<std::string> standing;
  for (int direction = 0; direction < 4; ++direction) {
    int first = direction * 11;
    standing.insert(key(first));
    std::set<std::string> walk;
    for (int step = 1; step <= 10; ++step) walk.insert(key(first + step));
    EXPECT_GE(walk.size(), 4u) << "walk cycle of direction " << direction;
  }
  EXPECT_EQ(standing.size(), 4u);
}

}  // namespace
}  // namespace pictures
