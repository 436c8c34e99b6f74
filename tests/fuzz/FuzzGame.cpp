// The whole game driven by arbitrary bytes: each three bytes are one record
// of play (keys and stick held for some frames, now and then an event of the
// machine: focus lost, window closed, quit message, flip chain lost, joystick
// pulled, keyboard taken away; see GameDriver.h), for up to 4096 frames per
// input. After every frame the arena and the player must be sound; a wait
// that never ends counts as a failure too. One frame in four is drawn, the
// others run the same pass without its drawing steps (GameDriver.h): the
// keyed blits are most of a frame's cost, and what they draw follows from the
// state the invariants check.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/GameDriver.h"

namespace {
constexpr int framesPerInput = 4096;
constexpr int drawingPeriod = 4;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  reliability::startOnce(FUSEBOUND_SOURCE_DIR);
  reliability::drawEvery(drawingPeriod);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  reliability::Stats stats;
  reliability::playBytes(data, size, framesPerInput, stats);
  return 0;
}
