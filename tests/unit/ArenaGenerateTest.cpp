#include <gtest/gtest.h>

#include <cstring>

#include "app/Random.h"
#include "arena/Arena.h"

namespace {

int draws = 0;
int drawValue = 0;
int countingRand() {
  ++draws;
  return drawValue;
}

class ArenaGenerate : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved, Arena::storedLayout, sizeof saved);
    arena.clear();
    draws = 0;
    drawValue = 1;
    runtime::overrideRand(countingRand);
  }
  void TearDown() override {
    runtime::overrideRand(nullptr);
    std::memcpy(Arena::storedLayout, saved, sizeof saved);
    arena.clear();
  }

  static int countLayout(std::int8_t value) {
    int n = 0;
    for (auto& row : Arena::storedLayout)
      for (auto v : row) n += v == value;
    return n;
  }

  LevelLayout saved;
};

TEST_F(ArenaGenerate, StoredLayoutHasItsFloorWallsPillarsAndStartCells) {
  EXPECT_EQ(countLayout(layoutFloor), 101);
  EXPECT_EQ(countLayout(layoutWall), 78);
  EXPECT_EQ(countLayout(layoutPillar), 30);
  EXPECT_EQ(countLayout(layoutReserved), 12);
  EXPECT_EQ(Arena::layout()[1][2], layoutReserved);  // the player's start
  for (auto* table : Arena::LevelTable) EXPECT_EQ(table, &Arena::storedLayout);
}

TEST_F(ArenaGenerate, FirstGenerationClearsTheStartCellsForGood) {
  arena.generate();
  EXPECT_EQ(draws, 101);
  EXPECT_EQ(countLayout(layoutReserved), 0);
  EXPECT_EQ(countLayout(layoutFloor), 113);
  const int corners[12][2] = {{2, 1},  {3, 1},   {2, 2},   {13, 1},
                              {14, 1}, {14, 2},  {2, 10},  {2, 11},
                              {3, 11}, {14, 10}, {13, 11}, {14, 11}};
  for (auto [column, row] : corners) {
    EXPECT_EQ(Arena::grid[column][row].type, cellEmpty) << column << "," << row;
    EXPECT_EQ(Arena::layout()[row][column], layoutFloor);
  }

  draws = 0;
  arena.generate();
  EXPECT_EQ(draws, 113);
  // Now the former start cells are floor like any other and take blocks.
  for (auto [column, row] : corners)
    EXPECT_EQ(Arena::grid[column][row].type, cellBlock);
}

TEST_F(ArenaGenerate, MultiplesOfFourLeaveTheFloorEmptyOthersFillIt) {
  drawValue = 4 * 1234;
  arena.generate();
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r)
      EXPECT_EQ(Arena::grid[c][r].type, cellEmpty);

  drawValue = 4 * 1234 + 3;
  arena.generate();
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r)
      EXPECT_EQ(Arena::grid[c][r].type,
                Arena::layout()[r][c] == layoutFloor ? cellBlock : cellEmpty)
          << c << "," << r;
}

TEST_F(ArenaGenerate, EachFloorCellTakesTheNextNumberInReadingOrder) {
  // Numbers 0, 1, 2, 3, 0, ... in row order: every fourth floor cell in
  // reading order stays empty.
  runtime::overrideRand([] { return draws++ % 4; });
  arena.generate();
  int floorIndex = 0;
  for (int r = 0; r < arenaRows; ++r)
    for (int c = 0; c < arenaColumns; ++c) {
      if (saved[r][c] != layoutFloor) continue;
      EXPECT_EQ(Arena::grid[c][r].type,
                floorIndex % 4 == 0 ? cellEmpty : cellBlock)
          << c << "," << r;
      ++floorIndex;
    }
}

TEST_F(ArenaGenerate, RegeneratingWipesBombsFlamesAndCrumblingBlocks) {
  arena.generate();
  Arena::grid[4][1] = {cellBomb, 2, 5, 2, 7};
  Arena::grid[5][1] = {flameHorizontal, 3, 2, 2, 3};
  Arena::grid[6][1] = {cellCrumbling, 4, 1, 0, 0};
  drawValue = 4;
  arena.generate();
  for (int c : {4, 5, 6}) {
    EXPECT_EQ(Arena::grid[c][1].type, cellEmpty);
    EXPECT_EQ(Arena::grid[c][1].frame, 0);
  }
  drawValue = 5;
  arena.generate();
  Arena::grid[4][1] = {cellBomb, 2, 5, 2, 7};
  arena.generate();
  EXPECT_EQ(Arena::grid[4][1].type, cellBlock);
  EXPECT_EQ(Arena::grid[4][1].frame, 0);  // drawn as a plain block, tile 3
}

TEST_F(ArenaGenerate, WallAndPillarCellsAreNeverWritten) {
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r)
      if (saved[r][c] == layoutWall || saved[r][c] == layoutPillar)
        Arena::grid[c][r] = {77, 1, 2, 3, 4};
  for (int i = 0; i < 3; ++i) arena.generate();
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      if (saved[r][c] == layoutWall || saved[r][c] == layoutPillar) {
        EXPECT_EQ(Arena::grid[c][r].type, 77);
      }
    }
}

TEST(ArenaClear, ZeroesEveryFieldOfEveryCellButLeavesTheLayout) {
  LevelLayout before;
  std::memcpy(before, Arena::storedLayout, sizeof before);
  std::memset(Arena::grid, 0x5A, sizeof Arena::grid);
  arena.clear();
  const auto* bytes = reinterpret_cast<const unsigned char*>(Arena::grid);
  for (std::size_t i = 0; i < sizeof Arena::grid; ++i) ASSERT_EQ(bytes[i], 0);
  EXPECT_EQ(std::memcmp(before, Arena::storedLayout, sizeof before), 0);
  EXPECT_EQ(sizeof(Cell), 5u);
  EXPECT_EQ(sizeof Arena::grid, 221u * 5);
}

}  // namespace
