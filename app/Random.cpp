#include "app/Random.h"

namespace runtime {
namespace {
std::uint32_t state = 1;
RandSource overridden = nullptr;
}  // namespace

void srand(std::uint32_t seed) { state = seed; }

int rand() {
  if (overridden) return overridden();
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

void overrideRand(RandSource source) { overridden = source; }

}  // namespace runtime
