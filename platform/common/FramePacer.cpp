#include "platform/common/FramePacer.h"

namespace platform::common {

std::int64_t FramePacer::schedule(std::int64_t now) {
  if (!started_ || now - (start_ + offset(frames_)) > offset(lateLimit)) {
    started_ = true;
    start_ = now;
    frames_ = 0;
  }
  // Deadlines are counted from one start, so rounding never accumulates.
  return start_ + offset(frames_++);
}

bool FramePacer::presented(std::int64_t now) {
  if (!vsync_) return false;
  if (lastPresent_ != 0 && now - lastPresent_ < offset(1) * 3 / 4) {
    if (++fastPresents_ >= fastLimit) vsync_ = false;
  } else {
    fastPresents_ = 0;
  }
  lastPresent_ = now;
  return vsync_;
}

}  // namespace platform::common
