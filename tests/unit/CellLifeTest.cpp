// The life of bombs, flames and crumbling blocks from update to update, and
// the effects of the reading order of one pass.
#include <gtest/gtest.h>

#include "ArenaFixture.h"
#include "arena/Arena.h"

namespace {

using CellLife = ArenaTest;

constexpr int bombPulse[13] = {0, 1, 2, 1, 0, 1, 2, 1, 0, 1, 2, 1, 0};
constexpr int flameSwell[7] = {0, 1, 2, 3, 2, 1, 0};

TEST_F(CellLife,
       BombPulsesEightUpdatesPerFrameAndExplodesOnItsHundredAndFourth) {
  placeBomb(8, 7, 2);
  const Cell laid = at(8, 7);
  EXPECT_EQ(laid.type, cellBomb);
  EXPECT_EQ(laid.frame, 0);
  EXPECT_EQ(laid.timer, 8);
  EXPECT_EQ(laid.power, 2);
  EXPECT_EQ(laid.step, 0);

  for (int update = 1; update <= 103; ++update) {
    Arena::update();
    const Cell& bomb = at(8, 7);
    ASSERT_EQ(bomb.type, cellBomb) << "update " << update;
    ASSERT_EQ(bomb.type + bomb.frame, 9 + bombPulse[update / 8])
        << "tile after update " << update;
    ASSERT_EQ(bomb.timer, 8 - update % 8) << "update " << update;
    ASSERT_EQ(bomb.step, update / 8) << "update " << update;
  }
  Arena::update();
  const Cell& centre = at(8, 7);
  EXPECT_EQ(centre.type, flameCentre);
  EXPECT_EQ(centre.frame, 0);
  EXPECT_EQ(centre.timer, 4);
  EXPECT_EQ(centre.power, 2);
  EXPECT_EQ(centre.step, 0);
}

TEST_F(CellLife, EveryFlamePieceKeepsItsCodeAndGoesOutOnItsTwentyEighthUpdate) {
  const std::int8_t codes[] = {flameLeftEnd,  flameHorizontal, flameRightEnd,
                               flameCentre,   flameTopEnd,     flameVertical,
                               flameBottomEnd};
  for (std::int8_t code : codes) {
    SCOPED_TRACE(int(code));
    Cell& cell = at(8, 7);
    cell = Cell{cellBomb, 2, 1, 5, 9};  // leftovers from a bomb
    setFlame(cell, code);
    EXPECT_EQ(cell.type, code);
    EXPECT_EQ(cell.frame, 0);
    EXPECT_EQ(cell.timer, 4);
    EXPECT_EQ(cell.power, 5) << "power is left alone";
    EXPECT_EQ(cell.step, 0);
    for (int update = 1; update <= 27; ++update) {
      Arena::update();
      ASSERT_EQ(cell.type, code) << "update " << update;
      ASSERT_EQ(cell.frame, flameSwell[update / 4]) << "update " << update;
      ASSERT_EQ(cell.timer, 4 - update % 4) << "update " << update;
    }
    Arena::update();
    EXPECT_EQ(cell.type, cellEmpty);
    EXPECT_EQ(cell.frame, 0);
    EXPECT_EQ(cell.timer, 0);
    EXPECT_EQ(cell.power, 5);
    EXPECT_EQ(cell.step, 7);
    updates(50);
    EXPECT_EQ(cell.type, cellEmpty) << "an empty cell stays empty";
  }
}

TEST_F(CellLife, CrumblingBlockShowsFiveStagesAndVanishesOnItsThirtiethUpdate) {
  at(9, 7) = Cell{cellBlock, 0, 0, 3, 5};
  startCrumbling(9, 7);
  const Cell& cell = at(9, 7);
  EXPECT_EQ(cell.type, cellCrumbling);
  EXPECT_EQ(cell.frame, 0);
  EXPECT_EQ(cell.timer, 6);
  EXPECT_EQ(cell.power, 3);
  EXPECT_EQ(cell.step, 5);
  for (int update = 1; update <= 29; ++update) {
    Arena::update();
    ASSERT_EQ(cell.type, cellCrumbling) << "update " << update;
    ASSERT_EQ(cell.type + cell.frame, 4 + update / 6) << "update " << update;
    ASSERT_EQ(cell.timer, 6 - update % 6) << "update " << update;
  }
  Arena::update();
  EXPECT_EQ(cell.type, cellEmpty);
  EXPECT_EQ(cell.frame, 0);
  EXPECT_EQ(cell.timer, 0);
  EXPECT_EQ(cell.power, 3);
  EXPECT_EQ(cell.step, 5);
}

TEST_F(CellLife, FlameRewrittenByALaterExplosionBurnsAFullLifeAgain) {
  setFlame(at(7, 7), flameVertical);
  updates(20);
  ASSERT_EQ(at(7, 7).type, flameVertical);
  placeBomb(8, 7, 2);
  at(8, 7).timer = 1;
  at(8, 7).step = 12;
  Arena::update();  // the left arm passes (7, 7) before its last distance
  EXPECT_EQ(at(7, 7).type, flameHorizontal);
  EXPECT_EQ(at(7, 7).timer, 4);
  updates(27);
  EXPECT_EQ(at(7, 7).type, flameHorizontal);
  Arena::update();
  EXPECT_EQ(at(7, 7).type, cellEmpty);
}

// A bomb at (8, 7) whose fuse ends in this pass, with a block two cells to
// its left and one two cells to its right.
TEST_F(CellLife, PiecesAfterTheBombInReadingOrderEndOneFrameEarlier) {
  placeBomb(8, 7, 2);
  at(8, 7).timer = 1;
  at(8, 7).step = 12;
  at(6, 7).type = cellBlock;
  at(10, 7).type = cellBlock;

  Arena::update();
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[8][7] = flameCell(flameCentre, 4, 2);  // not updated again this pass
  e[7][7] = flameCell(flameHorizontal, 4);
  e[6][7] = Cell{cellCrumbling, 0, 6, 0, 0};
  e[8][6] = flameCell(flameVertical, 4);
  e[8][5] = flameCell(flameTopEnd, 4);
  // After the bomb in reading order: already updated once in this pass.
  e[9][7] = flameCell(flameHorizontal, 3);
  e[10][7] = Cell{cellCrumbling, 0, 5, 0, 0};
  e[8][8] = flameCell(flameVertical, 3);
  e[8][9] = flameCell(flameBottomEnd, 3);
  ASSERT_TRUE(gridsEqual(expected, currentGrid()));

  updates(27);  // 28 passes since the explosion
  EXPECT_EQ(at(9, 7).type, cellEmpty);
  EXPECT_EQ(at(8, 8).type, cellEmpty);
  EXPECT_EQ(at(8, 9).type, cellEmpty);
  EXPECT_EQ(at(7, 7).type, flameHorizontal);
  EXPECT_EQ(at(8, 6).type, flameVertical);
  EXPECT_EQ(at(8, 5).type, flameTopEnd);
  EXPECT_EQ(at(8, 7).type, flameCentre);
  Arena::update();
  EXPECT_EQ(at(7, 7).type, cellEmpty);
  EXPECT_EQ(at(8, 6).type, cellEmpty);
  EXPECT_EQ(at(8, 5).type, cellEmpty);
  EXPECT_EQ(at(8, 7).type, cellEmpty);
  EXPECT_EQ(at(10, 7).type, cellCrumbling);
  Arena::update();
  EXPECT_EQ(at(10, 7).type, cellEmpty);
  EXPECT_EQ(at(6, 7).type, cellCrumbling);
  Arena::update();
  EXPECT_EQ(at(6, 7).type, cellEmpty);
}

// X at (4, 5) is updated early in the pass; Y at (6, 5), whose fuse ends
// later in the same pass, reaches X with its left arm: X explodes at once.
TEST_F(CellLife, BombAlreadyUpdatedInThePassIsSetOffWhenALaterBombReachesIt) {
  placeBomb(4, 5, 2);
  placeBomb(6, 5, 2);
  at(6, 5).timer = 1;
  at(6, 5).step = 12;

  Arena::update();
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[6][5] = flameCell(flameCentre, 4, 2);
  e[5][5] = flameCell(flameHorizontal, 4);  // Y's middle, rewritten by X
  e[4][5] = flameCell(flameCentre, 4, 2);   // X, fuse cut short
  e[3][5] = flameCell(flameHorizontal, 4);
  e[2][5] = flameCell(flameLeftEnd, 4);
  e[4][4] = flameCell(flameVertical, 4);
  e[4][3] = flameCell(flameTopEnd, 4);
  e[6][4] = flameCell(flameVertical, 4);
  e[6][3] = flameCell(flameTopEnd, 4);
  e[7][5] = flameCell(flameHorizontal, 3);
  e[8][5] = flameCell(flameRightEnd, 3);
  e[4][6] = flameCell(flameVertical, 3);
  e[4][7] = flameCell(flameBottomEnd, 3);
  e[6][6] = flameCell(flameVertical, 3);
  e[6][7] = flameCell(flameBottomEnd, 3);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));
}

TEST_F(CellLife, PassNeverTouchesBlocksEmptyCellsOrLeftovers) {
  // Empty cells may carry fields left from an earlier life; nothing reads
  // or changes them.
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row)
      at(column, row) = Cell{(column + row) % 3 == 0 ? cellBlock : cellEmpty,
                             std::int8_t(row % 4), std::int8_t(column % 3),
                             std::int8_t(row), std::int8_t(column)};
  const GridState before = currentGrid();
  updates(200);
  EXPECT_TRUE(gridsEqual(before, currentGrid()));
}

}  // namespace
