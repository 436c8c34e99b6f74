#include "tests/support/ArenaInvariants.h"

#include <cstdint>
#include <cstdio>

#include "arena/Arena.h"

namespace invariants {
namespace {

char message[256];

const char* brokenCell(const char* what, int column, int row) {
  const Cell& c = Arena::grid[column][row];
  std::snprintf(message, sizeof message,
                "cell (%d, %d): %s: type %d frame %d timer %d power %d step %d",
                column, row, what, c.type, c.frame, c.timer, c.power, c.step);
  return message;
}

constexpr std::int8_t bombPulse[13] = {0, 1, 2, 1, 0, 1, 2, 1, 0, 1, 2, 1, 0};
constexpr std::int8_t flamePhase[7] = {0, 1, 2, 3, 2, 1, 0};

}  // namespace

const char* checkCell(int column, int row, const Rules& rules) {
  const Cell& c = Arena::grid[column][row];
  const std::int8_t layoutValue = Arena::layout()[row][column];
  if (rules.generated && layoutValue == layoutReserved)
    return brokenCell("start cell left after a generation", column, row);
  if (layoutValue != layoutFloor) {
    if (c.type != 0 || c.frame != 0 || c.timer != 0 || c.power != 0 ||
        c.step != 0)
      return brokenCell("wall or pillar cell written", column, row);
    return nullptr;
  }
  if (c.type == cellEmpty) return nullptr;
  const int tile = c.type + c.frame;
  if (tile < 3 || tile > 39)
    return brokenCell("tile outside 3..39", column, row);
  switch (c.type) {
    case cellBlock:
      if (c.frame != 0) return brokenCell("block with a frame", column, row);
      return nullptr;
    case cellCrumbling:
      if (c.frame < 0 || c.frame > 4)
        return brokenCell("crumbling stage", column, row);
      if (c.timer < 1 || c.timer > 6)
        return brokenCell("crumbling timer", column, row);
      return nullptr;
    case cellBomb:
      if (c.step < 0 || c.step > 12)
        return brokenCell("bomb step", column, row);
      if (c.frame != bombPulse[c.step])
        return brokenCell("bomb frame off its pulse", column, row);
      if (c.timer < 1 || c.timer > 8)
        return brokenCell("bomb timer", column, row);
      if (rules.bombPower && c.power != rules.bombPower)
        return brokenCell("bomb power", column, row);
      return nullptr;
    case flameLeftEnd:
    case flameHorizontal:
    case flameRightEnd:
    case flameCentre:
    case flameTopEnd:
    case flameVertical:
    case flameBottomEnd:
      if (c.step < 0 || c.step > 6)
        return brokenCell("flame step", column, row);
      if (c.frame != flamePhase[c.step])
        return brokenCell("flame frame off its phase", column, row);
      if (c.timer < 1 || c.timer > 4)
        return brokenCell("flame timer", column, row);
      return nullptr;
    default:
      return brokenCell("unknown cell type", column, row);
  }
}

const char* checkArena(const Rules& rules) {
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row)
      if (const char* what = checkCell(column, row, rules)) return what;
  return nullptr;
}

}  // namespace invariants
