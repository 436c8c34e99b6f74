// The arena's invariants, checked by the soak, the fuzzers and the property
// test: walls and pillars never written, every cell a known type with a tile
// the game can draw, and bombs, flames and crumbling blocks within their
// cycles (frame on its pulse or phase, timer and step within their ranges).
#pragma once

namespace invariants {

struct Rules {
  // The arena was generated: no start cell is left reserved.
  bool generated = true;
  // The power every bomb must have (the game lays power 2); 0: any.
  int bombPower = 2;
};

// nullptr when the cell keeps every invariant, else a description of the
// first broken one with the cell's contents (in a static buffer).
const char* checkCell(int column, int row, const Rules& rules = {});
// The same for every cell of the arena, the first broken one.
const char* checkArena(const Rules& rules = {});

}  // namespace invariants
