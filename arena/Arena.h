// The arena: the fixed level layout of walls and pillars, the grid of cells
// over it (blocks, crumbling blocks, bombs, flames), their life from frame to
// frame, explosions, and the drawing of the arena and the status bar.
#pragma once

#include <cstdint>

struct Surface;

inline constexpr int arenaColumns = 17;
inline constexpr int arenaRows = 13;
inline constexpr int arenaLeft = 24;  // pixel position of cell (0, 0)
inline constexpr int arenaTop = 32;
inline constexpr int cellSize = 16;

struct CellPosition {
  std::int32_t column;
  std::int32_t row;
};

// The cell that holds pixel (x, y) of the frame. The division keeps the
// integer part, so a pixel up to one cell left of or above the arena still
// counts as column or row 0.
constexpr CellPosition cellAt(std::int32_t x, std::int32_t y) {
  return {(x - arenaLeft) / cellSize, (y - arenaTop) / cellSize};
}

// Cell type codes.
enum CellType : std::int8_t {
  cellEmpty = 0,
  cellBlock = 3,
  cellCrumbling = 4,
  cellBomb = 9,
  flameLeftEnd = 12,
  flameHorizontal = 16,
  flameRightEnd = 20,
  flameCentre = 24,
  flameTopEnd = 28,
  flameVertical = 32,
  flameBottomEnd = 36,
};

// Ranges of cell types as the player meets them: 1 to 8 stand in its way
// (blocks and crumbling blocks), 9 to 11 are bombs; empty cells and every
// flame are open.
constexpr bool isSolidType(std::int8_t type) { return type >= 1 && type <= 8; }
constexpr bool isBombType(std::int8_t type) { return type >= 9 && type <= 11; }

// Layout values.
enum LayoutValue : std::int8_t {
  layoutFloor = 0,
  layoutWall = 1,
  layoutPillar = 2,
  layoutReserved = 9,
};

struct Cell {
  std::int8_t type;
  std::int8_t frame;  // the tile drawn is type + frame
  std::int8_t timer;  // updates left in the current phase
  std::int8_t power;  // a bomb's reach in cells
  std::int8_t step;   // a bomb's pulse step or a flame's phase
};

// Rows by columns, row-major: the opposite order from the grid.
using LevelLayout = std::int8_t[arenaRows][arenaColumns];

// The 40 tiles (floor, wall, pillar, block, crumbling stages, bomb pulses,
// flame pieces) and the status-bar picture.
struct TileSet {
  Surface* tiles[40];
  Surface* statusBar;

  void load();
  void drawTile(std::int32_t x, std::int32_t y, std::int8_t index);
};

struct Arena {
  // Class-wide: the grid, column-major, and the layouts.
  static Cell grid[arenaColumns][arenaRows];
  static LevelLayout storedLayout;
  static LevelLayout* LevelTable[3];
  static std::int8_t currentLevel;

  TileSet tileSet;

  Arena();

  static LevelLayout& layout() { return *LevelTable[currentLevel]; }

  void clear();
  void generate();

  static void update();

  void drawLayout();
  void drawCells();
  void drawStatusBar();

  // Movement tests for the player; see player/.
  std::int32_t moveRight();
  std::int32_t moveLeft();
  std::int32_t moveUp();
  std::int32_t moveDown();
};

extern Arena arena;

void placeBomb(std::int8_t column, std::int8_t row, std::int8_t power);
void startCrumbling(std::int8_t column, std::int8_t row);
void setFlame(Cell& cell, std::int8_t flameType);
void updateCrumbling(std::int8_t column, std::int8_t row);
void updateBomb(std::int8_t column, std::int8_t row);
void updateFlame(std::int8_t column, std::int8_t row);
void explode(std::int8_t column, std::int8_t row);
