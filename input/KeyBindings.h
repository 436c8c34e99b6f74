// The seven controls the game asks about, answered from keyboard and joystick.
#pragma once

#include <cstdint>

struct KeyBindings {
  std::int16_t quitKey;
  std::int16_t leftKey;
  std::int16_t rightKey;
  std::int16_t upKey;
  std::int16_t downKey;
  std::int16_t actionKey;
  std::int16_t regenerateKey;
  std::int16_t spareKey;
  std::int16_t spareSetting;

  KeyBindings();

  int quitPressed();
  int leftPressed();
  int rightPressed();
  int upPressed();
  int downPressed();
  int regeneratePressed();
  int bombPressed();
};

extern KeyBindings keyBindings;
