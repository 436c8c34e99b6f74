// Explosions: the cross of flames, what stops an arm, crossing arms, chains
// of bombs, and a field so full of bombs that one sets off all of them.
#include <gtest/gtest.h>

#include "ArenaFixture.h"
#include "arena/Arena.h"

namespace {

using Explode = ArenaTest;

// Power-2 bomb at (8, 7): open floor two cells in every direction.
TEST_F(Explode, PowerTwoInOpenFloorMakesNinePieces) {
  placeBomb(8, 7, 2);
  explode(8, 7);
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[8][7] = flameCell(flameCentre, 4, 2);
  e[7][7] = flameCell(flameHorizontal);
  e[6][7] = flameCell(flameLeftEnd);
  e[9][7] = flameCell(flameHorizontal);
  e[10][7] = flameCell(flameRightEnd);
  e[8][6] = flameCell(flameVertical);
  e[8][5] = flameCell(flameTopEnd);
  e[8][8] = flameCell(flameVertical);
  e[8][9] = flameCell(flameBottomEnd);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));
}

TEST_F(Explode, PowerOneMakesCentreAndFourEndsAndPowerZeroTheCentreAlone) {
  placeBomb(8, 7, 1);
  explode(8, 7);
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[8][7] = flameCell(flameCentre, 4, 1);
  e[7][7] = flameCell(flameLeftEnd);
  e[9][7] = flameCell(flameRightEnd);
  e[8][6] = flameCell(flameTopEnd);
  e[8][8] = flameCell(flameBottomEnd);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));

  for (std::int8_t power : {0, -1, -128}) {
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    placeBomb(8, 7, power);
    explode(8, 7);
    expected = emptyGrid();
    expected.cells[8][7] = flameCell(flameCentre, 4, power);
    EXPECT_TRUE(gridsEqual(expected, currentGrid())) << "power " << int(power);
  }
}

TEST_F(Explode, WallsAndPillarsStopArmsUntouched) {
  // Top-left corner: wall to the left and above.
  placeBomb(2, 1, 2);
  explode(2, 1);
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[2][1] = flameCell(flameCentre, 4, 2);
  e[3][1] = flameCell(flameHorizontal);
  e[4][1] = flameCell(flameRightEnd);
  e[2][2] = flameCell(flameVertical);
  e[2][3] = flameCell(flameBottomEnd);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));

  // Pillars above and below (3, 3); the wall at distance 2 on the left cuts
  // that arm to a middle piece without an end.
  std::memset(Arena::grid, 0, sizeof Arena::grid);
  placeBomb(3, 3, 2);
  explode(3, 3);
  expected = emptyGrid();
  e[3][3] = flameCell(flameCentre, 4, 2);
  e[2][3] = flameCell(flameHorizontal);
  e[4][3] = flameCell(flameHorizontal);
  e[5][3] = flameCell(flameRightEnd);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));
}

TEST_F(Explode, BlocksCrumbleAndStopTheArmAndCrumblingBlocksStayAsTheyAre) {
  at(7, 7) = Cell{cellBlock, 0, 0, 0, 0};      // left, distance 1
  at(10, 7) = Cell{cellBlock, 0, 0, 0, 0};     // right, distance 2
  at(8, 6) = Cell{cellCrumbling, 2, 3, 0, 0};  // up, distance 1
  at(8, 9) = Cell{cellBlock, 0, 0, 0, 0};      // down, distance 2
  at(5, 7) = Cell{cellBlock, 0, 0, 0, 0};      // beyond the left block
  placeBomb(8, 7, 2);
  explode(8, 7);
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[8][7] = flameCell(flameCentre, 4, 2);
  e[7][7] = Cell{cellCrumbling, 0, 6, 0, 0};
  e[5][7] = Cell{cellBlock, 0, 0, 0, 0};
  e[9][7] = flameCell(flameHorizontal);
  e[10][7] = Cell{cellCrumbling, 0, 6, 0, 0};
  e[8][6] = Cell{cellCrumbling, 2, 3, 0, 0};
  e[8][8] = flameCell(flameVertical);
  e[8][9] = Cell{cellCrumbling, 0, 6, 0, 0};
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));
}

