// Candidate blit kernels, measured beside the game's own (video/Surfaces.cpp)
// on the same surfaces and arenas, and checked to draw exactly the same
// frame. What they try, one step at a time:
//   rows:   the key and both row lengths kept in locals, a 16-pixel row (every
//           tile and sprite) in fixed-size steps (what the game's blits do
//           now; kept here as the base of the next two);
//   opaque: a keyed blit of a picture with no transparent pixel is a copy
//           (floor, walls and pillars have none), known from one look at
//           the picture when it is unlocked;
//   avx2:   the same, compiled a second time for processors with AVX2 and
//           chosen at load time.
// (Looking at each row first and storing rows without a transparent pixel
// as they are was tried too: the branches cost more than the blend.)
#pragma once

#include <cstdint>

struct Surface;

namespace bench {

// A surface as the proposal would have it: the game's record plus what the
// unlock learnt about its picture.
struct Picture {
  std::uint16_t* pixels;
  std::int32_t width;
  std::int32_t height;
  bool hasKey;
  std::uint16_t keyColour;
  bool keyUnused;  // no pixel holds the key: a keyed blit is a copy
};

enum class Kernel { rows, opaque, rowsAvx2, opaqueAvx2 };
inline constexpr int kernelCount = 4;
const char* kernelName(Kernel k);

// What the "opaque" step learns at unlock: whether the picture holds its
// colour key anywhere. Worked out for every surface of the game at start.
void notePictures();

const Picture* tilePicture(int index);
const Picture* framePicture(int index);
const Picture* statusBarPicture();

void blitKeyed(Kernel k, int width, int height, int x, int y,
               const Picture* source);
void blitOpaque(Kernel k, int width, int height, int x, int y,
                const Picture* source);

// drawLayout, drawCells, drawStatusBar and Player::draw over these kernels.
void drawLayers(Kernel k);

}  // namespace bench
