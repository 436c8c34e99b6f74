// The game's window on SDL2 and its message queue: SDL's events become the
// few window messages the game knows, one at a time.
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/Platform.h"
#include "platform/common/MessageQueue.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {
namespace {

constexpr Handle windowHandle = 1;

// How long creating the window waits for it to be shown with the focus.
constexpr std::uint32_t focusWaitMs = 2000;

WindowProc windowProcedure = nullptr;
SDL_Window* gameWindow = nullptr;
bool fullScreen = false;
bool destroyed = false;
bool invalid = false;

// Messages waiting to be taken, oldest first.
common::MessageQueue queue;

// While createWindow waits, the focus is given to the window procedure at
// once, as a new active window receives it before its creation returns.
bool focusDeliveredNow = false;
bool focusGained = false;

void push(Handle window, std::uint32_t message, WPARAM wParam = 0,
          LPARAM lParam = 0) {
  queue.push({window, message, wParam, lParam});
}

MSG pop() {
  const MSG message = queue.pop();
  if (message.message == WM_PAINT) invalid = true;
  return message;
}

// Mouse, keys, text input, touch, gestures and drops never become messages:
// SDL drops them before they reach its queue, so however busy the player's
// hands are, the queue holds only what the game takes. SDL still updates its
// keyboard state for each key before it drops the event.
void stopUnneededEvents() {
  static constexpr std::uint32_t unneeded[] = {
      SDL_KEYDOWN,       SDL_KEYUP,           SDL_TEXTEDITING,
      SDL_TEXTINPUT,     SDL_KEYMAPCHANGED,   SDL_TEXTEDITING_EXT,
      SDL_MOUSEMOTION,   SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
      SDL_MOUSEWHEEL,    SDL_FINGERDOWN,      SDL_FINGERUP,
      SDL_FINGERMOTION,  SDL_DOLLARGESTURE,   SDL_DOLLARRECORD,
      SDL_MULTIGESTURE,  SDL_CLIPBOARDUPDATE, SDL_DROPFILE,
      SDL_DROPTEXT,      SDL_DROPBEGIN,       SDL_DROPCOMPLETE,
      SDL_SYSWMEVENT,    SDL_DISPLAYEVENT,    SDL_SENSORUPDATE,
      SDL_LOCALECHANGED,
  };
  for (std::uint32_t type : unneeded) SDL_EventState(type, SDL_IGNORE);
  SDL_StopTextInput();
}

void translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:  // also what SIGINT and SIGTERM become
      push(0, WM_QUIT);
      return;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      sdl::markDisplayLost();
      return;
    case SDL_WINDOWEVENT:
      break;
    default:
      return;
  }
  if (gameWindow == nullptr || destroyed ||
      event.window.windowID != SDL_GetWindowID(gameWindow))
    return;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      if (focusDeliveredNow) {
        focusGained = true;
        if (windowProcedure) windowProcedure(windowHandle, WM_SETFOCUS, 0, 0);
      } else {
        push(windowHandle, WM_SETFOCUS);
      }
      return;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      push(windowHandle, WM_KILLFOCUS);
      // Nothing else would make an X11 window repaint now, and the pause
      // message has to appear.
      push(windowHandle, WM_PAINT);
      return;
    case SDL_WINDOWEVENT_EXPOSED:
      sdl::markScreenStale();
      push(windowHandle, WM_PAINT);
      return;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      // The window system may not have kept what the window showed.
      sdl::markScreenStale();
      return;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      sdl::markScreenStale();
      const LPARAM size =
          (event.window.data1 & 0xFFFF) | ((event.window.data2 & 0xFFFF) << 16);
      push(windowHandle, WM_SIZE, 0, size);
      return;
    }
    case SDL_WINDOWEVENT_CLOSE:
      push(windowHandle, WM_CLOSE);
      return;
    default:
      return;
  }
}

// The whole factor a new window's client area of width by height is
// enlarged by: the largest that keeps it within three quarters of the first
// display's work area (the desktop less panels and docks), at least 1.
int windowedScale(int width, int height) {
  SDL_Rect area{};
  if (width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &area) != 0)
    return 1;
  return std::max(1, std::min(area.w * 3 / 4 / width, area.h * 3 / 4 / height));
}

// Turns waiting SDL events into messages until one is queued or none is
// left.
void pollEvents() {
  SDL_Event event;
  while (queue.empty() && SDL_PollEvent(&event)) translate(event);
}

}  // namespace

namespace sdl {
SDL_Window* window() { return gameWindow; }
bool windowHasKeyboardFocus() {
  return gameWindow != nullptr && !destroyed &&
         SDL_GetKeyboardFocus() == gameWindow;
}
bool windowDestroyed() { return destroyed; }
bool windowFullScreen() { return fullScreen; }
bool windowInvalid() { return invalid; }
void validateWindow() { invalid = false; }

std::int64_t nowNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void sleepUntil(std::int64_t deadline) {
  timespec until{};
  until.tv_sec = static_cast<time_t>(deadline / 1'000'000'000);
  until.tv_nsec = static_cast<long>(deadline % 1'000'000'000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) ==
         EINTR) {
  }
}
}  // namespace sdl

void registerClass(const WindowClass& windowClass) {
  windowProcedure = windowClass.windowProc;
}

Handle createWindow(const char* className, const char* caption, std::uint32_t,
                    int clientWidth, int clientHeight, bool fullScreenWindow,
                    Handle) {
  if (gameWindow != nullptr) return windowHandle;  // the game has one window

  // The X11 class of the window (WM_CLASS), which SDL reads from its
  // environment when it creates the window.
  if (className != nullptr) SDL_setenv("SDL_VIDEO_X11_WMCLASS", className, 1);
  // A full-screen window that loses the focus stays where it is and shows the
  // pause message; it is not minimised.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Fusebound: no display: %s\n", SDL_GetError());
    return 0;
  }
  stopUnneededEvents();

