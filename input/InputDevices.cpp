// The keyboard and the first attached joystick. The keyboard is acquired in
// foreground mode: it can only be read while our window has the keyboard, and
// the first read after the window comes back re-acquires it. The joystick is
// acquired in background mode and can be read at any time. A keyboard that
// cannot be set up ends the game; a joystick that cannot be set up is passed
// over in silence.
#include "input/InputDevices.h"

#include <cstring>

#include "app/AppWindow.h"
#include "app/Game.h"

using namespace platform;

namespace {

constexpr std::uint32_t directInputVersion = 0x0500;
constexpr std::int32_t axisMin = -24;
constexpr std::int32_t axisMax = 24;
constexpr std::int32_t axisDeadZone = 20;  // -20..20 counts as centred

bool isZero(const Guid& guid) {
  for (std::uint8_t b : guid.bytes)
    if (b != 0) return false;
  return true;
}

}  // namespace

InputDevices::~InputDevices() { release(); }

int InputDevices::init() {
  if (directInputCreate(appWindow.instance, directInputVersion, &directInput) !=
      DI_OK)
    return showStartupFailure("Couldn't Access Input!");
  if (diCreateDevice(directInput, GUID_SysKeyboard, &keyboardDevice) != DI_OK)
    return showStartupFailure("Couldn't Access Keyboard!");
  if (diSetCooperativeLevel(keyboardDevice, appWindow.window,
                            DISCL_NONEXCLUSIVE | DISCL_FOREGROUND) != DI_OK)
    return showStartupFailure("Couldn't Set Access Level!");
  if (diSetDataFormat(keyboardDevice, DataFormat::keyboard) != DI_OK)
    return showStartupFailure("Couldn't Set Keyboard Format!");
  if (diAcquire(keyboardDevice) != DI_OK)
    return showStartupFailure("Couldn't Aquire Keyboard!");

  diEnumDevices(directInput, DIDEVTYPE_JOYSTICK, joystickEnumCallback,
                &joystickGuid, DIEDFL_ATTACHEDONLY);
  joystickPresent = 0;
  if (!isZero(joystickGuid) && diCreateDevice(directInput, joystickGuid,
                                              &joystickDeviceFirst) == DI_OK) {
    joystickPresent = 1;
    initJoystick();
  }
  return 1;
}

void InputDevices::initJoystick() {
  const bool gotSecond =
      diQueryInterface2(joystickDeviceFirst, &joystickDevice) == DI_OK;
  diRelease(joystickDeviceFirst);
  joystickDeviceFirst = 0;
  if (!gotSecond) {
    joystickDevice = 0;
    joystickPresent = 0;
    return;
  }
  if (diSetCooperativeLevel(joystickDevice, appWindow.window,
                            DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) != DI_OK ||
      diSetDataFormat(joystickDevice, DataFormat::joystick) != DI_OK) {
    joystickPresent = 0;
    return;
  }
  diSetRange(joystickDevice, DIJOFS_X, axisMin, axisMax);
  diSetRange(joystickDevice, DIJOFS_Y, axisMin, axisMax);
  if (diAcquire(joystickDevice) != DI_OK) joystickPresent = 0;
}

int joystickEnumCallback(const DeviceInstance& device, void* reference) {
  std::memcpy(reference, &device.guidInstance, sizeof device.guidInstance);
  return DIENUM_STOP;
}

void InputDevices::readKeyboard() {
  if (diGetDeviceState(keyboardDevice, sizeof keyboardState, keyboardState) ==
      DI_OK) {
    keyboardLost = 0;
    return;
  }
  diAcquire(keyboardDevice);
  keyboardLost = diGetDeviceState(keyboardDevice, sizeof keyboardState,
                                  keyboardState) == DI_OK
                     ? 0
                     : 1;
}

void InputDevices::pollJoystick() {
  if (joystickPresent != 1) return;
  diPoll(joystickDevice);
  if (diGetDeviceState(joystickDevice, sizeof joystickState, &joystickState) ==
      DI_OK) {
    joystickLost = 0;
    return;
  }
  // A joystick that cannot be read (pulled out) counts as at rest with no
  // button pressed: its last reading must not go on walking the player,
  // laying bombs or regenerating the arena every frame.
  joystickLost = 1;
  joystickState = DIJOYSTATE{};
}

int InputDevices::isKeyDown(int keyCode) {
  readKeyboard();
  if (keyCode < 0 || keyCode > 255) return 0;
  return (keyboardState[keyCode] & 0x80) != 0 ? 1 : 0;
}

int InputDevices::joystickLeft() {
  if (joystickPresent != 1) return 0;
  pollJoystick();
  return joystickState.lX < -axisDeadZone ? 1 : 0;
}

int InputDevices::joystickRight() {
  if (joystickPresent != 1) return 0;
  pollJoystick();
  return joystickState.lX > axisDeadZone ? 1 : 0;
}

int InputDevices::joystickUp() {
  if (joystickPresent != 1) return 0;
  pollJoystick();
  return joystickState.lY < -axisDeadZone ? 1 : 0;
}

int InputDevices::joystickDown() {
  if (joystickPresent != 1) return 0;
  pollJoystick();
  return joystickState.lY > axisDeadZone ? 1 : 0;
}

int InputDevices::joystickButton(int button) {
  if (joystickPresent != 1) return 0;
  pollJoystick();
  if (button < 1 || button > 32) return 0;
  return joystickState.rgbButtons[button - 1] != 0 ? 1 : 0;
}

void InputDevices::release() {
  if (keyboardDevice != 0) {
    diUnacquire(keyboardDevice);
    diRelease(keyboardDevice);
    keyboardDevice = 0;
  }
  if (directInput != 0) {
    diRelease(directInput);
    directInput = 0;
  }
  if (joystickPresent == 1) {
    diUnacquire(joystickDevice);
    diRelease(joystickDevice);
  } else if (joystickDevice != 0) {
    // Set up but refused a later step: never acquired, but still held.
    diRelease(joystickDevice);
  }
  joystickDevice = 0;
  joystickPresent = 0;
}
