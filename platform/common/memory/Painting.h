// Painting on a side whose screen keeps no surfaces (the browser, Windows'
// GDI): the text drawn between beginPaint and endPaint is kept and handed to
// the side when painting ends, which puts it over the last picture its own
// way (Painting.cpp). Each such side answers these three.
#pragma once

#include <cstdint>

namespace platform::memory {

// Whether the window needs repainting (and is still there).
bool paintWanted();
// Shows the last picture with `text` over it.
void showPaintedText(const char* text, int length, int x, int y,
                     std::uint32_t colour);
// The window no longer needs repainting.
void painted();

}  // namespace platform::memory