  int x = SDL_WINDOWPOS_UNDEFINED, y = SDL_WINDOWPOS_UNDEFINED;
  int width = clientWidth, height = clientHeight;
  std::uint32_t flags = SDL_WINDOW_SHOWN;
  SDL_DisplayMode desktop{};
  if (fullScreenWindow && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    // Borderless over the whole desktop: no mode switch, and the same
    // picture with or without a window manager to honour the request.
    x = y = 0;
    width = desktop.w;
    height = desktop.h;
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
  } else {
    fullScreenWindow = false;
    flags |= SDL_WINDOW_RESIZABLE;
    // The client area the game asks for, enlarged by the largest whole
    // factor that leaves it within three quarters of the desktop's work
    // area, and centred on it: 320 by 240 pixels alone would be a postage
    // stamp on today's screens. The display scales the picture to match.
    const int scale = windowedScale(clientWidth, clientHeight);
    width = clientWidth * scale;
    height = clientHeight * scale;
    x = y = SDL_WINDOWPOS_CENTERED;
  }
  gameWindow = SDL_CreateWindow(caption, x, y, width, height, flags);
  if (gameWindow == nullptr) {
    std::fprintf(stderr, "Fusebound: no window: %s\n", SDL_GetError());
    return 0;
  }
  // Never smaller than the picture itself.
  if (!fullScreenWindow)
    SDL_SetWindowMinimumSize(gameWindow, clientWidth, clientHeight);
  fullScreen = fullScreenWindow;
  if (windowProcedure) windowProcedure(windowHandle, WM_CREATE, 0, 0);

  // The window system shows the window and gives it the focus a little
  // later; wait for that (bounded), so that the devices opened next find an
  // active window, as they would on a system that activates it at once.
  focusDeliveredNow = true;
  const std::uint32_t start = SDL_GetTicks();
  while (!focusGained) {
    const std::uint32_t waited = SDL_GetTicks() - start;
    if (waited >= focusWaitMs) break;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(focusWaitMs - waited)))
      translate(event);
  }
  focusDeliveredNow = false;
  return windowHandle;
}

void getWindowRect(Handle, Rect* rect) {
  if (gameWindow == nullptr) {
    *rect = {0, 0, 0, 0};
    return;
  }
  int x = 0, y = 0, width = 0, height = 0;
  int top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(gameWindow, &x, &y);
  SDL_GetWindowSize(gameWindow, &width, &height);
  SDL_GetWindowBordersSize(gameWindow, &top, &left, &bottom, &right);
  *rect = {x - left, y - top, x + width + right, y + height + bottom};
}

void adjustWindowRect(Rect* rect, std::uint32_t) {
  if (gameWindow == nullptr) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowBordersSize(gameWindow, &top, &left, &bottom, &right);
  rect->left -= left;
  rect->top -= top;
  rect->right += right;
  rect->bottom += bottom;
}

void showCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

bool peekMessage(MSG* message) {
  if (queue.empty() && gameWindow != nullptr) pollEvents();
  if (queue.empty()) return false;
  *message = pop();
  return true;
}

bool waitMessage(int timeoutMs) {
  if (queue.empty() && gameWindow != nullptr) pollEvents();
  if (!queue.empty()) return true;
  if (gameWindow == nullptr) {
    SDL_Delay(static_cast<std::uint32_t>(timeoutMs));
    return false;
  }
  const std::uint32_t start = SDL_GetTicks();
  for (;;) {
    const std::uint32_t waited = SDL_GetTicks() - start;
    if (waited >= static_cast<std::uint32_t>(timeoutMs)) return false;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, timeoutMs - static_cast<int>(waited))) {
      translate(event);
      if (!queue.empty()) return true;
    }
  }
}

bool quitPending() {
  if (queue.quitWaiting()) return true;
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
  // Pumping turns a caught SIGINT or SIGTERM into SDL_QUIT.
  SDL_PumpEvents();
  if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0)
    return true;
  if (gameWindow == nullptr || destroyed) return false;
  static SDL_Event pending[common::MessageQueue::size];
  const int count =
      SDL_PeepEvents(pending, common::MessageQueue::size, SDL_PEEKEVENT,
                     SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  const std::uint32_t id = SDL_GetWindowID(gameWindow);
  for (int i = 0; i < count; ++i)
    if (pending[i].window.event == SDL_WINDOWEVENT_CLOSE &&
        pending[i].window.windowID == id)
      return true;
  return false;
}

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
  return common::dispatchTo(windowProcedure, windowHandle, destroyed, message);
}

LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM, LPARAM) {
  if (message == WM_CLOSE && !destroyed && window == windowHandle) {
    // Destroying the window: it disappears and its procedure hears of it.
    // The SDL window stays (hidden) so that drawing into it stays harmless.
    destroyed = true;
    if (gameWindow != nullptr) SDL_HideWindow(gameWindow);
    if (windowProcedure) windowProcedure(window, WM_DESTROY, 0, 0);
  }
  return 0;
}

void postMessage(Handle window, std::uint32_t message, WPARAM wParam,
                 LPARAM lParam) {
  push(window, message, wParam, lParam);
}

std::uint32_t getTickCount() {
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
    clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(now.tv_sec) * 1000u +
      static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u);
}

}  // namespace platform
