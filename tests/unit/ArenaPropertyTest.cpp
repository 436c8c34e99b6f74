// Many random fields and bomb placements, run for thousands of updates:
// whatever happens, every cell stays in a state the game can draw and
// advance.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "ArenaFixture.h"
#include "app/Random.h"
#include "arena/Arena.h"

namespace {

using ArenaProperties = ArenaTest;

bool isFlameCode(int type) {
  return type >= flameLeftEnd && type <= flameBottomEnd && type % 4 == 0;
}

bool isLive(int type) {
  return type == cellCrumbling || type == cellBomb || isFlameCode(type);
}

// Checks every cell before an update; returns the first fault found.
::testing::AssertionResult fieldIsSound(const LevelLayout& layout) {
  for (int column = 0; column < arenaColumns; ++column) {
    for (int row = 0; row < arenaRows; ++row) {
      const Cell& c = Arena::grid[column][row];
      const int type = c.type;
      auto fault = [&](const char* what) {
        return ::testing::AssertionFailure()
               << what << " at (" << column << ", " << row << "): type " << type
               << ", frame " << int(c.frame) << ", timer " << int(c.timer)
               << ", step " << int(c.step);
      };
      if (layout[row][column] != layoutFloor) {
        if (c.type != 0 || c.frame != 0 || c.timer != 0 || c.power != 0 ||
            c.step != 0)
          return fault("grid cell under a wall or pillar changed");
        continue;
      }
      if (type != cellEmpty && type != cellBlock && !isLive(type))
        return fault("unknown type");
      if (type == cellEmpty) continue;
      const int tile = type + c.frame;
      if (tile < 3 || tile > 39) return fault("tile out of range");
      if (isLive(type) && c.timer <= 0) return fault("live cell without time");
      if (type == cellBomb && (c.frame < 0 || c.frame > 2 || c.step < 0 ||
                               c.step > 12 || c.timer > 8))
        return fault("bomb out of its cycle");
      if (isFlameCode(type) && (c.frame < 0 || c.frame > 3 || c.step < 0 ||
                                c.step > 6 || c.timer > 4))
        return fault("flame out of its cycle");
      if (type == cellCrumbling && (c.frame < 0 || c.frame > 4 || c.timer > 6))
        return fault("crumbling block out of its cycle");
    }
  }
  return ::testing::AssertionSuccess();
}

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
      ASSERT_TRUE(fieldIsSound(layout))
          << "field " << field << ", before update " << update;
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
