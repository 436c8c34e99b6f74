// The keyboard and joystick of the SDL layer, driven for real: keys through
// the X server (xdotool) into the game's window, a joystick through SDL's
// virtual joystick. Run under Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/AppWindow.h"
#include "input/InputDevices.h"
#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlWindow.h"

namespace {

using namespace platform;

// Asks `done` again, pumping SDL's events between tries, for up to about two
// seconds: the X server delivers keys and focus changes a little later.
template <typename Done>
bool eventually(Done done) {
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    SDL_PumpEvents();
    SDL_Delay(10);
  }
  return done();
}

LRESULT ignoreMessages(Handle, std::uint32_t, WPARAM, LPARAM) { return 0; }

// The game's window, created once per process by the window layer.
Handle gameWindow() {
  static const Handle window = [] {
    registerClass({0, ignoreMessages, 0, 0, "WINXCLASS"});
    return createWindow("WINXCLASS", "input test", 0, 320, 240, false, 1);
  }();
  return window;
}

bool xdotool(const char* arguments) {
  const std::string command = std::string("xdotool ") + arguments;
  return std::system(command.c_str()) == 0;
}

// Moves the keyboard focus to a window of our own, away from the game's.
class OtherWindow {
 public:
  OtherWindow() {
    window_ = SDL_CreateWindow("elsewhere", 0, 0, 64, 64, SDL_WINDOW_SHOWN);
    if (window_ != nullptr) SDL_SetWindowInputFocus(window_);
  }
  ~OtherWindow() {
    close();
    if (sdl::window() != nullptr) SDL_SetWindowInputFocus(sdl::window());
    eventually([] { return sdl::windowHasKeyboardFocus(); });
  }
  bool hasFocus() const {
    return window_ != nullptr && SDL_GetKeyboardFocus() == window_;
  }
  void close() {
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    window_ = nullptr;
  }

 private:
  SDL_Window* window_ = nullptr;
};

class SdlKeyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    window = gameWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(eventually([] { return sdl::windowHasKeyboardFocus(); }));
    ASSERT_EQ(directInputCreate(1, 0x0500, &directInput), DI_OK);
    ASSERT_EQ(diCreateDevice(directInput, GUID_SysKeyboard, &keyboard), DI_OK);
    ASSERT_EQ(diSetCooperativeLevel(keyboard, window,
                                    DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DI_OK);
    ASSERT_EQ(diSetDataFormat(keyboard, DataFormat::keyboard), DI_OK);
    ASSERT_EQ(diAcquire(keyboard), DI_OK);
  }
  void TearDown() override {
    xdotool("keyup r Return");
    if (keyboard != 0) diRelease(keyboard);
    if (directInput != 0) diRelease(directInput);
  }

  bool keyDown(int code) {
    std::uint8_t keys[256];
    return diGetDeviceState(keyboard, sizeof keys, keys) == DI_OK &&
           (keys[code] & 0x80) != 0;
  }

  Handle window = 0, directInput = 0, keyboard = 0;
};

TEST_F(SdlKeyboard, HeldKeyIsDownAndItsReleaseIsSeenWithoutAnyMessage) {
  std::uint8_t keys[256];
  ASSERT_EQ(diGetDeviceState(keyboard, sizeof keys, keys), DI_OK);
  EXPECT_EQ(keys[DIK_R], 0);

  ASSERT_TRUE(xdotool("keydown r"));
  // Only the keyboard is read: no window message is taken meanwhile.
  EXPECT_TRUE(eventually([&] { return keyDown(DIK_R); }));
  EXPECT_FALSE(keyDown(DIK_SPACE));
  ASSERT_TRUE(xdotool("keyup r"));
  EXPECT_TRUE(eventually([&] { return !keyDown(DIK_R); }));

  ASSERT_TRUE(xdotool("keydown Return"));
  EXPECT_TRUE(eventually([&] { return keyDown(DIK_RETURN); }));
  ASSERT_TRUE(xdotool("keyup Return"));
  EXPECT_TRUE(eventually([&] { return !keyDown(DIK_RETURN); }));
}

