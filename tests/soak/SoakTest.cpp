// The soak: a million frames of random play on the scripted platform, with
// every invariant of the arena and the player checked after every frame.
// The play is a fixed pseudo-random sequence of records (see GameDriver.h):
// mostly walking and laying bombs, now and then a regeneration, a pause, a
// lost keyboard or flip chain, a pulled joystick, and sometimes the end of a
// game (Escape, a closed window, a quit message) after which a new one
// starts. Any broken invariant, or a wait that never ends, aborts the run
// with the frame at which it happened.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/AppWindow.h"
#include "arena/Arena.h"
#include "player/Player.h"
#include "tests/fuzz/GameDriver.h"

namespace {

using reliability::Record;

constexpr std::uint64_t soakFrames = 1'000'000;

// For trying things out: FUSEBOUND_SOAK_FRAMES overrides the count.
std::uint64_t framesToSoak() {
  const char* wanted = std::getenv("FUSEBOUND_SOAK_FRAMES");
  return wanted != nullptr ? std::strtoull(wanted, nullptr, 10) : soakFrames;
}
constexpr std::uint64_t soakSeed = 0x5EED2000;

// One frame in this many is drawn; the others run the same pass without its
// drawing steps (see GameDriver.h), which keeps a million frames of the
// unoptimised sanitizer build within a few minutes. The second test shows
// that the frames' game state does not depend on it.
constexpr int drawingPeriod = 8;

// xorshift64*: the run is the same on every machine.
struct Dice {
  std::uint64_t state;
  std::uint32_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<std::uint32_t>((state * 0x2545F4914F6CDD1DULL) >> 32);
  }
  // True with probability percent / 100.
  bool chance(unsigned percent) { return next() % 100 < percent; }
};

// Events by weight, in percent of the records that carry one.
struct Weighted {
  reliability::Event event;
  unsigned weight;
};
constexpr Weighted eventWeights[] = {
    {reliability::enterPressed, 25},     {reliability::buttonThreePressed, 8},
    {reliability::escapePressed, 5},     {reliability::focusLost, 15},
    {reliability::closedWhilePaused, 3}, {reliability::quitMessage, 2},
    {reliability::closeRequest, 2},      {reliability::surfacesLost, 15},
    {reliability::joystickPulled, 12},   {reliability::keyboardUnacquired, 13},
};

Record nextRecord(Dice& dice) {
  Record record{};
  const unsigned directions = dice.next() % 100;
  if (directions < 70)
    record.keys = static_cast<std::uint8_t>(1u << (dice.next() % 4));
  else if (directions < 80)
    record.keys = static_cast<std::uint8_t>(dice.next() % 16);
  if (dice.chance(15)) record.keys |= 0x10;  // R
  if (dice.chance(20)) record.keys |= 0x20;  // the stick walks
  if (dice.chance(5)) record.keys |= 0x40;   // button 2
  record.hold = static_cast<std::uint8_t>(dice.next());
  if (dice.chance(3)) {
    record.keys |= 0x80;
    unsigned pick = dice.next() % 100;
    reliability::Event event = reliability::enterPressed;
    for (const Weighted& w : eventWeights) {
      if (pick < w.weight) {
        event = w.event;
        break;
      }
      pick -= w.weight;
    }
    const unsigned argument = dice.next() % 25;
    record.extra =
        static_cast<std::uint8_t>(argument * reliability::eventCount + event);
  }
  return record;
}

// Plays games from the dice until `frames` frames have passed.
void soak(Dice& dice, std::uint64_t frames, reliability::Stats& stats) {
  while (stats.frames < frames) {
    reliability::newGame(dice.next());
    ++stats.games;
    while (stats.frames < frames &&
           reliability::play(nextRecord(dice), stats,
                             static_cast<int>(frames - stats.frames))) {
    }
  }
}

// The game's state after each frame, folded into one number (FNV-1a).
std::vector<std::uint64_t> stateAfterFrame;

