// The 320 by 240 pictures of a flip chain kept in memory, as every real side
// keeps them, and the system-memory surfaces the game draws into.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace platform::common {

// The handle every real side gives its one DirectDraw object.
constexpr Handle directDrawHandle = 1;

constexpr int pictureWidth = 320;
constexpr int pictureHeight = 240;
constexpr int picturePixels = pictureWidth * pictureHeight;

// Copies `source` (rows of `pitch` pixels) into a 320 by 240 picture at
// `destination`, cut to the picture.
void copyInto(std::uint16_t* picture, const Rect& destination,
              const std::uint16_t* pixels, int pitch, const Rect& source);

}  // namespace platform::common
