// The whole program when the keyboard cannot be set up: each step's own
// message, exit status 1, and on the way out the release of what exists,
// input first, then the sound device (the display was never started). Each
// run is a process of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/Game.h"
#include "platform/fake/FakePlatform.h"

namespace {

using ::testing::ExitedWithCode;

class InputStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
  }
};

[[noreturn]] void startFailing(const char* step) {
  fake::state().echo = true;
  fake::state().joystickAttached = true;
  fake::fail(step);
  winMain(1);
  std::exit(3);  // never reached: start-up ends the program itself
}

const std::string soundOpened =
    "fake: directSoundCreate\nfake: dsSetCooperativeLevel 1\n";
const std::string keyboardReleased =
    "fake: diUnacquire keyboard\nfake: diRelease keyboard\n"
    "fake: diRelease directInput\n";
const std::string soundReleased = "fake: dsRelease directSound\n$";

TEST_F(InputStartup, NoDirectInput) {
  EXPECT_EXIT(startFailing("directInputCreate"), ExitedWithCode(1),
              soundOpened +
                  "fake: directInputCreate\n"
                  "fake: messageBox Couldn't Access Input!\n" +
                  soundReleased);
}

TEST_F(InputStartup, NoKeyboard) {
  EXPECT_EXIT(startFailing("diCreateDevice keyboard"), ExitedWithCode(1),
              soundOpened +
                  "fake: directInputCreate\nfake: diCreateDevice keyboard\n"
                  "fake: messageBox Couldn't Access Keyboard!\n"
                  "fake: diRelease directInput\n" +
                  soundReleased);
}

TEST_F(InputStartup, NoAccessLevel) {
  EXPECT_EXIT(startFailing("diSetCooperativeLevel keyboard 6"),
              ExitedWithCode(1),
              "fake: diSetCooperativeLevel keyboard 6\n"
              "fake: messageBox Couldn't Set Access Level!\n" +
                  keyboardReleased + soundReleased);
}

TEST_F(InputStartup, NoKeyboardFormat) {
  EXPECT_EXIT(startFailing("diSetDataFormat keyboard"), ExitedWithCode(1),
              "fake: diSetCooperativeLevel keyboard 6\n"
              "fake: diSetDataFormat keyboard\n"
              "fake: messageBox Couldn't Set Keyboard Format!\n" +
                  keyboardReleased + soundReleased);
}

TEST_F(InputStartup, KeyboardNotAcquired) {
  EXPECT_EXIT(startFailing("diAcquire keyboard"), ExitedWithCode(1),
              "fake: diSetDataFormat keyboard\nfake: diAcquire keyboard\n"
              "fake: messageBox Couldn't Aquire Keyboard!\n" +
                  keyboardReleased + soundReleased);
}

TEST_F(InputStartup, WindowWithoutTheFocusCannotAcquireTheKeyboard) {
  EXPECT_EXIT(
      {
        fake::state().echo = true;
        fake::state().focusOnCreate = false;
        winMain(1);
        std::exit(3);
      },
      ExitedWithCode(1),
      "fake: diAcquire keyboard\n"
      "fake: messageBox Couldn't Aquire Keyboard!\n" +
          keyboardReleased + soundReleased);
}

TEST_F(InputStartup, JoystickFailureIsSilentAndTheGameRuns) {
  EXPECT_EXIT(
      {
        fake::state().joystickAttached = true;
        fake::fail("diAcquire joystick");
        fake::pressKey(0x01);  // Escape: end after the first frame
        const int status = winMain(1);
        std::exit(fake::state().messageBoxes.empty() ? status : 5);
      },
      ExitedWithCode(0), "");
}

}  // namespace
