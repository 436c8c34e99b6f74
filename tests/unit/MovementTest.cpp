// Walking, collisions and corner slides, from known positions on known grids.
// The arrow keys are held on the scripted keyboard and the player's share of
// each pass (walk animation, then movement) is run.
#include <gtest/gtest.h>

#include "input/InputDevices.h"
#include "tests/unit/PlayerWorld.h"

namespace {

// ------------------------------------------------------- walking sideways

using Sideways = PlayerWorld;

TEST_F(Sideways, FirstStepFromTheStartLiftsThePlayerToItsRestRow) {
  placeAt(56, 40);
  hold({DIK_RIGHT});
  pass();
  EXPECT_EQ(player.x, 57);
  EXPECT_EQ(player.y, 39);
  pass(20);
  EXPECT_EQ(player.x, 77);
  EXPECT_EQ(player.y, 39);
}

TEST_F(Sideways, EveryStepPullsOnePixelTowardTheRestRow) {
  // Row 3 and the cells above it are open either way from column 5.
  for (int key : {DIK_RIGHT, DIK_LEFT}) {
    const int dx = key == DIK_RIGHT ? 1 : -1;
    for (int m = 0; m < 16; ++m) {
      placeAt(restX(5), 64 + m);  // (y - 32) mod 16 is m
      hold({key});
      movePlayer();
      const int dy = m == 7 ? 0 : m > 7 ? -1 : 1;  // m = 15 goes up
      EXPECT_EQ(player.x, restX(5) + dx) << "m = " << m;
      EXPECT_EQ(player.y, 64 + m + dy) << "m = " << m;
    }
  }
}

TEST_F(Sideways, OneProbeLetsThePlayerPassInFrontOfAPillarWhileAligning) {
  // Five pixels below the rest row of row 3, the sprite overlaps row 4 and
  // the pillar at (3, 4); only row 3 is probed.
  placeAt(restX(2), restY(3) + 5);
  hold({DIK_RIGHT});
  pass(16);
  EXPECT_EQ(player.x, restX(3));
  EXPECT_EQ(player.y, restY(3));
}

TEST_F(Sideways, APillarIsMetFifteenPixelsBelowTheSpritesTop) {
  // The pillar at (5, 2) fills rows 64 to 79 of the frame: a sprite whose top
  // is at 64 walks into it from either side, one a pixel lower passes by.
  for (int key : {DIK_RIGHT, DIK_LEFT}) {
    const int startX = key == DIK_RIGHT ? restX(4) : restX(6);
    hold({key});
    for (int y : {64, 65}) {
      placeAt(startX, y);
      movePlayer();
      const int dx = y == 64 ? 0 : key == DIK_RIGHT ? 1 : -1;
      EXPECT_EQ(player.x, startX + dx) << "top at " << y;
    }
  }
}

// ------------------------------------------------------------- stopping

using Stopping = PlayerWorld;

TEST_F(Stopping, WallsStopThePlayerFlushAtEitherEndOfTheRow) {
  placeAt(56, 40);
  hold({DIK_RIGHT});
  pass(250);
  EXPECT_EQ(player.x, restX(14));
  EXPECT_EQ(player.y, restY(1));
  hold({DIK_LEFT});
  pass(250);
  EXPECT_EQ(player.x, restX(2));
  EXPECT_EQ(player.y, restY(1));
}

TEST_F(Stopping, ABlockStopsThePlayerFlushWithoutAnyVerticalCorrection) {
  put(5, 1, cellBlock);
  placeAt(56, 40);
  hold({DIK_RIGHT});
  pass(100);
  EXPECT_EQ(player.x, restX(4));
  EXPECT_EQ(player.y, restY(1));

  placeAt(restX(4), restY(1) + 5);  // off its rest row
  pass();
  EXPECT_EQ(player.x, restX(4));
  EXPECT_EQ(player.y, restY(1) + 5);
  EXPECT_EQ(arena.moveRight(), 0);
}

TEST_F(Stopping, PillarsOnBothSidesHoldThePlayerBetweenThem) {
  for (int y : {restY(2), restY(2) + 2, restY(2) - 3}) {
    for (int key : {DIK_RIGHT, DIK_LEFT}) {
      placeAt(restX(4), y);
      hold({key});
      pass(3);
      EXPECT_EQ(player.x, restX(4));
      EXPECT_EQ(player.y, y);
    }
  }
}

TEST_F(Stopping, VerticalWalksEndAtTheWallsAboveAndBelow) {
  placeAt(restX(2), restY(1));
  hold({DIK_DOWN});
  pass(250);
  EXPECT_EQ(player.x, restX(2));
  EXPECT_EQ(player.y, restY(11));
  hold({DIK_UP});
  pass(250);
  EXPECT_EQ(player.y, restY(1));
}

TEST_F(Stopping, ACrumblingBlockStopsLikeABlock) {
  put(4, 1, cellCrumbling);
  placeAt(restX(2), restY(1));
  hold({DIK_RIGHT});
  pass(40);
  EXPECT_EQ(player.x, restX(3));
}

// ------------------------------------------------- sliding around corners

// The way ahead is row 3, entered from row 4 walking up or from row 2
// walking down; the sprite straddles columns 6 and 7.
struct Vertical {
  int key;
  int startY;
  int dy;
};
const Vertical kUp{DIK_UP, 23 + 16 * 4, -1};
const Vertical kDown{DIK_DOWN, 23 + 16 * 2, 1};

class Sliding : public PlayerWorld,
                public ::testing::WithParamInterface<Vertical> {};

INSTANTIATE_TEST_SUITE_P(UpAndDown, Sliding, ::testing::Values(kUp, kDown),
                         [](const auto& info) {
                           return info.param.key == DIK_UP ? "Up" : "Down";
                         });

TEST_P(Sliding, ThreePixelsPastAColumnSlidesBackThenWalks) {
  const Vertical v = GetParam();
  put(7, 3, cellBlock);
  placeAt(restX(6) + 3, v.startY);
  hold({v.key});
  pass(3);
  EXPECT_EQ(player.x, restX(6));
  EXPECT_EQ(player.y, v.startY);
  pass();
  EXPECT_EQ(player.x, restX(6));
  EXPECT_EQ(player.y, v.startY + v.dy);
}

TEST_P(Sliding, NineOrTwelvePixelsPastAColumnSlidesOnToTheNextThenWalks) {
  const Vertical v = GetParam();
  put(6, 3, cellBlock);
  hold({v.key});
  for (int offset : {9, 12}) {
    placeAt(restX(6) + offset, v.startY);
    pass(16 - offset);
    EXPECT_EQ(player.x, restX(7)) << offset;
    EXPECT_EQ(player.y, v.startY) << offset;
  }
  pass();
  EXPECT_EQ(player.x, restX(7));
  EXPECT_EQ(player.y, v.startY + v.dy);
}

TEST_P(Sliding, ExactlyHalfwayCountsAsTheLeftColumn) {
  const Vertical v = GetParam();
  hold({v.key});

  put(6, 3, cellBlock);  // the left column blocked: no move
  placeAt(restX(6) + 8, v.startY);
  pass(5);
  EXPECT_EQ(player.x, restX(6) + 8);
  EXPECT_EQ(player.y, v.startY);

  put(6, 3, cellEmpty);  // only the right one blocked: slide left
  put(7, 3, cellBlock);
  pass(8);
  EXPECT_EQ(player.x, restX(6));
  EXPECT_EQ(player.y, v.startY);
}

TEST_P(Sliding, BlockedInTheColumnOverlappedMoreMeansNoMove) {
  const Vertical v = GetParam();
  hold({v.key});
  struct {
    int blockedColumn, offset;
  } cases[] = {{6, 3}, {7, 12}, {7, 9}, {6, 0}, {6, 1}};
  for (auto c : cases) {
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    put(c.blockedColumn, 3, cellBlock);
    placeAt(restX(6) + c.offset, v.startY);
    pass(3);
    EXPECT_EQ(player.x, restX(6) + c.offset) << c.offset;
    EXPECT_EQ(player.y, v.startY) << c.offset;
  }
}

TEST_P(Sliding, TheSlideDoesNotLookAheadOfTheColumnItSlidesTo) {
  const Vertical v = GetParam();
  put(6, 3, cellBlock);
  put(7, 3, cellBlock);
  placeAt(restX(6) + 12, v.startY);
  hold({v.key});
  pass(10);
  EXPECT_EQ(player.x, restX(7));
  EXPECT_EQ(player.y, v.startY);
}

TEST_P(Sliding, BombsNeverCauseASlide) {
  const Vertical v = GetParam();
  hold({v.key});
  struct {
    int bombColumn, offset;
  } cases[] = {{6, 12}, {7, 3}, {6, 0}};
  for (auto c : cases) {
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    put(c.bombColumn, 3, cellBomb);
    placeAt(restX(6) + c.offset, v.startY);
    pass(3);
    EXPECT_EQ(player.x, restX(6) + c.offset) << c.offset;
    EXPECT_EQ(player.y, v.startY) << c.offset;
  }
}

TEST_P(Sliding, ABombUnderTheLeftEdgeDecidesBeforeTheRightEdgeIsLooked) {
  const Vertical v = GetParam();
  put(6, 3, cellBomb);
  put(7, 3, cellBlock);  // alone it would answer "blocked, no slide" (4)
  placeAt(restX(6) + 12, v.startY);
  EXPECT_EQ(v.key == DIK_UP ? arena.moveUp() : arena.moveDown(), 0);
  put(6, 3, cellEmpty);
  EXPECT_EQ(v.key == DIK_UP ? arena.moveUp() : arena.moveDown(), 4);
}

TEST_F(PlayerWorld, SlidesAroundThePillarCornersOfTheRealLevel) {
  // Under the pillar at (3, 2), three pixels to its left edge's right.
  placeAt(restX(2) + 3, restY(3));
  hold({DIK_UP});
  pass(3);
  EXPECT_EQ(player.x, restX(2));
  EXPECT_EQ(player.y, restY(3));
  pass(16);
  EXPECT_EQ(player.y, restY(2));
  EXPECT_EQ(player.x, restX(2));
}

// ----------------------------------------------------------------- bombs

using Bombs = PlayerWorld;

TEST_F(Bombs, TheOwnBombIsLeftInAllFourDirectionsAndThenBlocksTheWayBack) {
  struct {
    int key, back, dx, dy, reach;  // reach: pixels still on the bomb's cell
  } ways[] = {{DIK_RIGHT, DIK_LEFT, 1, 0, 7},
              {DIK_LEFT, DIK_RIGHT, -1, 0, 8},
              {DIK_UP, DIK_DOWN, 0, -1, 11},
              {DIK_DOWN, DIK_UP, 0, 1, 4}};
  const int bx = restX(6), by = restY(3);
  for (auto w : ways) {
    std::memset(Arena::grid, 0, sizeof Arena::grid);
    put(6, 3, cellBomb);
    placeAt(bx, by);
    hold({w.key});
    pass(w.reach);
    ASSERT_EQ(player.x, bx + w.reach * w.dx);
    ASSERT_EQ(player.y, by + w.reach * w.dy);
    hold({w.back});  // still standing on the bomb's cell: may turn back
    pass();
    EXPECT_EQ(player.x, bx + (w.reach - 1) * w.dx) << w.key;
    EXPECT_EQ(player.y, by + (w.reach - 1) * w.dy) << w.key;

    placeAt(bx + (w.reach + 1) * w.dx, by + (w.reach + 1) * w.dy);
    pass();  // one pixel further the bomb blocks like any other
    EXPECT_EQ(player.x, bx + (w.reach + 1) * w.dx) << w.key;
    EXPECT_EQ(player.y, by + (w.reach + 1) * w.dy) << w.key;

    placeAt(bx + 16 * w.dx, by + 16 * w.dy);  // the neighbouring rest position
    pass(3);
    EXPECT_EQ(player.x, bx + 16 * w.dx) << w.key;
    EXPECT_EQ(player.y, by + 16 * w.dy) << w.key;
  }
}

TEST_F(Bombs, AnotherBombStopsAWalkFlush) {
  put(8, 3, cellBomb);
  placeAt(restX(5), restY(3));
  hold({DIK_RIGHT});
  pass(40);
  EXPECT_EQ(player.x, restX(7));
}

// ----------------------------------------------------- flames and blocks

using OpenCells = PlayerWorld;

TEST_F(OpenCells, FlamesAreWalkedThroughAndStoodIn) {
  const std::int8_t flames[] = {flameLeftEnd,  flameHorizontal, flameRightEnd,
                                flameCentre,   flameTopEnd,     flameVertical,
                                flameBottomEnd};
  for (int i = 0; i < 7; ++i) put(3 + i, 1, flames[i]);
  placeAt(restX(2), restY(1));
  hold({DIK_RIGHT});
  pass(8 * 16);
  EXPECT_EQ(player.x, restX(10));
  hold({DIK_LEFT});
  pass(40);  // stop on the flame at (8, 1)
  releaseAll();
  pass(3);
  EXPECT_EQ(player.x, restX(10) - 40);
  EXPECT_EQ(player.cell().column, 8);
  EXPECT_EQ(Arena::grid[8][1].type, flameVertical);
}

TEST_F(OpenCells, ABlockUnderThePlayerDoesNotHoldIt) {
  struct {
    int key, dx, dy;
  } ways[] = {
      {DIK_RIGHT, 1, 0}, {DIK_LEFT, -1, 0}, {DIK_UP, 0, -1}, {DIK_DOWN, 0, 1}};
  put(6, 3, cellBlock);
  for (auto w : ways) {
    placeAt(restX(6), restY(3));
    hold({w.key});
    pass(16);
    EXPECT_EQ(player.x, restX(6) + 16 * w.dx) << w.key;
    EXPECT_EQ(player.y, restY(3) + 16 * w.dy) << w.key;
  }
}

// ------------------------------------------------------ which key counts

using Dispatch = PlayerWorld;

TEST_F(Dispatch, RightBeatsLeftBeatsUpBeatsDown) {
  struct {
    std::vector<int> keys;
    int dx, dy;
    std::int8_t facing;
  } cases[] = {{{DIK_LEFT, DIK_RIGHT}, 1, 0, facingRight},
               {{DIK_UP, DIK_LEFT, DIK_DOWN}, -1, 0, facingLeft},
               {{DIK_DOWN, DIK_UP}, 0, -1, facingUp},
               {{DIK_DOWN}, 0, 1, facingDown}};
  for (const auto& c : cases) {
    placeAt(restX(6), restY(3));
    player.facing = -1;
    hold(c.keys);
    movePlayer();
    EXPECT_EQ(player.x, restX(6) + c.dx);
    EXPECT_EQ(player.y, restY(3) + c.dy);
    EXPECT_EQ(player.facing, c.facing);
  }
}

TEST_F(Dispatch, FacingTurnsEvenWhenTheWayIsBlockedAndStaysWithNoKey) {
  placeAt(56, 39);  // the top-left corner: walls above and to the left
  hold({DIK_UP});
  movePlayer();
  EXPECT_EQ(player.facing, facingUp);
  hold({DIK_LEFT});
  movePlayer();
  EXPECT_EQ(player.facing, facingLeft);
  releaseAll();
  movePlayer();
  EXPECT_EQ(player.facing, facingLeft);
  EXPECT_EQ(player.x, 56);
  EXPECT_EQ(player.y, 39);
}

}  // namespace