TEST_F(SdlKeyboard, WithoutTheFocusTheKeyboardCanNeitherBeReadNorAcquired) {
  {
    OtherWindow other;
    if (!eventually([&] { return other.hasFocus(); }))
      GTEST_SKIP() << "the focus could not be moved";
    std::uint8_t keys[256];
    EXPECT_NE(diGetDeviceState(keyboard, sizeof keys, keys), DI_OK);
    EXPECT_NE(diAcquire(keyboard), DI_OK);
  }
  // Back in the foreground: the lost acquisition must be renewed first.
  std::uint8_t keys[256];
  EXPECT_NE(diGetDeviceState(keyboard, sizeof keys, keys), DI_OK);
  EXPECT_EQ(diAcquire(keyboard), DI_OK);
  EXPECT_EQ(diGetDeviceState(keyboard, sizeof keys, keys), DI_OK);
}

TEST_F(SdlKeyboard, GameSeesHeldKeyAndKeepsItsSnapshotWhileInTheBackground) {
  const Handle savedWindow = appWindow.window;
  appWindow.window = window;
  {
    InputDevices devices;
    ASSERT_EQ(devices.init(), 1);
    ASSERT_TRUE(xdotool("keydown r"));
    EXPECT_TRUE(eventually([&] { return devices.isKeyDown(DIK_R) == 1; }));
    {
      OtherWindow other;
      if (eventually([&] { return other.hasFocus(); })) {
        EXPECT_EQ(devices.isKeyDown(DIK_R), 1);  // the last snapshot
        EXPECT_EQ(devices.keyboardLost, 1);
      }
      ASSERT_TRUE(xdotool("keyup r"));
    }
    EXPECT_TRUE(eventually([&] { return devices.isKeyDown(DIK_R) == 0; }));
    EXPECT_EQ(devices.keyboardLost, 0);
  }
  appWindow.window = savedWindow;
}

// A virtual joystick, plugged in for one test.
class SdlJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(directInputCreate(1, 0x0500, &directInput), DI_OK);
    index =
        SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 32, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    stick = SDL_JoystickOpen(index);
    ASSERT_NE(stick, nullptr);
  }
  void TearDown() override {
    if (stick != nullptr) SDL_JoystickClose(stick);
    if (index >= 0) SDL_JoystickDetachVirtual(index);
    if (device != 0) diRelease(device);
    if (directInput != 0) diRelease(directInput);
  }

  static int takeFirst(const DeviceInstance& instance, void* reference) {
    std::memcpy(reference, &instance.guidInstance, sizeof(Guid));
    return DIENUM_STOP;
  }

  // The same steps as the game's.
  void openAsTheGameDoes() {
    Guid guid{};
    ASSERT_EQ(diEnumDevices(directInput, DIDEVTYPE_JOYSTICK, takeFirst, &guid,
                            DIEDFL_ATTACHEDONLY),
              DI_OK);
    Handle first = 0;
    ASSERT_EQ(diCreateDevice(directInput, guid, &first), DI_OK);
    ASSERT_EQ(diQueryInterface2(first, &device), DI_OK);
    diRelease(first);
    ASSERT_EQ(
        diSetCooperativeLevel(device, 1, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
        DI_OK);
    ASSERT_EQ(diSetDataFormat(device, DataFormat::joystick), DI_OK);
    ASSERT_EQ(diSetRange(device, DIJOFS_X, -24, 24), DI_OK);
    ASSERT_EQ(diSetRange(device, DIJOFS_Y, -24, 24), DI_OK);
    ASSERT_EQ(diAcquire(device), DI_OK);
  }

  DIJOYSTATE read() {
    DIJOYSTATE state{};
    EXPECT_EQ(diPoll(device), DI_OK);
    EXPECT_EQ(diGetDeviceState(device, sizeof state, &state), DI_OK);
    return state;
  }

  Handle directInput = 0, device = 0;
  int index = -1;
  SDL_Joystick* stick = nullptr;
};

