// Walking: the first direction held (right, then left, up, down) turns the
// player and asks that direction's move routine whether and how it may move.
//
// For collisions the player is the 16 x 16 square from (x, y + 9) to
// (x + 15, y + 24). Sideways moves probe one cell just beyond that square at
// height y + 15 and pull the player one pixel toward its rest row as they
// go; vertical moves probe the cells just above or below its left and right
// edges and slide the player around pillar corners when one side is blocked.
// Walls, pillars, blocks and crumbling blocks stop it; bombs stop it, except
// the bomb in the player's own cell; flames are walked through.
#include "arena/Arena.h"
#include "input/KeyBindings.h"
#include "player/Player.h"

namespace {

enum class Probe { open, obstacle, bomb };

// Result codes of the move routines.
constexpr std::int32_t blocked = 0;  // sideways: blocked; vertical: a bomb
constexpr std::int32_t step = 1;     // sideways: already at the rest row
constexpr std::int32_t stepUpOrSlideRight = 2;
constexpr std::int32_t stepDownOrSlideLeft = 3;
constexpr std::int32_t blockedNoSlide = 4;  // vertical only

// The row offset inside a cell at which a player rests: y = 23 + 16j.
constexpr int restRowOffset = 7;

// The collision square's edges, relative to the sprite's top-left corner.
constexpr int squareTop = 9;
constexpr int squareBottom = 24;
constexpr int squareRight = 15;
// Sideways moves look at this height of the square.
constexpr int sideProbeHeight = 15;

// What stands in the cell that holds pixel (x, y).
Probe probe(std::int32_t x, std::int32_t y) {
  const CellPosition at = cellAt(x, y);
  if (Arena::layout()[at.row][at.column] != layoutFloor) return Probe::obstacle;
  const std::int8_t type = Arena::grid[at.column][at.row].type;
  if (isSolidType(type)) return Probe::obstacle;
  if (isBombType(type)) {
    const CellPosition own = player.cell();
    if (own.column == at.column && own.row == at.row) return Probe::open;
    return Probe::bomb;
  }
  return Probe::open;  // empty, or any flame
}

// Offset of a pixel inside its cell.
constexpr int inCell(std::int32_t pixel, int origin) {
  return (pixel - origin) % cellSize;
}

// Sideways: one probe just beyond the square's left or right edge.
std::int32_t moveSideways(std::int32_t probeX) {
  if (probe(probeX, player.y + sideProbeHeight) != Probe::open) return blocked;
  const int m = inCell(player.y, arenaTop);
  if (m == restRowOffset) return step;
  return m > restRowOffset ? stepUpOrSlideRight : stepDownOrSlideLeft;
}

// Vertically: probes just beyond the square's top or bottom edge, at its
// left edge (A) and then its right edge (B).
std::int32_t moveVertically(std::int32_t probeY) {
  const std::int32_t left = player.x;
  const std::int32_t right = player.x + squareRight;
  switch (probe(left, probeY)) {
    case Probe::obstacle:
      // Left edge blocked: slide right unless the left column is the one the
      // sprite overlaps more (exactly half counts as the left).
      return inCell(left, arenaLeft) <= 8 ? blockedNoSlide : stepUpOrSlideRight;
    case Probe::bomb:
      return blocked;
    case Probe::open:
      break;
  }
  switch (probe(right, probeY)) {
    case Probe::obstacle:
      return inCell(right, arenaLeft) >= 8 ? blockedNoSlide
                                           : stepDownOrSlideLeft;
    case Probe::bomb:
      return blocked;
    case Probe::open:
      break;
  }
  return step;
}

}  // namespace

std::int32_t Arena::moveRight() {
  return moveSideways(player.x + squareRight + 1);
}

std::int32_t Arena::moveLeft() { return moveSideways(player.x - 1); }

std::int32_t Arena::moveUp() {
  return moveVertically(player.y + squareTop - 1);
}

std::int32_t Arena::moveDown() {
  return moveVertically(player.y + squareBottom + 1);
}

void movePlayer() {
  if (keyBindings.rightPressed()) {
    player.facing = facingRight;
    const std::int32_t code = arena.moveRight();
    if (code >= step && code <= stepDownOrSlideLeft) ++player.x;
    if (code == stepUpOrSlideRight) --player.y;
    if (code == stepDownOrSlideLeft) ++player.y;
  } else if (keyBindings.leftPressed()) {
    player.facing = facingLeft;
    const std::int32_t code = arena.moveLeft();
    if (code >= step && code <= stepDownOrSlideLeft) --player.x;
    if (code == stepUpOrSlideRight) --player.y;
    if (code == stepDownOrSlideLeft) ++player.y;
  } else if (keyBindings.upPressed()) {
    player.facing = facingUp;
    const std::int32_t code = arena.moveUp();
    if (code == step) --player.y;
    if (code == stepUpOrSlideRight) ++player.x;
    if (code == stepDownOrSlideLeft) --player.x;
  } else if (keyBindings.downPressed()) {
    player.facing = facingDown;
    const std::int32_t code = arena.moveDown();
    if (code == step) ++player.y;
    if (code == stepUpOrSlideRight) ++player.x;
    if (code == stepDownOrSlideLeft) --player.x;
  }
}
