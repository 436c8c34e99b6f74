#include "platform/common/MessageQueue.h"

namespace platform::common {

void MessageQueue::push(const MSG& message) {
  if (message.message == WM_PAINT && paintWaiting_) return;
  if (count_ == size) return;
  if (message.message == WM_PAINT) paintWaiting_ = true;
  messages_[(head_ + count_) % size] = message;
  ++count_;
}

MSG MessageQueue::pop() {
  const MSG message = messages_[head_];
  head_ = (head_ + 1) % size;
  --count_;
  if (message.message == WM_PAINT) paintWaiting_ = false;
  return message;
}

bool MessageQueue::quitWaiting() const {
  for (int i = 0; i < count_; ++i) {
    const std::uint32_t message = messages_[(head_ + i) % size].message;
    if (message == WM_CLOSE || message == WM_DESTROY || message == WM_QUIT)
      return true;
  }
  return false;
}

}  // namespace platform::common