TEST_F(SdlJoystick, AxesAreScaledToTheRangeWithZeroAtRest) {
  openAsTheGameDoes();
  EXPECT_EQ(read().lX, 0);
  struct Case {
    Sint16 sdl;
    std::int32_t scaled;
  };
  for (const Case& c : {Case{-32768, -24}, Case{32767, 24}, Case{0, 0},
                        Case{16384, 12}, Case{-16384, -12}}) {
    SCOPED_TRACE(c.sdl);
    SDL_JoystickSetVirtualAxis(stick, 0, c.sdl);
    SDL_JoystickSetVirtualAxis(stick, 1, static_cast<Sint16>(-c.sdl - 1));
    const DIJOYSTATE state = read();
    EXPECT_EQ(state.lX, c.scaled);
    EXPECT_NEAR(state.lY, -c.scaled, 1);
  }
}

TEST_F(SdlJoystick, ButtonsAreNumberedFromTheFirstAndReadAsPressed) {
  openAsTheGameDoes();
  SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, 31, SDL_PRESSED);
  DIJOYSTATE state = read();
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ(state.rgbButtons[i] != 0, i == 1 || i == 31) << i;
  SDL_JoystickSetVirtualButton(stick, 1, SDL_RELEASED);
  state = read();
  EXPECT_EQ(state.rgbButtons[1], 0);
}

TEST_F(SdlJoystick, GameFindsTheFirstJoystickAndAsksItsAxesAndButtons) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  const Handle savedWindow = appWindow.window;
  appWindow.window = gameWindow();
  ASSERT_TRUE(eventually([] { return sdl::windowHasKeyboardFocus(); }));
  {
    InputDevices devices;
    ASSERT_EQ(devices.init(), 1);
    ASSERT_EQ(devices.joystickPresent, 1);
    // Pushed starts at 21 of 24: 28672 of 32767 either way.
    SDL_JoystickSetVirtualAxis(stick, 0, -28672);
    SDL_JoystickSetVirtualAxis(stick, 1, 28671);
    EXPECT_EQ(devices.joystickLeft(), 1);
    EXPECT_EQ(devices.joystickRight(), 0);
    EXPECT_EQ(devices.joystickDown(), 0);
    SDL_JoystickSetVirtualAxis(stick, 0, -28671);
    SDL_JoystickSetVirtualAxis(stick, 1, 28672);
    EXPECT_EQ(devices.joystickLeft(), 0);
    EXPECT_EQ(devices.joystickDown(), 1);
    SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
    EXPECT_EQ(devices.joystickButton(3), 1);
    EXPECT_EQ(devices.joystickButton(2), 0);
  }
  appWindow.window = savedWindow;
}

TEST_F(SdlJoystick, StaysReadableWhileNoWindowOfOursHasTheFocus) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_NE(gameWindow(), 0u);
  openAsTheGameDoes();
  {
    // Focus a window of our own, then close it: the focus goes nowhere.
    OtherWindow other;
    if (!eventually([&] { return other.hasFocus(); }))
      GTEST_SKIP() << "the focus could not be moved";
    other.close();
    if (!eventually([] { return SDL_GetKeyboardFocus() == nullptr; }))
      GTEST_SKIP() << "the focus did not go away";
    SDL_JoystickSetVirtualAxis(stick, 0, 32767);
    SDL_JoystickSetVirtualButton(stick, 4, SDL_PRESSED);
    const DIJOYSTATE state = read();
    EXPECT_EQ(state.lX, 24);
    EXPECT_NE(state.rgbButtons[4], 0);
  }
}

TEST_F(SdlJoystick, UnpluggedJoystickReadsAsLetGo) {
  openAsTheGameDoes();
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);
  SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
  ASSERT_NE(read().rgbButtons[2], 0);
  SDL_JoystickClose(stick);
  stick = nullptr;
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
  index = -1;
  const DIJOYSTATE state = read();
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.rgbButtons[2], 0);
}

TEST_F(SdlJoystick, DeviceOutlivesTheDirectInputObjectReleasedBeforeIt) {
  openAsTheGameDoes();
  diRelease(directInput);  // the game's order: DirectInput, then joystick
  directInput = 0;
  SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
  EXPECT_NE(read().rgbButtons[0], 0);
}

