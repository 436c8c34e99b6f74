// What the parts of the Windows side share about the game's one window and
// its display. Only platform/win32/ includes this.
#pragma once

// The game's names (WM_PAINT, MB_OK, ...) come first: windows.h defines the
// same names as macros of the same values, which would spoil the game's
// declarations if it came before them.
#include "platform/Platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The multimedia API (timers, joysticks, wave output), after windows.h.
#include <mmsystem.h>

#include <cstdint>

namespace platform::win32 {

// The game's window, or nullptr before it is created (or if that failed).
HWND window();
bool windowFullScreen();
// True once the window was destroyed: drawing and presenting stop.
bool windowDestroyed();
// True while the game's window has the keyboard focus.
bool windowHasFocus();

// The repaint state: a repaint request taken off the queue makes the window
// invalid until the painting that answers it ends.
bool windowInvalid();
void validateWindow();

// Shows the last picture again, with `text` (may be nullptr) written at
// (x, y) of the 320 by 240 picture in `colour` (0xBBGGRR).
void redrawLastFrame(const char* text, int length, int x, int y,
                     std::uint32_t colour);

// Key messages of the game's window: the keyboard keeps its state from them.
void keyMessage(UINT message, LPARAM lParam);
// The window lost the focus: every key counts as up.
void forgetKeys();
// Lets the key messages waiting in the queue reach the keyboard, leaving the
// others where they are.
void takeKeyMessages();

// Nanoseconds of the high-resolution counter, the clock frame pacing runs
// on, and a sleep until it reaches `deadline`.
std::int64_t nowNanoseconds();
void sleepUntil(std::int64_t deadline);

}  // namespace platform::win32
