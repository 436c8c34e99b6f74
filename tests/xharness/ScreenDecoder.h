// Reads the game's picture off a screenshot: finds the 320 by 240 picture,
// turns it back into the game's 16-bit 5-6-5 pixels, and tells cell by cell
// what the arena shows by comparing each 16 by 16 block with the tiles of
// data/tiles.raw drawn over their layout tile. It also finds the player (by
// its frames in data/player.raw), the status bar (data/top.raw) and the
// white pause message.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/xharness/Image.h"

namespace xharness {

constexpr int pictureWidth = 320;
constexpr int pictureHeight = 240;
constexpr int arenaColumns = 17;
constexpr int arenaRows = 13;
constexpr int cellSize = 16;
constexpr int arenaLeft = 24;
constexpr int arenaTop = 32;
constexpr int playerWidth = 16;
constexpr int playerHeight = 24;
constexpr int playerFrameCount = 44;
constexpr int tileCount = 40;
constexpr int statusBarX = 32;
constexpr int statusBarY = 4;
constexpr int statusBarWidth = 256;
constexpr int statusBarHeight = 23;
// Where the pause message is written (its first character's cell).
constexpr int pauseTextX = 60;
constexpr int pauseTextY = 110;

// Tile numbers. Layout tiles are drawn on every cell; the others lie on top.
constexpr int floorTile = 0;
constexpr int wallTile = 1;
constexpr int pillarTile = 2;
constexpr int blockTile = 3;
constexpr int firstCrumbleTile = 4;  // to 8
constexpr int firstBombTile = 9;     // to 11
constexpr int firstFlameTile = 12;   // to 39, four frames per flame piece
constexpr int flameLeftEnd = 12;
constexpr int flameHorizontal = 16;
constexpr int flameRightEnd = 20;
constexpr int flameCentre = 24;
constexpr int flameTopEnd = 28;
constexpr int flameVertical = 32;
constexpr int flameBottomEnd = 36;
// In a CellView: nothing lies on the cell, its layout tile shows alone.
constexpr int nothing = 0;

// The game's colour packing: 8-bit components to 5-6-5.
constexpr std::uint16_t pack565(int r, int g, int b) {
  return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) |
                                    (b >> 3));
}

// The arena's layout as the screen shows it: floor, wall or pillar tile.
int layoutTile(int column, int row);
// The twelve cells in the corners that the first arena leaves empty.
bool isStartCorner(int column, int row);
// The piece a tile draws: its first tile (flames: the piece's code), so
// 3 block, 4 crumbling, 9 bomb, 12..36 a flame piece; 0 for layout tiles.
int pieceOf(int tile);

struct Artwork {
  std::array<std::array<std::uint16_t, 256>, tileCount> tiles{};
  std::array<std::array<std::uint16_t, 384>, playerFrameCount> playerFrames{};
  std::array<std::uint16_t, statusBarWidth * statusBarHeight> statusBar{};

  // Reads tiles.raw, player.raw and top.raw from `dataDir`.
  bool load(const std::string& dataDir, std::string* error = nullptr);

  // For finding the player: each frame's opaque pixels (offset into the
  // picture from the sprite's top-left corner), rarest colours first.
  // Made by load, or by prepareSearch after changing the frames.
  struct OpaquePixel {
    int offset;
    std::uint16_t value;
  };
  std::vector<std::vector<OpaquePixel>> spriteSearch;
  void prepareSearch();
};

// The game's picture, 320 by 240 pixels of 5-6-5.
struct Picture {
  std::vector<std::uint16_t> pixels =
      std::vector<std::uint16_t>(pictureWidth * pictureHeight);
  // When read off a scaled screen: blocks of screen pixels that were not all
  // of one colour (0 for an exactly scaled picture).
  int unevenBlocks = 0;

