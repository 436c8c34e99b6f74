// What the parts of the SDL layer share about the game's one window and its
// display. Only platform/sdl/ includes this.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::sdl {

// The game's window, or nullptr before it is created (or if that failed).
SDL_Window* window();

// True while the game's window has the keyboard focus. Keyboard reads are
// only valid then: SDL keeps updating its key state for the window that has
// the focus, so a snapshot taken without it would be stale.
bool windowHasKeyboardFocus();

// True once the window was destroyed (a close request reached the default
// handling). The SDL window itself stays, hidden, so that nothing that still
// draws into it can fail; drawing and presenting simply stop.
bool windowDestroyed();

// True when the window covers the desktop (the full-screen variant).
bool windowFullScreen();

// The repaint state: a repaint request taken off the queue makes the window
// invalid until the painting that answers it ends.
bool windowInvalid();
void validateWindow();

// Called by the event translation when SDL reports that the renderer's
// textures are gone: the display surfaces then report themselves lost.
void markDisplayLost();

// Called by the event translation when the window system may have lost what
// the window showed (exposed, resized, moved, shown again): the next present
// draws the last picture even if it has not changed.
void markScreenStale();

// What the display has done since it started: frames presented, pictures
// uploaded to the texture, and pictures drawn and shown (changed ones, and
// the last one again where the window system or the pause message asked).
struct DisplayCounts {
  std::int64_t presented = 0;
  std::int64_t uploaded = 0;
  std::int64_t drawn = 0;
};
DisplayCounts displayCounts();

// Shows the last presented picture again with `overlay` (may be nullptr)
// drawn at (x, y) of the 320 by 240 picture. Used to paint the pause message.
void redrawLastFrame(SDL_Surface* overlay, int x, int y);

// Monotonic nanoseconds, the clock frame pacing runs on.
std::int64_t nowNanoseconds();

// Sleeps until nowNanoseconds() reaches `deadline`.
void sleepUntil(std::int64_t deadline);

}  // namespace platform::sdl
