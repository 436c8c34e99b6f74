// The player's record: its 44 sprite frames, cut once at start-up from the
// picture file, the choice and drawing of the current frame, the walk
// animation, and the cell the player stands in.
#include "player/Player.h"

#include <cstring>

#include "arena/Arena.h"
#include "input/KeyBindings.h"
#include "video/Graphics.h"

namespace {

constexpr int frameCount = 44;
constexpr int spriteWidth = 16;
constexpr int spriteHeight = 24;
constexpr int framePixels = spriteWidth * spriteHeight;  // 384

// The walk counters: a walk frame lasts this many passes.
constexpr std::int8_t passesPerWalkFrame = 5;
constexpr std::int8_t lastWalkFrame = 10;

// Any direction held, asked in the same order as the movement asks.
bool directionHeld() {
  return keyBindings.rightPressed() || keyBindings.leftPressed() ||
         keyBindings.upPressed() || keyBindings.downPressed();
}

}  // namespace

Player::Player()
    : frames{}, x(56), y(40), facing(facingDown), walkFrame(0), walkDelay(0) {}

void Player::loadFrames() {
  // The composition surface is only a staging area here: the file lands in
  // its memory as one run of pixels, frame after frame, and each frame is
  // copied out into a surface of its own. The entry clears it afterwards.
  Surface* staging = graphics.compositionSurface;
  loadRawImage("data/player.raw", staging, frameCount * framePixels);
  const std::uint16_t* run = graphics.lockSurface(staging);
  for (int f = 0; f < frameCount; ++f) {
    frames[f] = graphics.createSurface(spriteWidth, spriteHeight, 1, 0);
    std::uint16_t* pixels = graphics.lockSurface(frames[f]);
    // A lock that fails gives no memory: that frame keeps what it held.
    if (pixels != nullptr && run != nullptr)
      std::memcpy(pixels, run + f * framePixels,
                  framePixels * sizeof(std::uint16_t));
    graphics.unlockSurface(frames[f]);
  }
  graphics.unlockSurface(staging);
}

void Player::draw() {
  blitSize.set(spriteWidth, spriteHeight);
  blitSize.blitKeyed(x, y, frames[facing + walkFrame]);
}

void Player::animateWalk() {
  if (walkDelay == passesPerWalkFrame - 1) {
    ++walkFrame;
    if (walkFrame > lastWalkFrame) walkFrame = 1;
  }
  if (directionHeld()) {
    ++walkDelay;
    if (walkDelay == passesPerWalkFrame) walkDelay = 0;
  } else {
    walkDelay = 0;
    walkFrame = 0;
  }
}

// The cell under the sprite's horizontal centre, 20 pixels below its top.
// Integer division truncates; inside the walled arena the operands are never
// negative.
// The cell under a pixel of the sprite's middle column, 20 rows below its
// top: where the player stands.
CellPosition Player::cell() const { return cellAt(x + 8, y + 20); }
