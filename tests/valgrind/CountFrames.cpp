// Preloaded into the game under valgrind: counts the game's frames and keeps
// the count in the file named by FUSEBOUND_FRAME_COUNT_FILE, so that the
// script driving the game can wait for frames rather than for time (under
// valgrind a frame takes many times as long as it should). A frame that
// shows the picture on screen already is not presented again, but every
// frame either presents or waits for its deadline (an absolute sleep on the
// monotonic clock), so the count is the larger of the two.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

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

unsigned long presented = 0;
unsigned long paced = 0;

void writeCount() {
  if (countFile() < 0) return;
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%lu\n",
                                   presented > paced ? presented : paced);
  if (pwrite(countFile(), text, static_cast<size_t>(length), 0) != length)
    return;
}

}  // namespace

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  static const auto real =
      reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  real(renderer);
  ++presented;
  writeCount();
}

extern "C" int clock_nanosleep(clockid_t clock, int flags,
                               const timespec* request, timespec* remain) {
  using Sleep = int (*)(clockid_t, int, const timespec*, timespec*);
  static const auto real =
      reinterpret_cast<Sleep>(dlsym(RTLD_NEXT, "clock_nanosleep"));
  if (clock == CLOCK_MONOTONIC && (flags & TIMER_ABSTIME) != 0) {
    ++paced;
    writeCount();
  }
  return real(clock, flags, request, remain);
}
