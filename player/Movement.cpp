// Placeholder until the player moves.
#include "arena/Arena.h"
#include "player/Player.h"

std::int32_t Arena::moveRight() { return 0; }
std::int32_t Arena::moveLeft() { return 0; }
std::int32_t Arena::moveUp() { return 0; }
std::int32_t Arena::moveDown() { return 0; }
void movePlayer() {}
