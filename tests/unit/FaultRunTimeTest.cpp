// Faults while the game runs, each in a whole game of its own process on the
// scripted platform: a joystick pulled out while pushed, button 3 stuck down
// until the window is closed, the keyboard lost with the focus and regained,
// the keyboard taken away without a focus change, the flip chain's surfaces
// lost again and again, and the window closed or told to quit while the game
// is paused. The arena has no blocks,
// so the player walks freely along row 1. A child exits with the game's
// status, or with 100 + n when its check n fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/AppWindow.h"
#include "app/Game.h"
#include "app/Random.h"
#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"
#include "tests/support/WindowedRun.h"

namespace {

using ::testing::ExitedWithCode;

const bool windowed = windowedRun();

class FaultRunTime : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
  }
};

// In the child: an arena without blocks, and these keys held from now on.
void emptyArena() {
  runtime::overrideRand([] { return 0; });
}
void hold(std::initializer_list<int> keys) {
  std::memset(fake::state().keys, 0, sizeof fake::state().keys);
  for (int key : keys) fake::pressKey(key);
}
int shown() { return fake::state().presented; }

TEST_F(FaultRunTime, JoystickPulledOutWhilePushedStopsThePlayer) {
  // The stick is pushed right; in pass 10 button 3 goes down and the stick
  // is pulled out, and every read of it fails from then on. Its last reading
  // must not go on walking the player, nor regenerate the arena every frame.
  static int xAfterPull = 0, drawsAfterPull = 0, draws = 0;
  EXPECT_EXIT(
      {
        runtime::overrideRand([] {
          ++draws;
          return 0;
        });
        auto& s = fake::state();
        s.joystickAttached = true;
        s.joystickScript = [](platform::DIJOYSTATE& state) {
          state.lX = 24;
          // In pass 10 button 3 goes down, and the stick is pulled out
          // right after that reading.
          if (shown() == 10) {
            state.rgbButtons[2] = 0x80;
            fake::state().joystickAttached = false;
          }
        };
        s.onPresent = [](const std::uint16_t*) {
          if (shown() == 12) {
            xAfterPull = player.x;
            drawsAfterPull = draws;
          }
          if (shown() == 40) hold({DIK_ESCAPE});
        };
        const int status = winMain(1, windowedRun());
        if (xAfterPull <= 56) std::exit(101);  // the stick walked at first
        if (player.x != xAfterPull) std::exit(102);
        if (draws != drawsAfterPull) std::exit(103);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

TEST_F(FaultRunTime, AStuckButtonThreeGivesWayToAClose) {
  // Button 3 goes down in pass 10 and is never let go. The game stands still
  // in the regenerate wait until the window is closed; then it ends with
  // status 0 after one last frame.
  static int shownAtClose = 0;
  EXPECT_EXIT(
      {
        emptyArena();
        auto& s = fake::state();
        s.joystickAttached = true;
        s.joystickScript = [](platform::DIJOYSTATE& state) {
          if (shown() >= 10) state.rgbButtons[2] = 0x80;
          if (fake::state().joystickReads == 5000) {
            shownAtClose = shown();
            fake::closeWindow();
          }
          if (fake::state().joystickReads > 100000) std::exit(101);
        };
        const int status = winMain(1, windowedRun());
        if (shownAtClose != 10 || shown() != 11) std::exit(102);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

TEST_F(FaultRunTime, KeyboardLostWithTheFocusPausesAndIsRegained) {
  // Right is held; after frame 20 the window loses the focus and with it
  // the keyboard. The game pauses (no frame, no step) and shows the pause
  // message; meanwhile the player switches to the left arrow. When the
  // focus is back the keyboard is acquired again and the player walks left.
  static int xAtLoss = 0, xInPause = -1, shownInPause = -1, acquires = 0;
  static bool movedInPause = false;
  EXPECT_EXIT(
      {
        emptyArena();
        hold({DIK_RIGHT});
        auto& s = fake::state();
        s.onPresent = [](const std::uint16_t*) {
          if (shown() == 20) {
            xAtLoss = player.x;
            acquires = fake::count("diAcquire keyboard");
            fake::loseFocus();
          }
          if (shown() == 50) hold({DIK_ESCAPE});
        };
        s.onWait = [] {
          if (xInPause < 0) {
            xInPause = player.x;
            shownInPause = shown();
          }
          if (player.x != xInPause || shown() != shownInPause)
            movedInPause = true;
          if (fake::state().waits == 5) {
            hold({DIK_LEFT});
            fake::gainFocus();
          }
        };
        const int status = winMain(1, windowedRun());
        // The pass under way when the focus went still read the last
        // snapshot: one more step right, then nothing until the focus came
        // back.
        if (xInPause != xAtLoss + 1) std::exit(101);
        if (movedInPause || fake::state().waits != 5) std::exit(102);
        bool pauseShown = false;
        for (const auto& text : fake::state().textDrawn)
          pauseShown |= text.text == pauseMessage;
        if (!pauseShown) std::exit(103);
        if (fake::count("diAcquire keyboard") <= acquires) std::exit(104);
        // 30 frames with the left arrow after the pause: back to the wall.
        if (player.x != 56) std::exit(105);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

TEST_F(FaultRunTime, KeyboardTakenAwayIsReacquiredWithoutMissingAStep) {
  // Without any focus change the keyboard stops being acquired, twice; the
  // next read fails, acquires it again and reads: the walk goes on, one
  // pixel every pass.
  EXPECT_EXIT(
      {
        emptyArena();
        hold({DIK_RIGHT});
        fake::state().onPresent = [](const std::uint16_t*) {
          if (shown() == 10 || shown() == 11 || shown() == 30)
            fake::state().keyboardAcquired = false;
          if (shown() == 41) hold({DIK_ESCAPE});
        };
        const int status = winMain(1, windowedRun());
        // 40 passes walking right from x = 56.
        if (player.x != 56 + 40) std::exit(101);
        if (fake::count("diAcquire keyboard") != 1 + 3) std::exit(102);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

TEST_F(FaultRunTime, SurfacesLostAgainAndAgainAreRestoredAndNoFrameIsLost) {
  if (windowed) GTEST_SKIP() << "no flip chain in the windowed variant";
  // Every seventh frame the display takes the flip chain's memory away.
  // Each time the next present's copy fails, the surfaces are restored, the
  // copy is made again and the frame is shown.
  static int losses = 0;
  EXPECT_EXIT(
      {
        emptyArena();
        hold({DIK_RIGHT});
        fake::state().onPresent = [](const std::uint16_t*) {
          if (shown() % 7 == 0 && shown() < 60) {
            fake::state().backLost = fake::state().primaryLost = true;
            ++losses;
          }
          if (shown() == 61) hold({DIK_ESCAPE});
        };
        const int status = winMain(1, windowedRun());
        if (shown() != 61) std::exit(101);  // start-up frame and 60 passes
        if (fake::count("ddRestore backBuffer") != losses ||
            fake::count("ddRestore primary") != losses)
          std::exit(102);
        if (player.x != 56 + 60) std::exit(103);
        std::exit(status);
      },
      ExitedWithCode(0), "");
}

// The window closed, or WM_QUIT taken, while the game stands paused: the
// pause ends, no further frame is drawn, the game returns the last
// message's wParam, and the devices are released input first, then video,
// then sound.
void pausedThen(void (*end)()) {
  static void (*ending)() = end;
  auto& s = fake::state();
  s.echo = true;
  s.onPresent = [](const std::uint16_t*) {
    if (shown() == 5) fake::loseFocus();
  };
  s.onWait = [] {
    if (fake::state().waits == 3) ending();
  };
  const int status = winMain(1, windowedRun());
  std::fprintf(stderr, "shown %d\n", shown());
  std::exit(status);
}

const char* const releases =
    windowed ? "shown 5\nfake: diUnacquire keyboard\nfake: diRelease keyboard\n"
               "fake: diRelease directInput\nfake: dsRelease directSound\n$"
             : "shown 5\nfake: diUnacquire keyboard\nfake: diRelease keyboard\n"
               "fake: diRelease directInput\nfake: ddRelease backBuffer\n"
               "fake: ddRelease primary\nfake: ddRelease directDraw\n"
               "fake: dsRelease directSound\n$";

TEST_F(FaultRunTime, WindowClosedWhilePausedEndsTheGame) {
  EXPECT_EXIT(pausedThen(fake::closeWindow), ExitedWithCode(0), releases);
}

TEST_F(FaultRunTime, QuitMessageWhilePausedEndsTheGameWithItsStatus) {
  EXPECT_EXIT(pausedThen([] { fake::post(platform::WM_QUIT, 7); }),
              ExitedWithCode(7), releases);
}

}  // namespace
