// The 60 Hz pacing schedule, on a clock the test sets.
#include <gtest/gtest.h>

#include "platform/common/FramePacer.h"

namespace {

using platform::common::FramePacer;
constexpr std::int64_t second = FramePacer::second;

TEST(FramePacer, DeadlinesKeepSixtyHertzWithoutDrift) {
  FramePacer pacer;
  const std::int64_t start = 5 * second;
  EXPECT_EQ(pacer.schedule(start), start);  // the first frame goes at once
  std::int64_t deadline = start;
  for (int frame = 1; frame <= 600; ++frame) {
    // Each frame is ready a little after the previous one was shown.
    deadline = pacer.schedule(deadline + 2'000'000);
    EXPECT_GE(deadline - start, frame * second / 60);
    EXPECT_LE(deadline - start, frame * second / 60 + 1);
  }
  EXPECT_EQ(deadline, start + 10 * second);
}

TEST(FramePacer, ASlightlyLateFrameIsMadeUpALongDelayStartsAfresh) {
  FramePacer pacer;
  pacer.schedule(0);
  const std::int64_t period = second / 60;
  // Two periods late: the missed deadlines come due at once, then the old
  // rhythm goes on.
  EXPECT_EQ(pacer.schedule(3 * period), period);
  EXPECT_EQ(pacer.schedule(3 * period), 2 * period + 1);
  EXPECT_EQ(pacer.schedule(3 * period), second / 20);
  // A second's stall (a pause, a slow disk): no rush of frames to catch up.
  const std::int64_t late = 2 * second;
  EXPECT_EQ(pacer.schedule(late), late);
  EXPECT_EQ(pacer.schedule(late + 1000), late + second / 60);
}

TEST(FramePacer, AFrameShownAtOnceIsFollowedByTheNextDeadline) {
  FramePacer pacer;
  const std::int64_t period = second / 60;
  const std::int64_t start = 7 * second;
  // The first frame goes out at once; the next is due one period later.
  EXPECT_EQ(pacer.shown(start), start + period);
  // Each frame is shown a little after its deadline: the rhythm stays.
  std::int64_t due = start + period;
  for (int frame = 2; frame <= 600; ++frame) {
    due = pacer.shown(due + 300'000);
    EXPECT_GE(due - start, frame * second / 60);
    EXPECT_LE(due - start, frame * second / 60 + 1);
  }
  EXPECT_EQ(due, start + 10 * second);
  // Shown two periods late: the next is due at once, on the old rhythm.
  EXPECT_EQ(pacer.shown(due + 2 * period), due + period);
  // A long stall: a fresh schedule from the frame shown after it.
  const std::int64_t late = due + second;
  EXPECT_EQ(pacer.shown(late), late + period);
}

TEST(FramePacer, PresentsThatDoNotWaitEndTheTrustInVsync) {
  FramePacer steady(true);
  std::int64_t now = second;
  for (int i = 0; i < 100; ++i)
    EXPECT_TRUE(steady.presented(now += second / 60));
  // A few quick presents (a frame dropped and made up) are not enough.
  for (int i = 0; i < FramePacer::fastLimit - 1; ++i)
    EXPECT_TRUE(steady.presented(now += 1'000'000));
  EXPECT_TRUE(steady.presented(now += second / 60));
  for (int i = 0; i < FramePacer::fastLimit - 1; ++i)
    EXPECT_TRUE(steady.presented(now += 1'000'000));
  EXPECT_FALSE(steady.presented(now += 1'000'000));
  EXPECT_FALSE(steady.vsync());
}

}  // namespace
