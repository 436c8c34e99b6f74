// Placeholder until the input devices arrive.
#include "input/InputDevices.h"

InputDevices::~InputDevices() {}
int InputDevices::init() { return 1; }
void InputDevices::initJoystick() {}
void InputDevices::readKeyboard() {}
void InputDevices::pollJoystick() {}
int InputDevices::isKeyDown(int) { return 0; }
int InputDevices::joystickLeft() { return 0; }
int InputDevices::joystickRight() { return 0; }
int InputDevices::joystickUp() { return 0; }
int InputDevices::joystickDown() { return 0; }
int InputDevices::joystickButton(int) { return 0; }
void InputDevices::release() {}
int joystickEnumCallback(const platform::DeviceInstance&, void*) { return 0; }
