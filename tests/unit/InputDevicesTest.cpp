// The keyboard and joystick on the scripted platform: set-up order, the
// silent joystick failures, reads and re-acquiring, the axis and button
// tests, and the release of what exists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"

namespace {

using Calls = std::vector<std::string>;

Calls callsFrom(std::size_t first) {
  const auto& calls = fake::state().calls;
  return Calls(calls.begin() + static_cast<long>(first), calls.end());
}

class InputDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::state().focus = true;  // the new window has the keyboard
  }
  void TearDown() override { fake::reset(); }

  void attachJoystick() { fake::state().joystickAttached = true; }
};

TEST_F(InputDevicesTest, KeyboardIsSetUpStepByStepThenTheJoystickIsSought) {
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  EXPECT_EQ(
      fake::state().calls,
      (Calls{"directInputCreate", "diCreateDevice keyboard",
             "diSetCooperativeLevel keyboard 6", "diSetDataFormat keyboard",
             "diAcquire keyboard", "diEnumDevices"}));
  EXPECT_EQ(devices.joystickPresent, 0);
  EXPECT_TRUE(fake::state().messageBoxes.empty());
}

TEST_F(InputDevicesTest, WithoutJoystickItsTestsAnswerNoWithoutTouchingIt) {
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  const std::size_t before = fake::state().calls.size();
  EXPECT_EQ(devices.joystickLeft(), 0);
  EXPECT_EQ(devices.joystickRight(), 0);
  EXPECT_EQ(devices.joystickUp(), 0);
  EXPECT_EQ(devices.joystickDown(), 0);
  for (int button = 1; button <= 32; ++button)
    EXPECT_EQ(devices.joystickButton(button), 0);
  EXPECT_EQ(fake::state().calls.size(), before);
}

TEST_F(InputDevicesTest, FirstJoystickIsSetUpWithItsRangeInBackgroundMode) {
  attachJoystick();
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  EXPECT_EQ(devices.joystickPresent, 1);
  // Only the first joystick the enumeration reports is taken.
  EXPECT_EQ(std::memcmp(&devices.joystickGuid, &fake::state().joystickGuid,
                        sizeof(platform::Guid)),
            0);
  EXPECT_EQ(
      callsFrom(fake::indexOf("diEnumDevices") + 1),
      (Calls{"diCreateDevice joystick", "diQueryInterface2 joystickFirst",
             "diRelease joystickFirst", "diSetCooperativeLevel joystick 10",
             "diSetDataFormat joystick", "diSetRange joystick 0",
             "diSetRange joystick 4", "diAcquire joystick"}));
  EXPECT_EQ(fake::state().rangeX.left, -24);
  EXPECT_EQ(fake::state().rangeX.right, 24);
  EXPECT_EQ(fake::state().rangeY.left, -24);
  EXPECT_EQ(fake::state().rangeY.right, 24);
}

TEST_F(InputDevicesTest, EachJoystickFailureLeavesNoJoystickAndNoMessage) {
  for (fake::Fault step :
       {fake::Fault::joystickCreate, fake::Fault::joystickInterface2,
        fake::Fault::joystickLevel, fake::Fault::joystickFormat,
        fake::Fault::joystickAcquire}) {
    SCOPED_TRACE(fake::nameOf(step));
    fake::reset();
    fake::state().focus = true;
    attachJoystick();
    fake::fail(step);
    InputDevices devices;
    EXPECT_EQ(devices.init(), 1);
    EXPECT_EQ(devices.joystickPresent, 0);
    EXPECT_TRUE(fake::state().messageBoxes.empty());
    const std::size_t before = fake::state().calls.size();
    EXPECT_EQ(devices.joystickButton(2), 0);
    EXPECT_EQ(fake::state().calls.size(), before);
  }
}

TEST_F(InputDevicesTest, WithoutSecondInterfaceTheFirstIsReleasedAndLeftAlone) {
  attachJoystick();
  fake::fail(fake::Fault::joystickInterface2);
  {
    InputDevices devices;
    ASSERT_EQ(devices.init(), 1);
    EXPECT_EQ(fake::state().calls.back(), "diRelease joystickFirst");
  }
  EXPECT_EQ(fake::count("diRelease joystick"), 1);  // "joystickFirst" only
  EXPECT_EQ(fake::count("diUnacquire joystick"), 0);
}

