// The display: the flip chain (full screen) or the desktop (windowed), the
// display's pixel format, the composition surface every frame is drawn on,
// presentation; and the off-screen surfaces, picture files and blits the
// drawing code uses.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// 1 windowed, 0 full screen. The entry sets it once, to the value this build
// was configured with.
extern std::int16_t windowedMode;

inline constexpr int compositionWidth = 640;
inline constexpr int compositionHeight = 960;
inline constexpr int frameWidth = 320;
inline constexpr int frameHeight = 240;

// An off-screen 16-bit surface in system memory with packed rows and an
// optional transparent colour.
struct Surface {
  std::uint16_t* pixels;
  std::int32_t width;
  std::int32_t height;
  bool hasKey;
  std::uint16_t keyColour;
  bool locked;
};

struct Graphics {
  platform::Handle directDraw;
  platform::Handle primarySurface;
  platform::Handle backBuffer;
  Surface* compositionSurface;

  // Pixel format, entries in the order blue, green, red.
  std::uint8_t channelMax[3];
  std::uint8_t channelDownShift[3];
  std::uint8_t channelShift[3];
  std::uint32_t redMask, greenMask, blueMask;

  platform::Rect windowTarget;

  Graphics() = default;
  ~Graphics();

  bool init();
  int readPixelFormat(platform::Handle surface);
  void clearComposition();
  void present();
  void presentWindowed();
  void copyFrontToBack();
  void restore();
  void release();

  Surface* createSurface(std::int32_t width, std::int32_t height, int useKey,
                         std::uint16_t keyColour);
  std::uint16_t* lockSurface(Surface* surface);
  void unlockSurface(Surface* surface);
};

extern Graphics graphics;

enum Channel { channelBlue = 0, channelGreen = 1, channelRed = 2 };

std::int32_t packColour(std::int32_t red, std::int32_t green,
                        std::int32_t blue);
void loadRawImage(const char* path, Surface* surface, std::int32_t pixelCount);

// The size of the next blit, set by the drawing code before it blits.
struct BlitSize {
  std::int32_t width;
  std::int32_t height;

  void set(std::int32_t newWidth, std::int32_t newHeight);
  // Copy a width by height block from the source's top-left corner to (x, y)
  // of the composition surface; keyed leaves the destination where the
  // source holds its transparent colour.
  platform::HRESULT blitOpaque(std::int32_t x, std::int32_t y,
                               const Surface* source);
  platform::HRESULT blitKeyed(std::int32_t x, std::int32_t y,
                              const Surface* source);
};

extern BlitSize blitSize;
