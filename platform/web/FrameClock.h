// Paces the game to 60 frames a second on the browser's animation frames,
// whatever the screen's refresh rate. Each animation frame adds the time
// since the one before to an accumulator; every whole period (less a little
// slack for the jitter of the frame times) gathered there is one game frame
// due, and takes exactly one period away. On a 60 Hz screen every animation
// frame has one game frame due; at 120 Hz every second one; at 144 Hz two
// or three in turn. On slower screens some animation frames have two due
// (every one at 30 Hz, every third at 45 Hz, every fifth at 50 Hz): the
// game plays both and shows the last. The remainder is kept, so the rate
// never drifts.
#pragma once

namespace platform::web {

class FrameClock {
 public:
  static constexpr double periodMs = 1000.0 / 60.0;
  // Frame times jitter by a fraction of a millisecond: a frame that comes
  // this much short of a period still counts as one.
  static constexpr double slackMs = 2.0;
  // After a stall this long (a hidden page, a debugger) the schedule starts
  // afresh with one frame instead of rushing the frames it missed.
  static constexpr double lateLimitMs = 3 * periodMs;

  // An animation frame came at `nowMs` (its timestamp). How many game
  // frames are due on it: 0 when the game waits for a later one.
  int due(double nowMs) {
    if (!started_) {
      started_ = true;
      last_ = nowMs;
      accumulated_ = 0.0;
      return 1;
    }
    const double elapsed = nowMs - last_;
    last_ = nowMs;
    if (elapsed > 0) accumulated_ += elapsed;
    if (accumulated_ > lateLimitMs) {
      accumulated_ = 0.0;
      return 1;
    }
    int frames = 0;
    for (; accumulated_ >= periodMs - slackMs; ++frames)
      accumulated_ -= periodMs;
    return frames;
  }

 private:
  bool started_ = false;
  double last_ = 0.0;
  double accumulated_ = 0.0;
};

}  // namespace platform::web
