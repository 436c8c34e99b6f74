// Many random fields and bomb placements, run for thousands of updates:
// whatever happens, every cell stays in a state the game can draw and
// advance.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "ArenaFixture.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "tests/support/ArenaInvariants.h"

namespace {

using ArenaProperties = ArenaTest;

TEST_F(ArenaProperties, RandomFieldsAndBombsStayWithinTheirCycles) {
  const LevelLayout& layout = Arena::layout();
  std::mt19937 pick(20240611);
  std::uniform_int_distribution<int> column(0, arenaColumns - 1);
  std::uniform_int_distribution<int> row(0, arenaRows - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> power(-1, 6);

  long long explosionsSeen = 0, crumblingSeen = 0;
  for (int field = 0; field < 40; ++field) {
    runtime::srand(static_cast<std::uint32_t>(field * 7919 + 1));
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    // Some fields crowded with blocks, some nearly open.
    if (field % 3 != 2) arena.generate();
    const int bombChance = 5 + field % 4 * 15;
    for (int update = 0; update < 3000; ++update) {
      // Some fields are not generated, and bombs of any power are laid.
      const char* broken = invariants::checkArena({false, 0});
      ASSERT_EQ(broken, nullptr)
          << broken << ": field " << field << ", before update " << update;
      Arena::update();
      // As the frame loop lays them: only on an empty cell; usually power 2.
      for (int tries = 0; tries < 3; ++tries) {
        if (percent(pick) >= bombChance) continue;
        const int c = column(pick), r = row(pick);
        if (layout[r][c] != layoutFloor) continue;
        if (Arena::grid[c][r].type != cellEmpty) continue;
        placeBomb(
            static_cast<std::int8_t>(c), static_cast<std::int8_t>(r),
            static_cast<std::int8_t>(percent(pick) < 70 ? 2 : power(pick)));
      }
      for (auto& cells : Arena::grid)
        for (const Cell& cell : cells) {
          explosionsSeen +=
              cell.type == flameCentre && cell.timer == 4 && cell.step == 0;
          crumblingSeen += cell.type == cellCrumbling;
        }
    }
  }
  // The run did exercise explosions and crumbling blocks.
  EXPECT_GT(explosionsSeen, 1000);
  EXPECT_GT(crumblingSeen, 1000);
}

}  // namespace
