// The yardstick for start-up: the least an SDL2 program does to show a
// 320 by 240 picture the way the game does (a borderless window over the
// desktop, a renderer, one streaming RGB565 texture scaled by a whole
// factor). It shows one flat picture and waits to be closed (Escape, or
// SIGTERM). With --60hz it uploads and shows the picture 60 times a second
// instead, as the game does, to measure what presentation alone costs: each
// pass takes the waiting events, shows the picture and waits for the next
// 60 Hz deadline, as the game's display layer does. A key going down or the
// focus moving away changes the picture's colour, for the shortest delay from
// a key to the screen that this shape allows. With --windowed the window is
// 320 by 240 and the picture is shown 1:1 (the game's window scales it by
// whole steps, which costs the software renderer more per frame).
#include <SDL.h>
#include <time.h>

#include <cstdint>
#include <cstring>

int main(int argc, char** argv) {
  bool everyFrame = false, windowed = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--60hz") == 0) everyFrame = true;
    if (std::strcmp(argv[i], "--windowed") == 0) windowed = true;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
  SDL_Window* window =
      windowed
          ? SDL_CreateWindow("minimal", SDL_WINDOWPOS_UNDEFINED,
                             SDL_WINDOWPOS_UNDEFINED, 320, 240,
                             SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE)
          : SDL_CreateWindow("minimal", 0, 0, desktop.w, desktop.h,
                             SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP |
                                 SDL_WINDOW_BORDERLESS);
  if (window == nullptr) return 1;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  if (renderer == nullptr) return 1;
  if (!windowed) {
    SDL_RenderSetLogicalSize(renderer, 320, 240);
    SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
  }
  SDL_Texture* texture = SDL_CreateTexture(
      renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 320, 240);
  if (texture == nullptr) return 1;

  static std::uint16_t picture[320 * 240];
  const auto paint = [](std::uint16_t colour) {
    for (std::uint16_t& pixel : picture) pixel = colour;
  };
  paint(0x4A69);  // a flat grey
  const SDL_Rect place{0, 0, 320, 240};
  const auto show = [&] {
    SDL_UpdateTexture(texture, nullptr, picture, 320 * 2);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, windowed ? &place : nullptr);
    SDL_RenderPresent(renderer);
  };
  show();

  SDL_Event event;
  if (everyFrame) {
    // The 60 Hz clock of absolute deadlines the game's display layer keeps:
    // show at once, then wait until the next frame is due; more than three
    // periods late, start a fresh schedule.
    constexpr std::int64_t second = 1'000'000'000, period = second / 60;
    const auto now = [] {
      timespec t{};
      clock_gettime(CLOCK_MONOTONIC, &t);
      return static_cast<std::int64_t>(t.tv_sec) * second + t.tv_nsec;
    };
    std::int64_t due = now();
    for (;;) {
      while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
          return 0;
        if ((event.type == SDL_KEYDOWN && event.key.repeat == 0) ||
            (event.type == SDL_WINDOWEVENT &&
             event.window.event == SDL_WINDOWEVENT_FOCUS_LOST))
          paint(picture[0] == 0x4A69 ? 0x8C51 : 0x4A69);  // grey and lighter
      }
      show();
      const std::int64_t shown = now();
      if (shown - due > 3 * period) due = shown;
      due += period;
      const timespec until{static_cast<time_t>(due / second),
                           static_cast<long>(due % second)};
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
  }
  while (SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) break;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) break;
    if (event.type == SDL_WINDOWEVENT &&
        event.window.event == SDL_WINDOWEVENT_EXPOSED)
      show();
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