void recordState() {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  const auto fold = [&hash](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i)
      hash = (hash ^ bytes[i]) * 0x100000001B3ULL;
  };
  fold(Arena::grid, sizeof Arena::grid);
  fold(&player.x, sizeof player.x);
  fold(&player.y, sizeof player.y);
  fold(&player.facing, sizeof player.facing);
  fold(&player.walkFrame, sizeof player.walkFrame);
  fold(&player.walkDelay, sizeof player.walkDelay);
  fold(&appWindow.quit, sizeof appWindow.quit);
  stateAfterFrame.push_back(hash);
}

// Drawing never feeds back into the play: the same input gives the same
// state after every frame whether the frames are drawn or not. (The soak
// relies on it to leave most frames undrawn.)
TEST(Soak, DrawingNeverChangesThePlay) {
  reliability::startOnce(FUSEBOUND_SOURCE_DIR);
  constexpr std::uint64_t frames = 8000;
  std::vector<std::uint64_t> drawn, undrawn;
  for (int period : {1, drawingPeriod}) {
    reliability::drawEvery(period);
    reliability::onFrame(recordState);
    stateAfterFrame.clear();
    reliability::Stats stats;
    Dice dice{soakSeed};
    soak(dice, frames, stats);
    (period == 1 ? drawn : undrawn) = stateAfterFrame;
  }
  reliability::onFrame(nullptr);
  reliability::drawEvery(1);
  ASSERT_EQ(drawn.size(), frames);
  ASSERT_EQ(undrawn.size(), frames);
  for (std::size_t i = 0; i < frames; ++i)
    ASSERT_EQ(drawn[i], undrawn[i]) << "frame " << i;
}

TEST(Soak, AMillionFramesOfRandomPlayKeepEveryInvariant) {
  reliability::startOnce(FUSEBOUND_SOURCE_DIR);
  reliability::drawEvery(drawingPeriod);
  reliability::Stats stats;
  const std::uint64_t frames = framesToSoak();
  Dice dice{soakSeed};
  const auto start = std::chrono::steady_clock::now();
  soak(dice, frames, stats);
  reliability::drawEvery(1);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();

  std::printf(
      "soaked %llu frames (constant %llu, seed %#llx, one in %d drawn) in "
      "%.1f s\n",
      static_cast<unsigned long long>(stats.frames),
      static_cast<unsigned long long>(soakFrames),
      static_cast<unsigned long long>(soakSeed), drawingPeriod, seconds);
  std::printf(
      "  games %llu, frames drawn %llu, frames shown %llu, bombs laid %llu, "
      "explosions %llu, "
      "blocks crumbled %llu, regenerations %llu, paused frames %llu\n",
      static_cast<unsigned long long>(stats.games),
      static_cast<unsigned long long>(stats.framesDrawn),
      static_cast<unsigned long long>(stats.framesShown),
      static_cast<unsigned long long>(stats.bombsLaid),
      static_cast<unsigned long long>(stats.explosions),
      static_cast<unsigned long long>(stats.blocksCrumbled),
      static_cast<unsigned long long>(stats.regenerations),
      static_cast<unsigned long long>(stats.pauses));
  static const char* names[] = {"Enter",
                                "button 3",
                                "Escape",
                                "focus lost",
                                "closed while paused",
                                "WM_QUIT",
                                "close request",
                                "surfaces lost",
                                "joystick pulled/plugged",
                                "keyboard unacquired"};
  std::printf("  events:");
  for (int e = 0; e < reliability::eventCount; ++e)
    std::printf(" %s %llu;", names[e],
                static_cast<unsigned long long>(stats.events[e]));
  std::printf(
      "\n  frames with the player partly before a pillar or wall: "
      "%llu, deepest %d x %d pixels\n",
      static_cast<unsigned long long>(stats.overlapFrames),
      stats.deepestOverlapWidth, stats.deepestOverlapHeight);
  std::fflush(stdout);

  EXPECT_EQ(stats.frames, frames);
  // The play reached what it is meant to exercise.
  EXPECT_GT(stats.explosions, frames / 2000);
  EXPECT_GT(stats.games, frames / 100000);
  for (std::uint64_t n : stats.events) EXPECT_GT(n, 0u);
}

}  // namespace
