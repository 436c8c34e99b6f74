// Paces presentation to a 60 Hz display. Where the display really waits for
// a 60 Hz refresh (vsync), each present waits for it; elsewhere (no vsync,
// as under a virtual X server, or a 120 to 240 Hz screen) frames are shown
// on a 60 Hz clock of absolute deadlines, so the rate does not drift. Times
// are nanoseconds of a monotonic clock each side reads and sleeps on itself.
#pragma once

#include <cstdint>

namespace platform::common {

class FramePacer {
 public:
  static constexpr std::int64_t second = 1'000'000'000;
  static constexpr int rate = 60;
  // A frame this many periods late starts a fresh schedule instead of
  // rushing the frames it missed.
  static constexpr int lateLimit = 3;
  // This many presents in a row returning well within one period mean the
  // display does not wait for its refresh after all.
  static constexpr int fastLimit = 8;

  explicit FramePacer(bool vsync = false) : vsync_(vsync) {}

  bool vsync() const { return vsync_; }

  // Clock pacing: the time (monotonic nanoseconds) at which the next frame
  // is due, given the time now; never earlier than a past deadline allows.
  std::int64_t schedule(std::int64_t now);

  // Clock pacing for a display that shows a frame as soon as it is handed
  // over: a frame was shown at `now`; the time at which the next is due,
  // until which the display is taken. A frame shown late by up to
  // `lateLimit` periods leaves the next one due on the old rhythm.
  std::int64_t shown(std::int64_t now) {
    schedule(now);
    return start_ + offset(frames_);
  }

  // Vsync pacing: a present returned at `now`. False (and clock pacing from
  // then on) once the presents are found not to wait.
  bool presented(std::int64_t now);

 private:
  static std::int64_t offset(std::int64_t frames) {
    return frames * second / rate;
  }

  bool vsync_;
  bool started_ = false;
  std::int64_t start_ = 0;
  std::int64_t frames_ = 0;
  std::int64_t lastPresent_ = 0;
  int fastPresents_ = 0;
};

}  // namespace platform::common
