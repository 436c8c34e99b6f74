// Drawing the arena: the 40 tiles and the status bar, cut once at start-up
// out of two picture files, and the three passes of every frame (layout,
// cells, status bar) onto the composition surface.
#include <cstring>

#include "arena/Arena.h"
#include "video/Graphics.h"

namespace {

constexpr int tileCount = 40;
constexpr int tilePixels = cellSize * cellSize;  // 256
constexpr int statusBarWidth = 256;
constexpr int statusBarHeight = 23;
constexpr int statusBarPixels = statusBarWidth * statusBarHeight;  // 5888
constexpr int statusBarX = 32;
constexpr int statusBarY = 4;

// Copies `count` pixels from one run of memory to another. A lock that
// failed gives no memory; nothing is copied then.
void copyPixels(std::uint16_t* to, const std::uint16_t* from, int count) {
  if (to != nullptr && from != nullptr)
    std::memcpy(to, from, count * sizeof(std::uint16_t));
}

}  // namespace

void TileSet::load() {
  // The composition surface is the staging area: each file lands in its
  // memory as one run of pixels and is cut out of it from there. The entry
  // clears it before the first frame.
  Surface* staging = graphics.compositionSurface;

  loadRawImage("data/top.raw", staging, statusBarPixels);
  statusBar = graphics.createSurface(statusBarWidth, statusBarHeight, 1, 0);
  std::uint16_t* bar = graphics.lockSurface(statusBar);
  const std::uint16_t* run = graphics.lockSurface(staging);
  copyPixels(bar, run, statusBarPixels);
  graphics.unlockSurface(statusBar);
  graphics.unlockSurface(staging);

  // One picture 16 pixels wide and 640 rows tall: tile i is rows 16 i to
  // 16 i + 15, that is pixels 256 i to 256 i + 255 of the run.
  loadRawImage("data/tiles.raw", staging, tileCount * tilePixels);
  run = graphics.lockSurface(staging);
  for (int i = 0; i < tileCount; ++i) {
    tiles[i] = graphics.createSurface(cellSize, cellSize, 1, 0);
    std::uint16_t* pixels = graphics.lockSurface(tiles[i]);
    copyPixels(pixels, run == nullptr ? nullptr : run + i * tilePixels,
               tilePixels);
    graphics.unlockSurface(tiles[i]);
  }
  graphics.unlockSurface(staging);
}

void TileSet::drawTile(std::int32_t x, std::int32_t y, std::int8_t index) {
  if (index < 0 || index >= tileCount) return;
  blitSize.set(cellSize, cellSize);
  blitSize.blitKeyed(x, y, tiles[index]);
}

void Arena::drawLayout() {
  const LevelLayout& level = layout();
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column)
      tileSet.drawTile(arenaLeft + cellSize * column, arenaTop + cellSize * row,
                       level[row][column]);
}

void Arena::drawCells() {
  for (int row = 0; row < arenaRows; ++row) {
    for (int column = 0; column < arenaColumns; ++column) {
      const Cell& cell = grid[column][row];
      if (cell.type == cellEmpty) continue;
      tileSet.drawTile(arenaLeft + cellSize * column, arenaTop + cellSize * row,
                       static_cast<std::int8_t>(cell.type + cell.frame));
    }
  }
}

void Arena::drawStatusBar() {
  // Opaque: every pixel of the picture is copied, black included.
  blitSize.set(statusBarWidth, statusBarHeight);
  blitSize.blitOpaque(statusBarX, statusBarY, tileSet.statusBar);
}