TEST_F(InputDevicesTest, AxesArePushedOnlyBeyondTwenty) {
  attachJoystick();
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  auto& stick = fake::state().joystickState;
  struct Case {
    int x, y, left, right, up, down;
  };
  for (const Case& c : {Case{0, 0, 0, 0, 0, 0}, Case{-20, -20, 0, 0, 0, 0},
                        Case{20, 20, 0, 0, 0, 0}, Case{-21, 0, 1, 0, 0, 0},
                        Case{21, 0, 0, 1, 0, 0}, Case{0, -21, 0, 0, 1, 0},
                        Case{0, 21, 0, 0, 0, 1}, Case{-24, 24, 1, 0, 0, 1}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    stick.lX = c.x;
    stick.lY = c.y;
    EXPECT_EQ(devices.joystickLeft(), c.left);
    EXPECT_EQ(devices.joystickRight(), c.right);
    EXPECT_EQ(devices.joystickUp(), c.up);
    EXPECT_EQ(devices.joystickDown(), c.down);
  }
}

TEST_F(InputDevicesTest, EveryTestPollsAndReadsTheJoystickAfresh) {
  attachJoystick();
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  const std::size_t before = fake::state().calls.size();
  devices.joystickLeft();
  devices.joystickButton(3);
  EXPECT_EQ(callsFrom(before),
            (Calls{"diPoll joystick", "diGetDeviceState joystick",
                   "diPoll joystick", "diGetDeviceState joystick"}));
}

TEST_F(InputDevicesTest, ButtonsCountFromOneAndAnyNonZeroByteIsPressed) {
  attachJoystick();
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  auto& buttons = fake::state().joystickState.rgbButtons;
  buttons[0] = 0x01;  // not the high bit, still pressed
  EXPECT_EQ(devices.joystickButton(1), 1);
  EXPECT_EQ(devices.joystickButton(2), 0);
  buttons[0] = 0;
  buttons[31] = 0x80;
  EXPECT_EQ(devices.joystickButton(1), 0);
  EXPECT_EQ(devices.joystickButton(32), 1);
}

TEST_F(InputDevicesTest, LostKeyboardIsReacquiredOnceAndTheOldSnapshotStands) {
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  fake::pressKey(DIK_R);
  EXPECT_EQ(devices.isKeyDown(DIK_R), 1);
  EXPECT_EQ(devices.keyboardLost, 0);

  fake::loseFocus();
  fake::releaseKey(DIK_R);
  const std::size_t before = fake::state().calls.size();
  EXPECT_EQ(devices.isKeyDown(DIK_R), 1);  // the snapshot is never cleared
  EXPECT_EQ(callsFrom(before),
            (Calls{"diGetDeviceState keyboard", "diAcquire keyboard",
                   "diGetDeviceState keyboard"}));
  EXPECT_EQ(devices.keyboardLost, 1);

  // Back in the foreground: the first read fails, re-acquires and sees the
  // real state.
  fake::gainFocus();
  EXPECT_EQ(devices.isKeyDown(DIK_R), 0);
  EXPECT_EQ(devices.keyboardLost, 0);
  EXPECT_EQ(fake::state().calls.back(), "diGetDeviceState keyboard");
}

TEST_F(InputDevicesTest, OnlyTheHighBitMeansDown) {
  InputDevices devices;
  ASSERT_EQ(devices.init(), 1);
  fake::state().keys[DIK_SPACE] = 0x7F;
  fake::state().keys[DIK_DOWN] = 0x80;
  EXPECT_EQ(devices.isKeyDown(DIK_SPACE), 0);
  EXPECT_EQ(devices.isKeyDown(DIK_DOWN), 1);
  EXPECT_EQ(devices.isKeyDown(256), 0);  // outside the snapshot
  EXPECT_EQ(devices.isKeyDown(-1), 0);
}

TEST_F(InputDevicesTest, ReleaseGoesKeyboardThenDirectInputThenJoystick) {
  attachJoystick();
  {
    InputDevices devices;
    ASSERT_EQ(devices.init(), 1);
    fake::state().calls.clear();
  }
  EXPECT_EQ(fake::state().calls,
            (Calls{"diUnacquire keyboard", "diRelease keyboard",
                   "diRelease directInput", "diUnacquire joystick",
                   "diRelease joystick"}));
}

TEST_F(InputDevicesTest, ReleaseAfterAPartialStartReleasesOnlyWhatExists) {
  struct Case {
    fake::Fault failing;
    Calls releases;
  };
  const Case cases[] = {
      {fake::Fault::inputCreate, {}},
      {fake::Fault::keyboardCreate, {"diRelease directInput"}},
      {fake::Fault::keyboardFormat,
       {"diUnacquire keyboard", "diRelease keyboard", "diRelease directInput"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fake::nameOf(c.failing));
    fake::reset();
    fake::state().focus = true;
    attachJoystick();
    fake::fail(c.failing);
    {
      InputDevices devices;
      EXPECT_EQ(devices.init(), 0);
      fake::state().calls.clear();
    }
    EXPECT_EQ(fake::state().calls, c.releases);
  }
  // Never started at all: nothing to release.
  fake::reset();
  { InputDevices devices; }
  EXPECT_TRUE(fake::state().calls.empty());
}

TEST_F(InputDevicesTest, JoystickRefusedAfterItsSecondInterfaceIsStillFreed) {
  attachJoystick();
  fake::fail(fake::Fault::joystickFormat);
  {
    InputDevices devices;
    ASSERT_EQ(devices.init(), 1);
    fake::state().calls.clear();
  }
  EXPECT_EQ(fake::state().calls,
            (Calls{"diUnacquire keyboard", "diRelease keyboard",
                   "diRelease directInput", "diRelease joystick"}));
}

}  // namespace
