#include "platform/common/memory/Painting.h"

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"

namespace platform {
namespace {

constexpr Handle paintDc = 1;

// Painting in progress and the text drawn so far.
bool painting = false;
constexpr int maxText = 128;
char pendingText[maxText];
int pendingLength = 0;
int pendingX = 0, pendingY = 0;
std::uint32_t textColour = 0;

}  // namespace

Handle beginPaint(Handle) {
  painting = memory::paintWanted();
  pendingLength = 0;
  return paintDc;
}

void setBkMode(Handle, int) {}
void setTextColor(Handle, std::uint32_t rgb) { textColour = rgb; }
void setBkColor(Handle, std::uint32_t) {}

void textOut(Handle, int x, int y, const char* text, int length) {
  // Text reaches the screen only where the window needs repainting.
  if (!painting || text == nullptr || length <= 0) return;
  pendingLength = std::min(length, maxText);
  std::memcpy(pendingText, text, static_cast<std::size_t>(pendingLength));
  pendingX = x;
  pendingY = y;
}

void endPaint(Handle, Handle) {
  // A repaint with nothing drawn leaves the picture alone: while the game
  // runs, the next frame covers it anyway.
  if (painting && pendingLength > 0)
    memory::showPaintedText(pendingText, pendingLength, pendingX, pendingY,
                            textColour);
  pendingLength = 0;
  painting = false;
  memory::painted();
}

}  // namespace platform
