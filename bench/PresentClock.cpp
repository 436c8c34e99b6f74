// A measuring tool, loaded into the real game with LD_PRELOAD: it notes the
// monotonic time at which every SDL_RenderPresent call starts and returns,
// and when the first calls of the start-up (SDL's subsystems, the window,
// the renderer, the texture, the audio device, event waits) start and
// return. When the process ends it writes them to the file named by
// FUSEBOUND_PRESENT_LOG, in nanoseconds:
//   launch <time the library was loaded>
//   call <name> <argument> <start> <return>     (the first 256 calls)
//   present <start> <return>                    (every present)
//   wake <return>            (every absolute sleep on the monotonic clock:
//                             the end of each frame's wait for its deadline)
// The game itself knows nothing of it.
#include <dlfcn.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

struct SDL_Renderer;
struct SDL_Window;
struct SDL_Texture;
struct SDL_AudioSpec;
union SDL_Event;

namespace {

constexpr int presentCapacity = 1 << 17;  // about 36 minutes at 60 a second
std::int64_t presentStart[presentCapacity];
std::int64_t presentReturn[presentCapacity];
int presents = 0;
std::int64_t wakes[presentCapacity];
int wakeCount = 0;

struct Call {
  const char* name;
  long long argument;
  std::int64_t start, end;
};
constexpr int callCapacity = 256;
Call calls[callCapacity];
int callCount = 0;

std::int64_t loaded = 0;

std::int64_t now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void note(const char* name, long long argument, std::int64_t start) {
  if (callCount < callCapacity)
    calls[callCount++] = {name, argument, start, now()};
}

template <class F>
F real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void onLoad() { loaded = now(); }

__attribute__((destructor)) void onExit() {
  const char* path = std::getenv("FUSEBOUND_PRESENT_LOG");
  if (path == nullptr) return;
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) return;
  std::fprintf(file, "launch %lld\n", static_cast<long long>(loaded));
  for (int i = 0; i < callCount; ++i)
    std::fprintf(file, "call %s %lld %lld %lld\n", calls[i].name,
                 calls[i].argument, static_cast<long long>(calls[i].start),
                 static_cast<long long>(calls[i].end));
  for (int i = 0; i < presents; ++i)
    std::fprintf(file, "present %lld %lld\n",
                 static_cast<long long>(presentStart[i]),
                 static_cast<long long>(presentReturn[i]));
  for (int i = 0; i < wakeCount; ++i)
    std::fprintf(file, "wake %lld\n", static_cast<long long>(wakes[i]));
  std::fclose(file);
}

}  // namespace

extern "C" {

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static const auto f = real<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  const std::int64_t start = now();
  f(renderer);
  if (presents < presentCapacity) {
    presentStart[presents] = start;
    presentReturn[presents] = now();
    ++presents;
  }
}

// A picture equal to the one on screen is not presented again, so the
// game's frames are timed where each one's wait for its deadline ends.
int clock_nanosleep(clockid_t clock, int flags, const timespec* request,
                    timespec* remain) {
  static const auto f =
      real<int (*)(clockid_t, int, const timespec*, timespec*)>(
          "clock_nanosleep");
  const int result = f(clock, flags, request, remain);
  if (clock == CLOCK_MONOTONIC && (flags & TIMER_ABSTIME) != 0 &&
      wakeCount < presentCapacity)
    wakes[wakeCount++] = now();
  return result;
}

int SDL_Init(std::uint32_t flags) {
  static const auto f = real<int (*)(std::uint32_t)>("SDL_Init");
  const std::int64_t start = now();
  const int result = f(flags);
  note("SDL_Init", flags, start);
  return result;
}

int SDL_InitSubSystem(std::uint32_t flags) {
  static const auto f = real<int (*)(std::uint32_t)>("SDL_InitSubSystem");
  const std::int64_t start = now();
  const int result = f(flags);
  note("SDL_InitSubSystem", flags, start);
  return result;
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h,
                             std::uint32_t flags) {
  static const auto f =
      real<SDL_Window* (*)(const char*, int, int, int, int, std::uint32_t)>(
          "SDL_CreateWindow");
  const std::int64_t start = now();
  SDL_Window* result = f(title, x, y, w, h, flags);
  note("SDL_CreateWindow", flags, start);
  return result;
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index,
                                 std::uint32_t flags) {
  static const auto f =
      real<SDL_Renderer* (*)(SDL_Window*, int, std::uint32_t)>(
          "SDL_CreateRenderer");
  const std::int64_t start = now();
  SDL_Renderer* result = f(window, index, flags);
  note("SDL_CreateRenderer", flags, start);
  return result;
}

SDL_Texture* SDL_CreateTexture(SDL_Renderer* renderer, std::uint32_t format,
                               int access, int w, int h) {
  static const auto f =
      real<SDL_Texture* (*)(SDL_Renderer*, std::uint32_t, int, int, int)>(
          "SDL_CreateTexture");
  const std::int64_t start = now();
  SDL_Texture* result = f(renderer, format, access, w, h);
  note("SDL_CreateTexture", format, start);
  return result;
}

std::uint32_t SDL_OpenAudioDevice(const char* device, int capture,
                                  const SDL_AudioSpec* wanted,
                                  SDL_AudioSpec* obtained, int changes) {
  static const auto f =
      real<std::uint32_t (*)(const char*, int, const SDL_AudioSpec*,
                             SDL_AudioSpec*, int)>("SDL_OpenAudioDevice");
  const std::int64_t start = now();
  const std::uint32_t result = f(device, capture, wanted, obtained, changes);
  note("SDL_OpenAudioDevice", result, start);
  return result;
}

int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
  static const auto f = real<int (*)(SDL_Event*, int)>("SDL_WaitEventTimeout");
  const std::int64_t start = now();
  const int result = f(event, timeout);
  note("SDL_WaitEventTimeout", timeout, start);
  return result;
}

}  // extern "C"
