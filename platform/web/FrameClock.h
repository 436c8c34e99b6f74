// Paces the game to 60 frames a second on the browser's animation frames,
// whatever the screen's refresh rate. Each animation frame adds the time
// since the one before to an accumulator; a game frame is due when a whole
// period (less a little slack for the jitter of the frame times) has
// gathered, and takes exactly one period away. On a 60 Hz screen every
// animation frame shows a game frame; at 120 Hz every second one; at 144 Hz
// two or three in turn. The remainder is kept, so the rate never drifts.
#pragma once

namespace platform::web {

class FrameClock {
 public:
  static constexpr double periodMs = 1000.0 / 60.0;
  // Frame times jitter by a fraction of a millisecond: a frame that comes
  // this much short of a period still counts as one.
  static constexpr double slackMs = 2.0;
  // After a stall this long (a hidden page, a debugger) the schedule starts
  // afresh instead of rushing the frames it missed.
  static constexpr double lateLimitMs = 3 * periodMs;

  // An animation frame came at `nowMs` (its timestamp). True when the game
  // frame waiting for it is due.
  bool due(double nowMs) {
    if (!started_) {
      started_ = true;
      last_ = nowMs;
      accumulated_ = 0.0;
      return true;
    }
    const double elapsed = nowMs - last_;
    last_ = nowMs;
    if (elapsed > 0) accumulated_ += elapsed;
    if (accumulated_ > lateLimitMs) {
      accumulated_ = 0.0;
      return true;
    }
    if (accumulated_ < periodMs - slackMs) return false;
    accumulated_ -= periodMs;
    return true;
  }

 private:
  bool started_ = false;
  double last_ = 0.0;
  double accumulated_ = 0.0;
};

}  // namespace platform::web
