// The browser's frame pacing under a made-up animation-frame clock: the
// game gets 60 frames a second from screens of every common rate, slower
// ones included, keeps no error over long runs, and starts afresh after a
// stall.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/web/FrameClock.h"

namespace {

using platform::web::FrameClock;

struct Paced {
  int gameFrames = 0;
  std::vector<int> gaps;     // animation frames between those showing frames
  std::vector<int> perShow;  // game frames due on each that shows one
};

// Animation frames at `hz` for `seconds`, each off by up to `jitterMs`
// (a fixed pseudo-random pattern).
Paced pace(double hz, double seconds, double jitterMs = 0.0) {
  FrameClock clock;
  Paced result;
  const int frames = static_cast<int>(std::lround(hz * seconds));
  unsigned seed = 12345;
  int sinceLast = 0;
  for (int i = 0; i < frames; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double jitter =
        jitterMs * (static_cast<double>((seed >> 16) & 0x7FFF) / 16383.5 - 1.0);
    ++sinceLast;
    if (const int due = clock.due(1000.0 * i / hz + jitter)) {
      result.gameFrames += due;
      result.gaps.push_back(sinceLast);
      result.perShow.push_back(due);
      sinceLast = 0;
    }
  }
  return result;
}

TEST(FrameClock, SixtyHertzShowsEveryAnimationFrame) {
  const Paced r = pace(60, 100, 0.5);
  EXPECT_EQ(r.gameFrames, 6000);
  for (int gap : r.gaps) ASSERT_EQ(gap, 1);
  for (int due : r.perShow) ASSERT_EQ(due, 1);
}

TEST(FrameClock, HigherRatesStillGiveSixtyAFrameSecond) {
  for (double hz : {75.0, 90.0, 100.0, 120.0, 144.0, 165.0, 240.0}) {
    const Paced r = pace(hz, 100, 0.3);
    // Sixty a second without drift: at most one frame off in 6000.
    EXPECT_NEAR(r.gameFrames, 6000, 1) << hz << " Hz";
  }
}

TEST(FrameClock, OneTwentyHertzShowsEverySecondFrame) {
  const Paced r = pace(120, 10, 0.5);
  EXPECT_EQ(r.gameFrames, 600);
  for (std::size_t i = 1; i < r.gaps.size(); ++i) ASSERT_EQ(r.gaps[i], 2);
}

TEST(FrameClock, OneFortyFourHertzAlternatesTwoAndThree) {
  const Paced r = pace(144, 10);
  EXPECT_NEAR(r.gameFrames, 600, 1);
  for (std::size_t i = 1; i < r.gaps.size(); ++i) {
    EXPECT_GE(r.gaps[i], 2);
    EXPECT_LE(r.gaps[i], 3);
  }
}

// Slower screens: every animation frame shows a game frame, and those that
// come a period or more late have the frames in between due as well.
TEST(FrameClock, SlowerScreensStillGiveSixtyAFrameSecond) {
  for (double hz : {30.0, 45.0, 50.0}) {
    const Paced r = pace(hz, 100, 0.5);
    EXPECT_NEAR(r.gameFrames, 6000, 1) << hz << " Hz";
    EXPECT_NEAR(r.gaps.size(), hz * 100, 1) << hz << " Hz";
    for (int due : r.perShow) ASSERT_TRUE(due == 1 || due == 2) << hz << " Hz";
  }
  // At 30 Hz each animation frame has two due; at 45 Hz two, one, one.
  const Paced r30 = pace(30, 10);
  for (std::size_t i = 1; i < r30.perShow.size(); ++i)
    ASSERT_EQ(r30.perShow[i], 2);
  const Paced r45 = pace(45, 10);
  for (std::size_t i = 1; i + 3 < r45.perShow.size(); i += 3)
    ASSERT_EQ(r45.perShow[i] + r45.perShow[i + 1] + r45.perShow[i + 2], 4);
}

TEST(FrameClock, AStallStartsAfreshInsteadOfRushing) {
  FrameClock clock;
  double t = 0;
  ASSERT_EQ(clock.due(t), 1);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(clock.due(t += 1000.0 / 60), 1);
  // A hidden page: no animation frames for two seconds; then one frame,
  // not the 120 missed.
  EXPECT_EQ(clock.due(t += 2000), 1);
  // Then no burst of catching up: at 120 Hz every second frame again.
  int shown = 0;
  for (int i = 0; i < 20; ++i) shown += clock.due(t += 1000.0 / 120);
  EXPECT_EQ(shown, 10);
  // Just under the limit a late animation frame has all three due.
  EXPECT_EQ(clock.due(t += 3 * 1000.0 / 60 - 0.5), 3);
}

}  // namespace
