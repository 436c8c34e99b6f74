// A pad's direction pad (a hat on the desktop and on Windows, the four
// direction buttons in the browser) read as its stick: pushed fully towards a
// pressed direction, on an axis where the stick itself is at rest. The game
// reads one stick.
#pragma once

#include <cstdint>

namespace platform {

struct DirectionPad {
  bool left = false, right = false, up = false, down = false;
};

// `x` and `y` are the stick's axes, from `minimum` (left, up) to `maximum`
// (right, down), at rest around 0: within a quarter of the way to the end.
template <typename Value>
void directionPadOverStick(const DirectionPad& pad, Value minimum,
                           Value maximum, Value* x, Value* y) {
  const auto atRest = [&](Value v) {
    return v > minimum / 4 && v < maximum / 4;
  };
  if (atRest(*x) && pad.left != pad.right) *x = pad.left ? minimum : maximum;
  if (atRest(*y) && pad.up != pad.down) *y = pad.up ? minimum : maximum;
}

// A point-of-view hat's reading, in hundredths of a degree clockwise from
// up (0xFFFFFFFF, or anything past 35999, centred), as a direction pad: the
// diagonals press two directions.
constexpr DirectionPad directionPadOfPov(std::uint32_t pov) {
  if (pov > 35999) return {};
  return {pov > 18000, pov > 0 && pov<18000, pov> 27000 ||
                           pov<9000, pov> 9000 && pov < 27000};
}

}  // namespace platform
