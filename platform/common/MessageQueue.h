// The window messages waiting for the game, oldest first, as a side keeps
// them between the system's events and the game's message pump. The game
// takes one per frame and only the few messages it knows ever get here, so a
// few dozen places are plenty; repaint requests are merged while one waits.
#pragma once

#include "platform/Platform.h"

namespace platform::common {

class MessageQueue {
 public:
  static constexpr int size = 64;

  // Adds `message` at the end; a second waiting WM_PAINT is merged into the
  // first, and a message that finds the queue full is lost.
  void push(const MSG& message);
  // Takes the oldest message; only when !empty().
  MSG pop();
  bool empty() const { return count_ == 0; }
  // True when a request to end the program (WM_CLOSE, WM_DESTROY, WM_QUIT)
  // is waiting; removes nothing.
  bool quitWaiting() const;

 private:
  MSG messages_[size]{};
  int head_ = 0;
  int count_ = 0;
  bool paintWaiting_ = false;
};

// Hands `message` to the game's window procedure, when it is for the game's
// window `window` and that window is still there.
inline LRESULT dispatchTo(WindowProc procedure, Handle window, bool destroyed,
                          const MSG& message) {
  if (procedure == nullptr || message.hwnd != window || destroyed) return 0;
  return procedure(message.hwnd, message.message, message.wParam,
                   message.lParam);
}

}  // namespace platform::common
