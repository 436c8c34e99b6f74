// The seven controls over the scripted keyboard and joystick: which key or
// button answers each, the joystick asked only while the key is up, and the
// regenerate control's wait for the release.
#include <gtest/gtest.h>

#include <string>

#include "app/AppWindow.h"
#include "input/InputDevices.h"
#include "input/KeyBindings.h"
#include "platform/fake/FakePlatform.h"

namespace {

class KeyBindingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::state().focus = true;
    fake::state().joystickAttached = true;
    ASSERT_EQ(inputDevices.init(), 1);
    ASSERT_EQ(inputDevices.joystickPresent, 1);
    fake::state().calls.clear();
  }
  void TearDown() override {
    inputDevices.release();
    inputDevices = InputDevices{};
    appWindow.quit = 0;
    fake::reset();
  }

  static platform::DIJOYSTATE& stick() { return fake::state().joystickState; }
};

TEST_F(KeyBindingsTest, EachDirectionAnswersFromItsArrowKeyOrTheStick) {
  struct Direction {
    int key;
    int (KeyBindings::*query)();
    int x, y;  // a stick position that answers yes
  };
  const Direction directions[] = {
      {DIK_LEFT, &KeyBindings::leftPressed, -21, 0},
      {DIK_RIGHT, &KeyBindings::rightPressed, 21, 0},
      {DIK_UP, &KeyBindings::upPressed, 0, -21},
      {DIK_DOWN, &KeyBindings::downPressed, 0, 21},
  };
  for (const Direction& d : directions) {
    SCOPED_TRACE(d.key);
    EXPECT_EQ((keyBindings.*d.query)(), 0);
    fake::pressKey(d.key);
    EXPECT_EQ((keyBindings.*d.query)(), 1);
    fake::releaseKey(d.key);
    stick().lX = d.x;
    stick().lY = d.y;
    EXPECT_EQ((keyBindings.*d.query)(), 1);
    stick().lX = stick().lY = 0;
  }
}

TEST_F(KeyBindingsTest, WhileTheKeyIsDownTheJoystickIsNotPolled) {
  fake::pressKey(DIK_LEFT);
  fake::pressKey(DIK_R);
  stick().lX = 24;
  EXPECT_EQ(keyBindings.leftPressed(), 1);
  EXPECT_EQ(keyBindings.bombPressed(), 1);
  EXPECT_EQ(fake::count("diPoll"), 0);
  // Left held and the stick pushed right: both directions answer yes.
  EXPECT_EQ(keyBindings.rightPressed(), 1);
  EXPECT_EQ(fake::count("diPoll"), 1);
}

TEST_F(KeyBindingsTest, RAndButtonTwoLayBombsSpaceAndOtherButtonsDoNot) {
  fake::pressKey(DIK_SPACE);
  stick().rgbButtons[0] = 0x80;  // button 1
  stick().rgbButtons[2] = 0x80;  // button 3
  EXPECT_EQ(keyBindings.bombPressed(), 0);
  stick().rgbButtons[1] = 0x80;  // button 2
  EXPECT_EQ(keyBindings.bombPressed(), 1);
  stick().rgbButtons[1] = 0;
  fake::pressKey(DIK_R);
  // A level, not an edge: yes on every question while held.
  EXPECT_EQ(keyBindings.bombPressed(), 1);
  EXPECT_EQ(keyBindings.bombPressed(), 1);
}

TEST_F(KeyBindingsTest, OnlyEscapeQuits) {
  stick().lX = -24;
  for (auto& button : stick().rgbButtons) button = 0x80;
  fake::pressKey(DIK_RETURN);
  EXPECT_EQ(keyBindings.quitPressed(), 0);
  EXPECT_EQ(fake::count("diPoll"), 0);
  fake::pressKey(DIK_ESCAPE);
  EXPECT_EQ(keyBindings.quitPressed(), 1);
}

