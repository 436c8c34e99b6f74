// Placeholder until the controls arrive.
#include "input/KeyBindings.h"

KeyBindings::KeyBindings()
    : quitKey(1),
      leftKey(203),
      rightKey(205),
      upKey(200),
      downKey(208),
      actionKey(57),
      regenerateKey(28),
      spareKey(0),
      spareSetting(1000) {}
int KeyBindings::quitPressed() { return 0; }
int KeyBindings::leftPressed() { return 0; }
int KeyBindings::rightPressed() { return 0; }
int KeyBindings::upPressed() { return 0; }
int KeyBindings::downPressed() { return 0; }
int KeyBindings::regeneratePressed() { return 0; }
int KeyBindings::bombPressed() { return 0; }
