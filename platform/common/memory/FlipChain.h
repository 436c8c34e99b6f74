// The display of a side whose screen keeps no surfaces (the browser's
// canvas, Windows' GDI): the DirectDraw object, the primary surface and its
// back buffer are only records, the flip chain is two 320 by 240 pictures in
// memory, and nothing is ever lost. The calls that only check and record,
// and the copies from memory into the back buffer, are made here
// (FlipChain.cpp); each such side makes the DirectDraw object, sets the
// display mode, shows a copy to the windowed primary surface, flips, waits
// for the frame and releases, and shows the pictures its own way.
// The SDL side, whose textures can be lost, keeps its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Platform.h"
#include "platform/common/Pictures.h"

namespace platform::memory {

constexpr std::size_t pictureBytes =
    common::picturePixels * sizeof(std::uint16_t);

constexpr Handle primaryHandle = 2;
constexpr Handle backBufferHandle = 3;

struct FlipChain {
  bool opened = false;       // the DirectDraw object exists
  bool primaryMade = false;  // the primary surface exists
  bool flipChain = false;    // with a back buffer (full screen)
  // The two pictures (zero-filled memory of FlipChain.cpp's own, so that
  // the program file does not carry them).
  std::uint16_t* front = nullptr;  // windowed: the last picture shown
  std::uint16_t* back = nullptr;

  bool isSurface(Handle surface) const {
    return (surface == primaryHandle && primaryMade) ||
           (surface == backBufferHandle && flipChain);
  }
  // Forgets the surface or the DirectDraw object `object` names.
  void release(Handle object);
};

extern FlipChain chain;

// A copy from memory to the primary surface of a chain without a back buffer
// (windowed), shown the side's own way (ddBltFromMemory, FlipChain.cpp, makes
// those to the back buffer itself and refuses the others).
void copyToWindow(const Rect& destination, const std::uint16_t* pixels,
                  int sourcePitch, const Rect& source);

}  // namespace platform::memory
