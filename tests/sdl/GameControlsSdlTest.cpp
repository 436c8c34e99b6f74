// The whole game on the real SDL layer under Xvfb, played through the X
// server with xdotool: R lays a bomb where the player stands; holding Enter
// regenerates the arena once; Escape ends the game with status 0, also when
// it was held before the game started. Each game runs in a process of its
// own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Game.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "player/Player.h"
#include "tests/support/WindowedRun.h"
#include "video/Graphics.h"

namespace {

using ::testing::ExitedWithCode;

int randCalls = 0;
std::uint32_t randState = 1;

// The game's generator, counted: every arena generation draws the same
// number of values.
int countingRand() {
  ++randCalls;
  randState = randState * 214013u + 2531011u;
  return static_cast<int>((randState >> 16) & 0x7FFF);
}

// Plays `keys` (xdotool commands) once the game's window is there and its
// first picture can be on the screen, then holds Escape. Keys are held, never
// tapped: the game looks at the keyboard once a frame.
void playInTheBackground(const std::string& keys) {
  const std::string script =
      "(xdotool search --sync --name Fusebound >/dev/null; sleep 1.5; " + keys +
      "; sleep 0.2; xdotool keydown Escape; sleep 0.3; xdotool keyup Escape)"
      " &";
  std::system(script.c_str());
}

class GameControls : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    if (std::system("command -v xdotool >/dev/null") != 0)
      GTEST_SKIP() << "no xdotool";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
};

TEST_F(GameControls, RLaysABombWhereThePlayerStandsAndEscapeEndsWithZero) {
  EXPECT_EXIT(
      {
        playInTheBackground("xdotool keydown r; sleep 0.2; xdotool keyup r");
        const int status = winMain(1, windowedRun());
        // The bomb, or the flames it has become already.
        const CellPosition at = player.cell();
        const int type = Arena::grid[at.column][at.row].type;
        std::exit(type == cellBomb || type >= 12 ? status : 102);
      },
      ExitedWithCode(0), "");
}

TEST_F(GameControls, HoldingEnterRegeneratesTheArenaOnce) {
  EXPECT_EXIT(
      {
        // A generation draws once for each floor cell; the first one also
        // turns the reserved start cells into floor.
        int floorCells = 0;
        for (const auto& row : Arena::layout())
          for (std::int8_t value : row) floorCells += value == layoutFloor;
        runtime::overrideRand(countingRand);
        playInTheBackground(
            "xdotool keydown Return; sleep 0.5; xdotool keyup Return");
        const int status = winMain(1, windowedRun());
        // One generation at start-up and one for the Enter press.
        const int drawn = randCalls;
        arena.generate();
        const int perGeneration = randCalls - drawn;
        std::exit(drawn == floorCells + perGeneration ? status : 101);
      },
      ExitedWithCode(0), "");
}

// Escape goes down before the game has a window, with the keyboard's
// autorepeat off, so that only the keyboard's true state shows it held. The
// game must see it at its first look and end without a single pass; a game
// that does not is ended by an alarm.
TEST_F(GameControls, EscapeHeldBeforeTheStartEndsTheGameBeforeTheFirstPass) {
  if (std::system("command -v xset >/dev/null") != 0) GTEST_SKIP() << "no xset";
  EXPECT_EXIT(
      {
        // A client stays connected until the game is: the server would
        // forget the held key when its last client leaves.
        std::system(
            "xdotool sleep 1.5 >/dev/null 2>&1 & sleep 0.2; xset r off; "
            "xdotool keydown Escape");
        alarm(10);
        const int status = winMain(1, windowedRun());
        // The status bar is drawn only by the passes of the loop.
        const Surface* frame = graphics.compositionSurface;
        for (int y = 0; y < 27; ++y)
          for (int x = 0; x < frameWidth; ++x)
            if (frame->pixels[y * frame->width + x] != 0) std::exit(101);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

}  // namespace
