// Shared by the arena tests: a known grid on the stored layout, put back as
// it was afterwards, and helpers to state and compare whole grids.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "arena/Arena.h"

struct GridState {
  Cell cells[arenaColumns][arenaRows];
};

inline GridState emptyGrid() {
  GridState state;
  std::memset(&state, 0, sizeof state);
  return state;
}

inline GridState currentGrid() {
  GridState state;
  std::memcpy(state.cells, Arena::grid, sizeof Arena::grid);
  return state;
}

inline Cell flameCell(std::int8_t type, std::int8_t timer = 4,
                      std::int8_t power = 0) {
  return Cell{type, 0, timer, power, 0};
}

// Compares every field of every cell; names each cell that differs.
inline ::testing::AssertionResult gridsEqual(const GridState& expected,
                                             const GridState& actual) {
  std::ostringstream out;
  int differences = 0;
  for (int row = 0; row < arenaRows; ++row) {
    for (int column = 0; column < arenaColumns; ++column) {
      const Cell& e = expected.cells[column][row];
      const Cell& a = actual.cells[column][row];
      if (std::memcmp(&e, &a, sizeof(Cell)) == 0) continue;
      ++differences;
      auto fields = [](const Cell& c) {
        std::ostringstream s;
        s << "{type " << int(c.type) << ", frame " << int(c.frame) << ", timer "
          << int(c.timer) << ", power " << int(c.power) << ", step "
          << int(c.step) << "}";
        return s.str();
      };
      out << "\n  cell (" << column << ", " << row << "): expected "
          << fields(e) << ", got " << fields(a);
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differences << " cell(s) differ:" << out.str();
}

// A cleared grid over the stored layout, with the reserved start cells
// turned into floor as the first generation leaves them. The layout, the
// level index and the grid are put back afterwards.
class ArenaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(savedLayout, Arena::storedLayout, sizeof savedLayout);
    std::memcpy(savedGrid, Arena::grid, sizeof savedGrid);
    savedLevel = Arena::currentLevel;
    Arena::currentLevel = 0;
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    for (auto& row : Arena::storedLayout)
      for (auto& value : row)
        if (value == layoutReserved) value = layoutFloor;
  }

  void TearDown() override {
    std::memcpy(Arena::storedLayout, savedLayout, sizeof savedLayout);
    std::memcpy(Arena::grid, savedGrid, sizeof savedGrid);
    Arena::currentLevel = savedLevel;
  }

  static Cell& at(int column, int row) { return Arena::grid[column][row]; }
  static bool isFloor(int column, int row) {
    return Arena::storedLayout[row][column] == layoutFloor;
  }
  static void updates(int count) {
    for (int i = 0; i < count; ++i) Arena::update();
  }

  LevelLayout savedLayout;
  Cell savedGrid[arenaColumns][arenaRows];
  std::int8_t savedLevel = 0;
};
