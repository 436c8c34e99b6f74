// Placeholder until the arena is drawn.
#include "arena/Arena.h"

void TileSet::load() {}
void TileSet::drawTile(std::int32_t, std::int32_t, std::int8_t) {}
void Arena::drawLayout() {}
void Arena::drawCells() {}
void Arena::drawStatusBar() {}
