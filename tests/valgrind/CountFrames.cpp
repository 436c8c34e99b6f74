// Preloaded into the game under valgrind: counts the pictures SDL presents
// and keeps the count in the file named by FUSEBOUND_FRAME_COUNT_FILE, so
// that the script driving the game can wait for frames rather than for
// time (under valgrind a frame takes many times as long as it should).
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

using Present = void (*)(SDL_Renderer*);

int countFile() {
  static int file = [] {
    const char* path = std::getenv("FUSEBOUND_FRAME_COUNT_FILE");
    return path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644)
                           : -1;
  }();
  return file;
}

}  // namespace

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  static const auto real =
      reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  static unsigned long presented = 0;
  real(renderer);
  ++presented;
  if (countFile() >= 0) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%lu\n", presented);
    if (pwrite(countFile(), text, static_cast<size_t>(length), 0) != length)
      return;
  }
}
