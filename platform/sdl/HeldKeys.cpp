#include "platform/sdl/HeldKeys.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstring>

#include "platform/sdl/KeyTable.h"
#include "platform/sdl/SdlWindow.h"

#if defined(SDL_VIDEO_DRIVER_X11)
// Last: Xlib's macros would clash with the names above.
#include <X11/keysym.h>
#endif

namespace platform::sdl {
namespace {

std::uint8_t held[256] = {};
bool anyHeld = false;

#if defined(SDL_VIDEO_DRIVER_X11)

// The X display of the game's window, or nullptr when it is not on X11.
Display* xDisplay() {
  SDL_Window* gameWindow = window();
  if (gameWindow == nullptr) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(gameWindow, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11)
    return nullptr;
  return info.info.x11.display;
}

// Whether the server's key codes are evdev's plus 8, tried on keys whose
// place does not depend on the layout.
bool evdevKeycodes(Display* display) {
  static constexpr struct {
    KeySym symbol;
    int evdev;
  } probes[] = {{XK_Escape, 1},  {XK_Return, 28}, {XK_Up, 103},
                {XK_Left, 105},  {XK_Right, 106}, {XK_Down, 108},
                {XK_Delete, 111}};
  for (const auto& probe : probes)
    if (XKeysymToKeycode(display, probe.symbol) != probe.evdev + 8)
      return false;
  return true;
}

// The keys the server has down, as a snapshot; false when it cannot tell.
bool serverKeys(std::uint8_t* keys) {
  Display* display = xDisplay();
  if (display == nullptr || !evdevKeycodes(display)) return false;
  char keymap[32] = {};
  XQueryKeymap(display, keymap);
  std::memset(keys, 0, 256);
  for (int keycode = 8; keycode < 256; ++keycode)
    if ((keymap[keycode / 8] >> (keycode % 8)) & 1)
      if (const std::uint8_t dik = dikFromEvdev(keycode - 8)) keys[dik] = 0x80;
  return true;
}

#else

bool serverKeys(std::uint8_t*) { return false; }

#endif

}  // namespace

void takeHeldKeys() {
  anyHeld = false;
  if (!serverKeys(held)) {
    std::memset(held, 0, sizeof held);
    return;
  }
  for (std::uint8_t key : held) anyHeld |= key != 0;
}

void addHeldKeys(std::uint8_t* snapshot) {
  if (!anyHeld) return;
  std::uint8_t now[256];
  if (!serverKeys(now)) std::memset(now, 0, sizeof now);
  anyHeld = false;
  for (int key = 0; key < 256; ++key) {
    if (held[key] == 0) continue;
    if (snapshot[key] != 0 || now[key] == 0) {
      held[key] = 0;  // SDL's state has it, or it is up again
      continue;
    }
    snapshot[key] = 0x80;
    anyHeld = true;
  }
}

}  // namespace platform::sdl
