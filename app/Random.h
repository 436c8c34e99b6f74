// The game's pseudo-random numbers: a linear congruential generator,
// state = state * 214013 + 2531011 (mod 2^32), giving bits 16 to 30 of the
// new state (0 to 32767). Seeded once at start-up from the tick count.
#pragma once

#include <cstdint>

namespace runtime {

constexpr int randMax = 32767;

void srand(std::uint32_t seed);
int rand();

// Replaces the generator (nullptr restores it). Lets a test feed the arena a
// sequence of its choosing.
using RandSource = int (*)();
void overrideRand(RandSource source);

}  // namespace runtime