TEST_F(Explode, CrossingArmsTakeTheLaterOrientationExceptAtTheirLastDistance) {
  at(7, 7) = Cell{flameVertical, 2, 1, 0, 3};    // left, d 1: turned
  at(6, 7) = Cell{flameVertical, 3, 2, 0, 3};    // left, d 2 (last): kept
  at(9, 7) = Cell{flameTopEnd, 1, 2, 0, 5};      // right, d 1: middle
  at(10, 7) = Cell{flameLeftEnd, 1, 2, 0, 5};    // right, d 2: right end
  at(8, 6) = Cell{flameCentre, 3, 2, 6, 3};      // up, d 1: centre kept
  at(8, 5) = Cell{flameHorizontal, 1, 3, 0, 1};  // up, d 2 (last): kept
  at(8, 8) = Cell{flameHorizontal, 1, 3, 0, 1};  // down, d 1: turned
  at(8, 9) = Cell{flameBottomEnd, 2, 1, 0, 2};   // down, d 2: end anew
  placeBomb(8, 7, 2);
  explode(8, 7);
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[8][7] = flameCell(flameCentre, 4, 2);
  e[7][7] = flameCell(flameHorizontal);
  e[6][7] = Cell{flameVertical, 3, 2, 0, 3};
  e[9][7] = flameCell(flameHorizontal);
  e[10][7] = flameCell(flameRightEnd);
  e[8][6] = Cell{flameCentre, 3, 2, 6, 3};
  e[8][5] = Cell{flameHorizontal, 1, 3, 0, 1};
  e[8][8] = flameCell(flameVertical);
  e[8][9] = flameCell(flameBottomEnd);
  EXPECT_TRUE(gridsEqual(expected, currentGrid()));
}

// A at (5, 5) and B at (6, 5), both of power 2, everything else in reach
// empty. Row 5 reads, from column 3 to 8: left end, middle, centre, centre,
// middle, right end.
GridState workedExampleAfterward(int timerAfterBomb) {
  GridState expected = emptyGrid();
  auto& e = expected.cells;
  e[5][5] = flameCell(flameCentre, 4, 2);  // A
  e[4][5] = flameCell(flameHorizontal);
  e[3][5] = flameCell(flameLeftEnd);
  e[6][5] = flameCell(flameCentre, timerAfterBomb, 2);  // B
  e[7][5] = flameCell(flameHorizontal, timerAfterBomb);
  e[8][5] = flameCell(flameRightEnd, timerAfterBomb);
  e[6][4] = flameCell(flameVertical);
  e[6][3] = flameCell(flameTopEnd);
  e[6][6] = flameCell(flameVertical, timerAfterBomb);
  e[6][7] = flameCell(flameBottomEnd, timerAfterBomb);
  return expected;
}

TEST_F(Explode, WorkedExampleOfTwoAdjacentBombs) {
  placeBomb(5, 5, 2);
  placeBomb(6, 5, 2);
  explode(5, 5);
  EXPECT_TRUE(gridsEqual(workedExampleAfterward(4), currentGrid()));
}

// The same inside a pass: A's fuse ends; B, later in reading order, is a
// flame when the pass reaches it and is updated as one, so it and the pieces
// after A end one frame earlier. B explodes only once.
TEST_F(Explode, WorkedExampleInsideAPass) {
  placeBomb(5, 5, 2);
  placeBomb(6, 5, 2);
  at(5, 5).timer = 1;
  at(5, 5).step = 12;
  Arena::update();
  EXPECT_TRUE(gridsEqual(workedExampleAfterward(3), currentGrid()));
}

