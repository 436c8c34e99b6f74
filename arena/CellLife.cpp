// Placeholder until bombs and flames arrive.
#include "arena/Arena.h"

void Arena::update() {}
void placeBomb(std::int8_t, std::int8_t, std::int8_t) {}
void startCrumbling(std::int8_t, std::int8_t) {}
void setFlame(Cell&, std::int8_t) {}
void updateCrumbling(std::int8_t, std::int8_t) {}
void updateBomb(std::int8_t, std::int8_t) {}
void updateFlame(std::int8_t, std::int8_t) {}
void explode(std::int8_t, std::int8_t) {}
