// The benchmark cases, registered with Google Benchmark by name:
// "frame/<variant>/<scene>", "update/game/<scene>", "draw/game/<scene>" and
// "blit/<variant>/<kernel>". Each runs this many times; the table quotes
// medians.
#pragma once

namespace bench {

inline constexpr int caseRepetitions = 15;

// The game must have been started (startGame) first.
void registerCases();

}  // namespace bench
