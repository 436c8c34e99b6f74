// The keyboard and the first attached joystick.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// Key codes of the keyboard snapshot: scan codes, extended keys at their scan
// code plus 128.
inline constexpr int DIK_ESCAPE = 0x01;
inline constexpr int DIK_R = 0x13;
inline constexpr int DIK_RETURN = 0x1C;
inline constexpr int DIK_SPACE = 0x39;
inline constexpr int DIK_UP = 0xC8;
inline constexpr int DIK_LEFT = 0xCB;
inline constexpr int DIK_RIGHT = 0xCD;
inline constexpr int DIK_DOWN = 0xD0;

struct InputDevices {
  std::uint8_t keyboardState[256];
  std::int32_t joystickPresent;
  platform::DIJOYSTATE joystickState;
  platform::Handle directInput;
  platform::Handle keyboardDevice;
  platform::Handle joystickDeviceFirst;
  platform::Handle joystickDevice;
  platform::Guid joystickGuid;

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

int joystickEnumCallback(const platform::DeviceInstance& device,
                         void* reference);
