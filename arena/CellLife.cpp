// The life of the live cells from frame to frame: a bomb pulses through its
// fuse and explodes, a flame swells and fades and goes out, a hit block
// crumbles through its stages and disappears.
#include "arena/Arena.h"

namespace {

constexpr std::int8_t bombPhaseLength = 8;
constexpr std::int8_t bombFuseEnd = 13;
constexpr std::int8_t flamePhaseLength = 4;
constexpr std::int8_t flameEnd = 7;
constexpr std::int8_t crumbleStageLength = 6;
constexpr std::int8_t lastCrumbleStage = 4;

// The bomb's pulse, one frame per step; entry 0 is never read (a new bomb
// starts at frame 0 directly).
constexpr std::int8_t bombPulseFrames[13] = {0, 1, 2, 1, 0, 1, 2,
                                             1, 0, 1, 2, 1, 0};
// A flame swells and fades, one frame per phase; entry 0 is never read.
constexpr std::int8_t flameFrames[7] = {0, 1, 2, 3, 2, 1, 0};

}  // namespace

void Arena::update() {
  // Reading order. An explosion set off here rewrites cells in the middle of
  // the pass; each cell's type is read only when the pass reaches it.
  for (int row = 0; row < arenaRows; ++row) {
    for (int column = 0; column < arenaColumns; ++column) {
      const auto c = static_cast<std::int8_t>(column);
      const auto r = static_cast<std::int8_t>(row);
      switch (grid[column][row].type) {
        case cellCrumbling:
          updateCrumbling(c, r);
          break;
        case cellBomb:
          updateBomb(c, r);
          break;
        case flameLeftEnd:
        case flameHorizontal:
        case flameRightEnd:
        case flameCentre:
        case flameTopEnd:
        case flameVertical:
        case flameBottomEnd:
          updateFlame(c, r);
          break;
        default:
          break;
      }
    }
  }
}

void placeBomb(std::int8_t column, std::int8_t row, std::int8_t power) {
  Cell& cell = Arena::grid[column][row];
  cell.type = cellBomb;
  cell.timer = bombPhaseLength;
  cell.frame = 0;
  cell.step = 0;
  cell.power = power;
}

void setFlame(Cell& cell, std::int8_t flameType) {
  cell.type = flameType;
  cell.timer = flamePhaseLength;
  cell.step = 0;
  cell.frame = 0;
}

void startCrumbling(std::int8_t column, std::int8_t row) {
  Cell& cell = Arena::grid[column][row];
  cell.type = cellCrumbling;
  cell.timer = crumbleStageLength;
  cell.frame = 0;
}

void updateBomb(std::int8_t column, std::int8_t row) {
  Cell& cell = Arena::grid[column][row];
  if (--cell.timer != 0) return;
  ++cell.step;
  if (cell.step >= bombFuseEnd) {
    explode(column, row);
    return;
  }
  cell.timer = bombPhaseLength;
  cell.frame = bombPulseFrames[cell.step];
}

void updateFlame(std::int8_t column, std::int8_t row) {
  Cell& cell = Arena::grid[column][row];
  if (--cell.timer != 0) return;
  ++cell.step;
  if (cell.step >= flameEnd) {
    cell.type = cellEmpty;
    cell.frame = 0;
    cell.timer = 0;
    return;
  }
  cell.timer = flamePhaseLength;
  cell.frame = flameFrames[cell.step];
}

void updateCrumbling(std::int8_t column, std::int8_t row) {
  Cell& cell = Arena::grid[column][row];
  if (--cell.timer != 0) return;
  if (cell.frame >= lastCrumbleStage) {
    cell.type = cellEmpty;
    cell.frame = 0;
    cell.timer = 0;
    return;
  }
  ++cell.frame;
  cell.timer = crumbleStageLength;
}
