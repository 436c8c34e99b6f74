// Message boxes: SDL's simple box with no owner window, or standard error
// where no box can be shown (no display at all).
#include <cstdio>

#include "platform/Platform.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {

int messageBox(const char* text, const char* caption, std::uint32_t) {
  // Every box the game shows ends it. A window covering the desktop could
  // hide the box and leave the player facing a frozen picture, so it goes
  // out of the way first.
  if (sdl::window() != nullptr && sdl::windowFullScreen())
    SDL_HideWindow(sdl::window());
  if (SDL_ShowSimpleMessageBox(0, caption, text, nullptr) == 0) return 1;
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return 0;
}

}  // namespace platform