TEST_F(Explode, DistanceCountsFromTheArmsOwnBomb) {
  // A (8, 7) power 2 sets off B (9, 7) power 0 at distance 1; A's arm goes
  // on and ends at distance 2 with its own end piece.
  placeBomb(8, 7, 2);
  placeBomb(9, 7, 0);
  explode(8, 7);
  EXPECT_EQ(at(9, 7).type, flameCentre);
  EXPECT_EQ(at(10, 7).type, flameRightEnd);
  EXPECT_EQ(at(11, 7).type, cellEmpty);

  // A (7, 7) power 2 sets off B (8, 7) power 3: B's pieces beyond A's reach
  // remain, with their own end pieces; A's arm leaves B's middle at (9, 7)
  // alone at its own last distance.
  std::memset(Arena::grid, 0, sizeof Arena::grid);
  placeBomb(7, 7, 2);
  placeBomb(8, 7, 3);
  explode(7, 7);
  EXPECT_EQ(at(8, 7).type, flameCentre);
  EXPECT_EQ(at(9, 7).type, flameHorizontal);
  EXPECT_EQ(at(10, 7).type, flameHorizontal);
  EXPECT_EQ(at(11, 7).type, flameRightEnd);
  EXPECT_EQ(at(12, 7).type, cellEmpty);
  EXPECT_EQ(at(6, 7).type, flameHorizontal);
  EXPECT_EQ(at(5, 7).type, flameLeftEnd);
  EXPECT_EQ(at(8, 5).type, flameVertical);
  EXPECT_EQ(at(8, 4).type, flameTopEnd);
  EXPECT_EQ(at(8, 10).type, flameBottomEnd);
}

// A (4, 7) power 3 reaches B (6, 7) with its right arm; B's up arm reaches
// C (6, 5); C's left arm crosses (4, 5), which A's up arm passes later.
// Depth first, C writes there before A's up arm does, so A's vertical piece
// is what remains.
TEST_F(Explode, ChainsRunDepthFirstBeforeTheArmGoesOn) {
  placeBomb(4, 7, 3);
  placeBomb(6, 7, 2);
  placeBomb(6, 5, 3);
  explode(4, 7);
  EXPECT_EQ(at(6, 7).type, flameCentre);
  EXPECT_EQ(at(6, 5).type, flameCentre);
  EXPECT_EQ(at(5, 5).type, flameHorizontal);
  EXPECT_EQ(at(4, 5).type, flameVertical);
  EXPECT_EQ(at(3, 5).type, flameLeftEnd);
  EXPECT_EQ(at(4, 4).type, flameTopEnd);
}

TEST_F(Explode, FieldFullOfBombsExplodesOnceEach) {
  // One bomb on every floor cell; the first sets off all the others.
  int floorCells = 0;
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row)
      if (isFloor(column, row)) {
        placeBomb(column, row, 2);
        ++floorCells;
      }
  ASSERT_EQ(floorCells, 113);
  explode(2, 1);
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row) {
      const Cell& cell = at(column, row);
      if (isFloor(column, row)) {
        EXPECT_EQ(cell.type, flameCentre) << column << ", " << row;
        EXPECT_EQ(cell.timer, 4);
      } else {
        EXPECT_EQ(cell.type, cellEmpty) << column << ", " << row;
      }
    }

  // The same inside a pass, every fuse ending at once and with the longest
  // reach: the first bomb in reading order sets off every other, each is
  // then updated once as a flame.
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row)
      if (isFloor(column, row)) {
        placeBomb(column, row, 127);
        at(column, row).timer = 1;
        at(column, row).step = 12;
      }
  Arena::update();
  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row)
      if (isFloor(column, row) && !(column == 2 && row == 1)) {
        EXPECT_EQ(at(column, row).type, flameCentre) << column << ", " << row;
        EXPECT_EQ(at(column, row).timer, 3) << column << ", " << row;
      }
  EXPECT_EQ(at(2, 1).timer, 4);
}

TEST_F(Explode, ArmsNeverLeaveTheGridEvenWithoutABorder) {
  // Not a layout the game has; an arm still stops at the edge of the grid.
  std::memset(Arena::storedLayout, layoutFloor, sizeof Arena::storedLayout);
  placeBomb(0, 0, 127);
  placeBomb(16, 0, 127);
  explode(0, 0);
  EXPECT_EQ(at(16, 0).type, flameCentre);
  EXPECT_EQ(at(8, 0).type, flameHorizontal);
  EXPECT_EQ(at(0, 12).type, flameVertical);
  EXPECT_EQ(at(16, 12).type, flameVertical);
}

}  // namespace
