// The whole program on the scripted platform, each run in a process of its
// own: the order of release at a normal end, and how the frame loop ends.
// (Failed start-ups are in FaultStartupTest.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/AppWindow.h"
#include "app/Game.h"
#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/WindowedRun.h"

namespace {

using ::testing::ExitedWithCode;

// The windowed variant presents straight onto the desktop, takes a second
// message after each frame, and leaves its display objects to the end of
// the process.
const bool windowed = windowedRun();
const char* const frameCopy =
    windowed ? "ddBltFromMemory primary" : "ddBltFromMemory backBuffer";

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
  }
};

// Runs the game to its end and exits with its status, or with 100 + n when
// `check` finds fault n with the state it leaves.
template <typename Check>
[[noreturn]] void runAndCheck(Check check) {
  const int status = winMain(1, windowedRun());
  const int fault = check();
  std::exit(fault ? 100 + fault : status);
}

TEST_F(Startup, DevicesAreReleasedInputFirstThenVideoThenSound) {
  EXPECT_EXIT(
      {
        fake::state().echo = true;
        int frames = 0;
        fake::state().onPresent = [&frames](const std::uint16_t*) {
          if (++frames == 3) fake::pressKey(DIK_ESCAPE);
        };
        std::exit(winMain(1, windowedRun()));
      },
      ExitedWithCode(0),
      windowed ? "fake: diRelease keyboard\n.*fake: diRelease directInput\n"
                 "fake: dsRelease directSound\n$"
               : "fake: diRelease keyboard\n.*fake: diRelease directInput\n"
                 "fake: ddRelease backBuffer\nfake: ddRelease primary\n"
                 "fake: ddRelease directDraw\nfake: dsRelease directSound\n$");
}

TEST_F(Startup, QuitHeldAtStartShowsTheFirstFrameAndRunsNoPass) {
  EXPECT_EXIT(
      {
        fake::pressKey(DIK_ESCAPE);
        runAndCheck([] {
          if (fake::state().presented != 1) return 1;
          // No pass ran: the first frame shows neither status bar nor player
          // and nothing moved on.
          if (fake::count(frameCopy) != 1) return 2;
          return 0;
        });
      },
      ExitedWithCode(0), "");
}

TEST_F(Startup, QuitFlagEndsTheLoopAtTheStartOfTheNextPass) {
  // WM_QUIT queued while frame 3 is shown is taken by the next message the
  // presentation takes (full screen: the next pass's, which still shows its
  // frame; windowed: the one right after showing frame 3), and the loop ends
  // at the start of the pass after. The exit status is the message's wParam.
  EXPECT_EXIT(
      {
        fake::state().onPresent = [](const std::uint16_t*) {
          if (fake::state().presented == 3) fake::post(platform::WM_QUIT, 42);
        };
        runAndCheck([] {
          if (fake::state().presented != (windowed ? 3 : 4)) return 1;
          if (appWindow.quit != 1) return 2;
          return 0;
        });
      },
      ExitedWithCode(42), "");
}

TEST_F(Startup, ClosingTheWindowEndsTheGameWithStatusZero) {
  EXPECT_EXIT(
      {
        fake::state().onPresent = [](const std::uint16_t*) {
          if (fake::state().presented == 2) fake::closeWindow();
        };
        runAndCheck([] {
          return fake::state().presented == (windowed ? 2 : 3) ? 0 : 1;
        });
      },
      ExitedWithCode(0), "");
}

}  // namespace