TEST_F(KeyBindingsTest, EnterHeldGivesOneYesOnReleaseAndNothingElseRuns) {
  int reads = 0;
  fake::pressKey(DIK_RETURN);
  fake::state().keyboardScript = [&reads](std::uint8_t* keys) {
    if (++reads == 50) keys[DIK_RETURN] = 0;
  };
  EXPECT_EQ(keyBindings.regeneratePressed(), 1);
  EXPECT_EQ(reads, 50);
  // Only keyboard reads happened meanwhile: no joystick, no window, no frame.
  EXPECT_EQ(fake::count("diGetDeviceState keyboard"),
            static_cast<int>(fake::state().calls.size()));
  EXPECT_EQ(fake::state().presented, 0);
  EXPECT_EQ(keyBindings.regeneratePressed(), 0);
}

TEST_F(KeyBindingsTest, ButtonThreeHeldGivesOneYesOnRelease) {
  int reads = 0;
  fake::state().joystickScript = [&reads](platform::DIJOYSTATE& state) {
    state.rgbButtons[2] = ++reads < 20 ? 0x80 : 0;
  };
  EXPECT_EQ(keyBindings.regeneratePressed(), 1);
  EXPECT_EQ(reads, 20);
  EXPECT_EQ(fake::count("diGetDeviceState keyboard"), 1);  // before the wait
  EXPECT_EQ(keyBindings.regeneratePressed(), 0);
}

TEST_F(KeyBindingsTest, LosingTheKeyboardWhileEnterIsHeldEndsTheWait) {
  int reads = 0;
  fake::pressKey(DIK_RETURN);
  fake::state().keyboardScript = [&reads](std::uint8_t*) {
    if (++reads == 3) fake::loseFocus();  // Enter stays down
  };
  EXPECT_EQ(keyBindings.regeneratePressed(), 1);
  const auto& calls = fake::state().calls;
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 2], "diAcquire keyboard");
  EXPECT_EQ(calls.back(), "diGetDeviceState keyboard");
  EXPECT_EQ(reads, 3);
}

TEST_F(KeyBindingsTest, AnOldSnapshotAfterTheLossStartsNoNewPress) {
  fake::pressKey(DIK_RETURN);
  fake::state().keyboardScript = [](std::uint8_t*) {
    if (fake::state().keyboardReads == 2) fake::loseFocus();
  };
  EXPECT_EQ(keyBindings.regeneratePressed(), 1);
  // The keyboard is still lost and its last snapshot shows Enter down.
  EXPECT_EQ(keyBindings.regeneratePressed(), 0);
  EXPECT_EQ(keyBindings.regeneratePressed(), 0);
}

// Enter is let go only after 1000 reads; in the meantime `request` arrives
// (after the 4th read, behind a repaint). Answers the reads the wait took.
int readsUntilTheWaitEnds(std::uint32_t request) {
  auto& s = fake::state();
  s.queue.clear();
  s.keyboardReads = 0;
  fake::pressKey(DIK_RETURN);
  s.keyboardScript = [request](std::uint8_t* keys) {
    if (fake::state().keyboardReads == 4) {
      fake::post(platform::WM_PAINT);
      fake::post(request);
    }
    if (fake::state().keyboardReads >= 1000) keys[DIK_RETURN] = 0;
  };
  EXPECT_EQ(keyBindings.regeneratePressed(), 1);
  return s.keyboardReads;
}

TEST_F(KeyBindingsTest, AWaitingRequestToEndEndsTheWaitAndStaysQueued) {
  for (std::uint32_t request :
       {platform::WM_CLOSE, platform::WM_QUIT, platform::WM_DESTROY}) {
    SCOPED_TRACE(request);
    EXPECT_LT(readsUntilTheWaitEnds(request), 10);
    ASSERT_EQ(fake::state().queue.size(), 2u);  // nothing taken
    EXPECT_EQ(fake::state().queue.back().message, request);
  }
  EXPECT_EQ(readsUntilTheWaitEnds(platform::WM_SIZE), 1000);
}

}  // namespace
