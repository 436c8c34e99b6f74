// A whole game on the scripted platform, in a process of its own: the player
// walks from the start along row 1, lays a bomb, walks out of its reach and
// waits while it explodes and the blocks crumble, then walks back through the
// cleared cells until the next block stops it, and quits with Escape. Every
// frame, the test checks the player's position, the cells that the bomb
// changes, that nothing else in the arena changes, and that the player's
// sprite is on the screen where the player is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Game.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"
#include "tests/support/WindowedRun.h"
#include "video/Graphics.h"

namespace {

// The first arena: blocks everywhere except the walk and the bomb's reach.
// The bomb will lie at (6, 1); its arms reach (4, 1) to (8, 1) and (6, 2)
// and (6, 3). The blocks at (8, 1) and (6, 3) stop the arms and crumble; the
// block at (9, 1) lies beyond the reach.
bool keptEmpty(int column, int row) {
  return (row == 1 && column <= 7) || (column == 2 && row <= 3) ||
         (column == 6 && row == 2);
}

std::vector<int> draws;
std::size_t nextDraw = 0;
int scriptedRand() { return nextDraw < draws.size() ? draws[nextDraw++] : 1; }

// The script, pass by pass (pass p is the p-th pass of the frame loop; the
// frame shown at start-up comes before pass 1).
constexpr int laidInPass = 65;            // R held at (120, 39), cell (6, 1)
constexpr int explodesInPass = 65 + 104;  // its 104th update
constexpr int lastPass = 336;

int currentPass() { return fake::state().presented; }  // while a pass runs

void keysFor(int pass, std::uint8_t* keys) {
  std::memset(keys, 0, 256);
  int key = 0;
  if (pass <= 64)
    key = DIK_RIGHT;  // along row 1 to column 6
  else if (pass == laidInPass)
    key = DIK_R;
  else if (pass <= 129)
    key = DIK_LEFT;  // back to the start
  else if (pass <= 161)
    key = DIK_DOWN;  // down to (2, 3), out of reach
  else if (pass <= 198)
    key = 0;  // watch
  else if (pass <= 230)
    key = DIK_UP;
  else if (pass <= lastPass)
    key = DIK_RIGHT;  // through the cleared cells up to the block at (9, 1)
  else
    key = DIK_ESCAPE;
  if (key) keys[key] = 0x80;
}

struct Position {
  int x, y;
};

Position expectedPosition(int p) {
  if (p <= 64) return {56 + p, 39};
  if (p <= laidInPass) return {120, 39};
  if (p <= 129) return {120 - (p - laidInPass), 39};
  if (p <= 161) return {56, 39 + (p - 129)};
  if (p <= 198) return {56, 71};
  if (p <= 230) return {56, 71 - (p - 198)};
  return {std::min(56 + (p - 230), 152), 39};  // flush with (9, 1)
}

// Type of the cells the bomb touches after pass p.
int expectedType(int column, int row, int p) {
  const bool burning = p >= explodesInPass;
  // Pieces after the bomb in reading order are first updated in the pass of
  // the explosion and go out one pass earlier than the others.
  struct {
    int column, row, type, lastPass;
  } flames[] = {{6, 1, flameCentre, 196},
                {5, 1, flameHorizontal, 196},
                {4, 1, flameLeftEnd, 196},
                {7, 1, flameHorizontal, 195},
                {6, 2, flameVertical, 195}};
  if (column == 6 && row == 1 && p >= laidInPass && !burning) return cellBomb;
  for (auto f : flames)
    if (f.column == column && f.row == row)
      return burning && p <= f.lastPass ? f.type : cellEmpty;
  if ((column == 8 && row == 1) || (column == 6 && row == 3)) {
    if (!burning) return cellBlock;
    return p <= 197 ? cellCrumbling : cellEmpty;  // 30 updates from 169
  }
  return -1;  // not touched by the bomb
}

Cell firstArena[arenaColumns][arenaRows];
int faults = 0;

void fault(int pass, const char* what, int got, int wanted) {
  if (++faults <= 10)
    std::fprintf(stderr, "pass %d: %s is %d, expected %d\n", pass, what, got,
                 wanted);
}

void checkFrame(const std::uint16_t* pixels) {
  const int p = currentPass() - 1;  // the pass whose frame this is
  if (p == 0) {
    std::memcpy(firstArena, Arena::grid, sizeof firstArena);
    return;
  }
  const Position at = expectedPosition(p);
  if (player.x != at.x) fault(p, "x", player.x, at.x);
  if (player.y != at.y) fault(p, "y", player.y, at.y);

  for (int column = 0; column < arenaColumns; ++column)
    for (int row = 0; row < arenaRows; ++row) {
      const int type = Arena::grid[column][row].type;
      int wanted = expectedType(column, row, p);
      if (wanted < 0) wanted = firstArena[column][row].type;
      if (type != wanted) {
        char what[32];
        std::snprintf(what, sizeof what, "cell (%d, %d)", column, row);
        fault(p, what, type, wanted);
      }
    }
  if (p == laidInPass && Arena::grid[6][1].power != 2)
    fault(p, "bomb power", Arena::grid[6][1].power, 2);
  if (p == 173 && Arena::grid[8][1].frame != 0)
    fault(p, "crumbling stage", Arena::grid[8][1].frame, 0);
  if (p == 174 && Arena::grid[8][1].frame != 1)
    fault(p, "crumbling stage", Arena::grid[8][1].frame, 1);
  if (p == 197 && Arena::grid[8][1].frame != 4)
    fault(p, "crumbling stage", Arena::grid[8][1].frame, 4);

  // The sprite is drawn last, where the player is: every pixel of its frame
  // that is not transparent black is on the screen.
  const Surface* sprite = player.frames[player.facing + player.walkFrame];
  if (!sprite) {
    fault(p, "sprite surface", 0, 1);
    return;
  }
  int covered = 0;
  for (int row = 0; row < 24; ++row)
    for (int column = 0; column < 16; ++column) {
      const std::uint16_t pixel = sprite->pixels[row * 16 + column];
      if (pixel == 0) continue;
      ++covered;
      const std::uint16_t shown =
          pixels[(player.y + row) * frameWidth + player.x + column];
      if (shown != pixel) {
        fault(p, "sprite pixel", shown, pixel);
        return;
      }
    }
  if (covered == 0) fault(p, "visible sprite pixels", 0, 1);
}

TEST(Session, WalkLayABombWatchItExplodeAndWalkOnThroughTheRubble) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  fake::reset();
  EXPECT_EXIT(
      {
        for (int row = 0; row < arenaRows; ++row)
          for (int column = 0; column < arenaColumns; ++column)
            if (Arena::storedLayout[row][column] == layoutFloor)
              draws.push_back(keptEmpty(column, row) ? 0 : 1);
        runtime::overrideRand(scriptedRand);
        fake::state().keyboardScript = [](std::uint8_t* keys) {
          keysFor(currentPass(), keys);
        };
        fake::state().onPresent = checkFrame;
        const int status = winMain(1, windowedRun());
        if (currentPass() != lastPass + 1)
          fault(currentPass(), "passes run + 1", currentPass(), lastPass + 1);
        std::exit(faults ? 100 : status);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
