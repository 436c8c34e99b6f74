#include "arena/Arena.h"

#include <cstring>

#include "app/Random.h"

// The one level: a border of walls two thick at the sides, pillars on every
// odd column of every even row inside, and an L of reserved start cells in
// each corner that the first generation keeps free of blocks.
LevelLayout Arena::storedLayout = {
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 1, 1},
    {1, 1, 9, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 9, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {1, 1, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {1, 1, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {1, 1, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {1, 1, 9, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 9, 1, 1},
    {1, 1, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};

Cell Arena::grid[arenaColumns][arenaRows];
LevelLayout* Arena::LevelTable[3] = {&Arena::storedLayout, &Arena::storedLayout,
                                     &Arena::storedLayout};
std::int8_t Arena::currentLevel = 0;

Arena::Arena() : tileSet{} { clear(); }

void Arena::clear() { std::memset(grid, 0, sizeof grid); }

void Arena::generate() {
  LevelLayout& level = layout();
  for (int row = 0; row < arenaRows; ++row) {
    for (int column = 0; column < arenaColumns; ++column) {
      std::int8_t& value = level[row][column];
      Cell& cell = grid[column][row];
      if (value == layoutFloor) {
        cell.type = runtime::rand() % 4 == 0 ? cellEmpty : cellBlock;
        cell.frame = 0;
      } else if (value == layoutReserved) {
        cell.type = cellEmpty;
        value = layoutFloor;
      }
    }
  }
}
