// Placeholder until the player arrives.
#include "player/Player.h"

Player::Player()
    : frames{}, x(56), y(40), facing(0), walkFrame(0), walkDelay(0) {}
void Player::loadFrames() {}
void Player::draw() {}
void Player::animateWalk() {}
CellPosition Player::cell() const { return {(x - 16) / 16, (y - 12) / 16}; }
