// The keyboard and the first attached joystick.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// The keys the game reads, by their numbers in the keyboard snapshot
// (platform/KeyNumbers.h).
using platform::dik::DIK_DOWN;
using platform::dik::DIK_ESCAPE;
using platform::dik::DIK_LEFT;
using platform::dik::DIK_R;
using platform::dik::DIK_RETURN;
using platform::dik::DIK_RIGHT;
using platform::dik::DIK_SPACE;
using platform::dik::DIK_UP;

// The keyboard (which the game cannot do without) and the first attached
// joystick (used when there is one). Every test reads its device afresh.
struct InputDevices {
  std::uint8_t keyboardState[256] = {};  // last snapshot, high bit = down
  std::int32_t joystickPresent = 0;      // 1 while a joystick is usable
  platform::DIJOYSTATE joystickState{};  // last joystick snapshot
  platform::Handle directInput = 0;
  platform::Handle keyboardDevice = 0;
  platform::Handle joystickDeviceFirst = 0;  // held until the second interface
  platform::Handle joystickDevice = 0;       // the pollable interface
  platform::Guid joystickGuid{};  // first attached joystick, zero if none
  // 1 while the last keyboard read failed even after re-acquiring (the
  // window has lost the keyboard); keyboardState then holds an old snapshot.
  std::int32_t keyboardLost = 0;
  // 1 while the last joystick read failed; joystickState then reads at rest
  // with no button pressed.
  std::int32_t joystickLost = 0;

  InputDevices() = default;
  ~InputDevices();

  int init();
  void initJoystick();
  void readKeyboard();
  void pollJoystick();
  int isKeyDown(int keyCode);
  int joystickLeft();
  int joystickRight();
  int joystickUp();
  int joystickDown();
  int joystickButton(int button);
  void release();
};

extern InputDevices inputDevices;

int joystickEnumCallback(const platform::DeviceInstance& device,
                         void* reference);
