// The seven controls. Each question reads the devices at the moment it is
// asked: the key first, and the joystick only when the key is up.
#include "input/KeyBindings.h"

#include "input/InputDevices.h"
#include "platform/Platform.h"

namespace {

constexpr int bombKey = DIK_R;  // fixed; the Space key in actionKey lays none
constexpr int bombButton = 2;
constexpr int regenerateButton = 3;

}  // namespace

KeyBindings::KeyBindings()
    : quitKey(DIK_ESCAPE),
      leftKey(DIK_LEFT),
      rightKey(DIK_RIGHT),
      upKey(DIK_UP),
      downKey(DIK_DOWN),
      actionKey(DIK_SPACE),
      regenerateKey(DIK_RETURN),
      spareKey(0),
      spareSetting(1000) {}

int KeyBindings::quitPressed() { return inputDevices.isKeyDown(quitKey); }

int KeyBindings::leftPressed() {
  if (inputDevices.isKeyDown(leftKey)) return 1;
  return inputDevices.joystickLeft();
}

int KeyBindings::rightPressed() {
  if (inputDevices.isKeyDown(rightKey)) return 1;
  return inputDevices.joystickRight();
}

int KeyBindings::upPressed() {
  if (inputDevices.isKeyDown(upKey)) return 1;
  return inputDevices.joystickUp();
}

int KeyBindings::downPressed() {
  if (inputDevices.isKeyDown(downKey)) return 1;
  return inputDevices.joystickDown();
}

// One press, however long, gives one yes, on release. Nothing else runs while
// the key or button is held, but the wait gives up (still answering yes) when
// the window is asked to close or the program to end, so that a stuck button
// cannot hold the game for good, and when the keyboard can no longer be read
// because the window lost it while the key was down. A snapshot left over
// from such a loss does not start a new press.
int KeyBindings::regeneratePressed() {
  if (inputDevices.isKeyDown(regenerateKey) && inputDevices.keyboardLost == 0) {
    while (inputDevices.isKeyDown(regenerateKey)) {
      if (inputDevices.keyboardLost != 0 || platform::quitPending()) break;
    }
    return 1;
  }
  if (inputDevices.joystickButton(regenerateButton)) {
    while (inputDevices.joystickButton(regenerateButton)) {
      if (inputDevices.joystickLost != 0 || platform::quitPending()) break;
    }
    return 1;
  }
  return 0;
}

int KeyBindings::bombPressed() {
  if (inputDevices.isKeyDown(bombKey)) return 1;
  return inputDevices.joystickButton(bombButton);
}
