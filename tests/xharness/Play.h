// Playing the game through the real-X harness, for the scenarios of every
// build that runs on an X server (the Linux binary, the Windows one under
// Wine): walking, laying a bomb and stepping back, watching the arena glance
// by glance while doing so, and reading the bomb's pulse and the cross of
// its flames from what was seen.
//
// Where a scenario needs timing it reads the game's own clock off the
// screen: a bomb pulses through thirteen phases of eight frames each, so
// seeing every phase in order is seeing the 104 frames of its fuse.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/xharness/Harness.h"

namespace xharness {

void wait(Milliseconds ms);

// The pulse of a bomb: the tile shown in each of its thirteen phases.
inline constexpr int pulseTiles[13] = {9,  10, 11, 10, 9,  10, 11,
                                       10, 9,  10, 11, 10, 9};

// The cell beside the start, where the bomb scenarios lay their bomb.
inline constexpr int bombColumn = 3;
inline constexpr int bombRow = 1;

std::string where(int column, int row);
bool isBombTile(int tile);

// ---- the first picture

// The game's window `g`: windowed, on the 1024 by 768 screen, a 640 by 480
// client area (the largest whole scale within three quarters of it) filled
// by the picture twice over; full screen covering the 960 by 720 screen,
// the picture exactly three times over.
void expectWholeNumberScale(Session& s, const WindowInfo& g);
// The first picture: every pixel of the game's a whole block of the
// screen's, the layout, the status bar, nobody paused, the player standing
// at its start facing down. False (each failure reported) when not.
bool expectStartingArena(const Look& first);

// Escape, held until the game has gone (however late its next frame comes,
// it sees the key): the game ends with status 0 within `timeout`.
::testing::AssertionResult escapeEndsWithStatusZero(Session& s,
                                                    Milliseconds timeout);

// ---- walking

// Holds a direction key for `ms`, then looks where the player went.
PlayerView walk(Session& s, const std::string& key, Milliseconds ms);
// Walks right from the start into cell (3, 1), where the bomb goes.
::testing::AssertionResult walkIntoBombCell(Session& s);

// ---- watching

struct Sample {
  double time = 0;
  ArenaView arena;
};

// Something done `after` seconds after the step before it (or the start of
// a watch), once the screen shows what `ready` waits for.
struct Step {
  double after;
  std::function<void(Session&)> act;
  std::function<bool(const ArenaView&)> ready = nullptr;
};

Step press(double after, const char* key);
Step release(double after, const char* key,
             std::function<bool(const ArenaView&)> ready = nullptr);

bool playerBackAtTheWall(const ArenaView& a);
bool bombInItsCell(const ArenaView& a);
bool flamesAtTheBomb(const ArenaView& a);

// R until the bomb shows, then Left until the player stands against the
// wall beside it.
extern const std::vector<Step> layBombAndStepBack;

// Glances at the upper arena as often as it can, making `steps` meanwhile,
// until `done` holds (once every step is made) or `seconds` have passed.
// Steps left then are made at the end. With a `label`, a glance at the whole
// picture ends the samples and is kept among the artifacts.
std::vector<Sample> watch(Session& s, double seconds,
                          const std::function<bool(const ArenaView&)>& done,
                          const std::string& label,
                          const std::vector<Step>& steps = {});

// ---- reading what was seen

// Consecutive glances that showed the same tile in one cell.
struct Stretch {
  int tile = 0;
  double start = 0;  // time of its first glance
};

std::vector<Stretch> runsOf(const std::vector<Sample>& samples, int column,
                            int row);
std::string describe(const std::vector<Stretch>& runs);
// The bomb's stretches in its cell: from the first bomb tile on, each of
// its phases, up to the first tile that is not a bomb's.
std::vector<Stretch> phasesOf(const std::vector<Stretch>& stretches);
// Whether the bomb's phases seen, up to `end` (the flames), are its pulse:
// all thirteen in order where the screen kept up, else those seen in the
// pulse's order ending with its last. Time in [pauseFrom, pauseTo) was
// spent paused on purpose.
::testing::AssertionResult isPulse(Session& s,
                                   const std::vector<Stretch>& phases,
                                   double end, double pauseFrom = 0,
                                   double pauseTo = 0);
// The explosion of a power-2 bomb at (column, row) over `arena` as it stood
// before: the piece each cell of the cross shows (4 for a block that starts
// crumbling). No other bombs are on the field.
std::map<std::pair<int, int>, int> expectedCross(const ArenaView& arena,
                                                 int column, int row);
// Whether a cell shows `piece`, or, under the player, may show it.
bool shows(const CellView& cell, int piece);
// Cells whose piece differs between two views, ignoring those the player
// covers in either and those in `skip`.
std::vector<std::pair<int, int>> changedCells(
    const ArenaView& a, const ArenaView& b,
    const std::map<std::pair<int, int>, int>& skip = {});
std::string listCells(const std::vector<std::pair<int, int>>& cells);

}  // namespace xharness
