// SDL's scan codes in DirectInput's key numbering (DIK_ codes, in
// platform/KeyNumbers.h): the keyboard snapshot the game reads is indexed by
// these.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/KeyNumbers.h"

namespace platform {

struct KeyMapping {
  SDL_Scancode scancode;
  std::uint8_t dik;
};

// Every key of a standard keyboard that SDL reports, with its DIK_ code.
extern const KeyMapping keyTable[];
extern const int keyTableSize;

// The DIK_ code of an SDL scan code; 0 for a key the table does not know.
std::uint8_t dikFromScancode(SDL_Scancode scancode);

// The DIK_ code of a Linux input key code (the numbering of evdev, which an
// X server that uses evdev keycodes shows 8 higher); 0 for a key of no
// standard keyboard. The first 88 are the PC scan codes themselves.
std::uint8_t dikFromEvdev(int code);

// Fills a 256-byte snapshot from SDL's key state array (as
// SDL_GetKeyboardState gives it): 0x80 for each key down, 0 for the rest.
void fillKeyboardSnapshot(const Uint8* sdlKeys, int sdlKeyCount,
                          std::uint8_t* snapshot);

}  // namespace platform