  std::uint16_t at(int x, int y) const { return pixels[y * pictureWidth + x]; }
  void set(int x, int y, std::uint16_t v) { pixels[y * pictureWidth + x] = v; }
  bool operator==(const Picture& other) const { return pixels == other.pixels; }
  // Number of pixels that differ from `other`.
  int difference(const Picture& other) const;
};

// A rectangle of the picture.
struct Area {
  int x = 0, y = 0, width = pictureWidth, height = pictureHeight;
};
constexpr Area wholePicture{};
// The arena's top seven rows, and where the pause message goes: what the
// bomb scenarios watch.
constexpr Area upperArena{arenaLeft, arenaTop, arenaColumns* cellSize,
                          7 * cellSize};

// The picture shown with its top-left corner at (x, y) of the screenshot
// (which may lie outside it), each of its pixels a scale by scale block
// there. Only `area` is read; the rest stays black. Nothing if that area
// is not all on the screenshot.
std::optional<Picture> extractPicture(const Screenshot& screen, int x, int y,
                                      int scale, Area area = wholePicture);
// The reverse, for synthetic screens: `picture` drawn at (x, y), scaled,
// on a black screen of the given size.
Screenshot showPicture(const Picture& picture, int screenWidth,
                       int screenHeight, int x, int y, int scale);

struct PlayerView {
  bool found = false;
  int x = 0;  // top-left corner of the 16 by 24 sprite
  int y = 0;
  // 0..43: facing 0 down, 11 up, 22 left, 33 right, + step. Where frames
  // are the same picture (a walk cycle repeats some), the first of them.
  int frame = 0;
  // The cell the player stands in, as the game reckons it.
  int column() const { return (x - 16) / 16; }
  int row() const { return (y - 12) / 16; }
  int facing() const { return frame / 11 * 11; }
};

// What one arena cell shows: the drawings that fit its visible pixels.
struct CellView {
  // Bit 0: nothing lies on the cell; bit t (3..39): tile t over the layout.
  std::uint64_t fits = 0;
  int hiddenPixels = 0;  // covered by the player's sprite

  bool known() const { return fits != 0 && (fits & (fits - 1)) == 0; }
  bool couldBe(int tile) const { return (fits >> tile) & 1; }
  // The one tile that fits (0: nothing lies there), or -1.
  int tile() const;
  // The piece shown (see pieceOf), when every fitting tile is of the same
  // piece; -1 otherwise (nothing fits, or it is hidden too much to tell).
  int piece() const;
  bool isEmpty() const { return fits == 1; }
  bool couldBeEmpty() const { return couldBe(nothing); }
  bool couldBePiece(int piece) const;
};

struct ArenaView {
  std::array<CellView, arenaColumns * arenaRows> cells{};
  PlayerView player;
  bool statusBar = false;  // data/top.raw exactly at (32, 4)
  // Every wall and pillar cell shows its tile: this is the arena at all.
  bool layoutShown = false;
  int pauseTextPixels = 0;  // white pixels where the pause message goes

  const CellView& cell(int column, int row) const {
    return cells[static_cast<std::size_t>(column * arenaRows + row)];
  }
  bool paused() const { return pauseTextPixels >= 40; }
  // Floor cells (corners included) that show a block.
  int blockCount() const;
  // A text drawing of the arena, one line a row, for failure messages:
  // # wall, o pillar, . empty floor, B block, c crumbling, * bomb,
  // < - > + ^ | v flame pieces, ? several fit, ! none fits; P the player's
  // cell when its content is hidden.
  std::string map() const;
};

ArenaView decode(const Picture& picture, const Artwork& art);

// Finds the player's sprite: the frame whose opaque pixels all match.
PlayerView findPlayer(const Picture& picture, const Artwork& art);

// Draws a frame as the game does: layout, the tiles of `tiles` (column-major
// like the game's grid, 0 for nothing), the status bar if asked, the player
// if given. Uncovered pixels are black.
Picture composeFrame(const Artwork& art, const std::array<int, 221>& tiles,
                     bool statusBar, const PlayerView* player);

}  // namespace xharness
