// Keys that are already down when the keyboard is acquired. SDL learns that a
// key is down from its press; on X11 a key pressed while another window had
// the focus (Escape held while the game starts, an arrow held while the
// player clicks into the window) is missing from SDL's key state until the
// key repeats, and for good when the keyboard does not repeat. So at each
// acquisition the window system is asked which keys are down, and those count
// as down until it reports them up or SDL's own state takes them over.
// Only platform/sdl/ includes this.
#pragma once

#include <cstdint>

namespace platform::sdl {

// Asks the window system which keys are down now and keeps them, in place of
// any kept before. Nothing is kept where it cannot tell (no X11 window, or a
// server that does not number its keys as evdev does).
void takeHeldKeys();

// Marks in a 256-byte keyboard snapshot made from SDL's key state the kept
// keys that are still down, asking the window system again while any is
// kept. A key that is up again, or that SDL's state shows down itself, is
// no longer kept.
void addHeldKeys(std::uint8_t* snapshot);

}  // namespace platform::sdl