TEST_F(SdlJoystick, DirectionPadWalksWhileTheStickIsAtRest) {
  // A pad whose direction pad is a hat.
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(index);
  index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
  ASSERT_GE(index, 0) << SDL_GetError();
  stick = SDL_JoystickOpen(index);
  openAsTheGameDoes();
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFTDOWN);
  DIJOYSTATE state = read();
  EXPECT_EQ(state.lX, -24);
  EXPECT_EQ(state.lY, 24);
  // The stick pushed wins over the hat on its own axis.
  SDL_JoystickSetVirtualAxis(stick, 0, 16384);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFTUP);
  state = read();
  EXPECT_EQ(state.lX, 12);
  EXPECT_EQ(state.lY, -24);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_CENTERED);
  SDL_JoystickSetVirtualAxis(stick, 0, 0);
  state = read();
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lY, 0);
}

// The Windows side's hat reads its angle: each eighth of the circle one
// direction or a diagonal's two; centred, none.
TEST(DirectionPadOfPov, EachEighthOfTheCircleAndCentred) {
  const auto pressed = [](std::uint32_t pov) {
    const DirectionPad pad = directionPadOfPov(pov);
    return std::string(pad.left ? "L" : "") + (pad.right ? "R" : "") +
           (pad.up ? "U" : "") + (pad.down ? "D" : "");
  };
  EXPECT_EQ(pressed(0), "U");
  EXPECT_EQ(pressed(4500), "RU");
  EXPECT_EQ(pressed(9000), "R");
  EXPECT_EQ(pressed(13500), "RD");
  EXPECT_EQ(pressed(18000), "D");
  EXPECT_EQ(pressed(22500), "LD");
  EXPECT_EQ(pressed(27000), "L");
  EXPECT_EQ(pressed(31500), "LU");
  EXPECT_EQ(pressed(0xFFFFFFFFu), "");
}

// Started with no pad, the game still finds the one joystick slot; it reads
// at rest until a pad is plugged in, then that pad, and after the pad is
// pulled out and plugged back, the pad again.
TEST(SdlLatePad, APadPluggedInAfterTheStartIsReadAndAgainAfterReplugging) {
  Handle directInput = 0;
  ASSERT_EQ(directInputCreate(1, 0x0500, &directInput), DI_OK);
  ASSERT_EQ(SDL_NumJoysticks(), 0) << "a real joystick is attached";
  const Handle savedWindow = appWindow.window;
  appWindow.window = 1;  // the devices only need a window handle
  {
    InputDevices devices;
    devices.directInput = directInput;
    Guid guid{};
    ASSERT_EQ(diEnumDevices(directInput, DIDEVTYPE_JOYSTICK,
                            joystickEnumCallback, &guid, DIEDFL_ATTACHEDONLY),
              DI_OK);
    ASSERT_EQ(diCreateDevice(directInput, guid, &devices.joystickDeviceFirst),
              DI_OK);
    devices.joystickPresent = 1;
    devices.initJoystick();
    ASSERT_EQ(devices.joystickPresent, 1);
    EXPECT_EQ(devices.joystickLeft() + devices.joystickButton(3), 0);

    for (int plugged = 0; plugged < 2; ++plugged) {
      const int index =
          SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
      ASSERT_GE(index, 0) << SDL_GetError();
      SDL_Joystick* pad = SDL_JoystickOpen(index);
      SDL_JoystickSetVirtualAxis(pad, 0, -32768);
      SDL_JoystickSetVirtualButton(pad, 2, SDL_PRESSED);
      EXPECT_EQ(devices.joystickLeft(), 1) << "plugged in " << plugged + 1;
      EXPECT_EQ(devices.joystickButton(3), 1);
      SDL_JoystickClose(pad);
      SDL_JoystickDetachVirtual(index);
      EXPECT_EQ(devices.joystickLeft(), 0) << "pulled out";
      EXPECT_EQ(devices.joystickButton(3), 0);
    }
    devices.directInput = 0;  // released below, after the devices
  }
  appWindow.window = savedWindow;
  diRelease(directInput);
}

}  // namespace
