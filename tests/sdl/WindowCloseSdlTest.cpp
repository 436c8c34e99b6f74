// The window's close button on the real SDL layer: it reaches the game as a
// close message for its window, which the window procedure answers by
// destroying the window. SDL also sends its own quit event once the last
// window is closed, which would end the game as well, so only this test
// tells a lost close message apart.
#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/sdl/SdlWindow.h"

namespace {

using namespace platform;

LRESULT ignoreMessages(Handle, std::uint32_t, WPARAM, LPARAM) { return 0; }

TEST(SdlWindowClose, TheCloseButtonArrivesAsACloseMessageForTheWindow) {
  registerClass({0, ignoreMessages, 0, 0, "WINXCLASS"});
  const Handle window =
      createWindow("WINXCLASS", "close test", 0, 320, 240, false, 1);
  ASSERT_NE(window, 0u);
  ASSERT_NE(sdl::window(), nullptr);
  MSG message{};
  while (peekMessage(&message)) {
  }

  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(sdl::window());
  ASSERT_EQ(SDL_PushEvent(&close), 1);

  bool closed = false;
  while (peekMessage(&message))
    if (message.message == WM_CLOSE && message.hwnd == window) closed = true;
  EXPECT_TRUE(closed);
}

}  // namespace
