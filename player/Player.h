// The player: its 44 sprite frames, position, facing and walk animation.
#pragma once

#include <cstdint>

#include "arena/Arena.h"

struct Surface;

// Base frame of each facing; each owns a standing frame and ten walk frames.
enum Facing : std::int8_t {
  facingDown = 0,
  facingUp = 11,
  facingLeft = 22,
  facingRight = 33,
};

struct Player {
  Surface* frames[44];
  std::int32_t x;  // top-left corner of the 16 by 24 sprite
  std::int32_t y;
  std::int8_t facing;
  std::int8_t walkFrame;  // 0 standing, 1 to 10 walking
  std::int8_t walkDelay;  // passes since the last walk-frame change

  Player();

  void loadFrames();
  void draw();
  void animateWalk();
  CellPosition cell() const;
};

extern Player player;

void movePlayer();
