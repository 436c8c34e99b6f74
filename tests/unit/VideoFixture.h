// Shared by the window and display tests: a scripted machine with the
// window created and the display brought up, and the window, display and
// blit-size globals put back as they were afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/AppWindow.h"
#include "app/Game.h"
#include "platform/fake/FakePlatform.h"
#include "video/Graphics.h"

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
    savedWindow = appWindow;
    // Graphics releases its devices when destroyed, so no copy of it may
    // exist: its plain fields are kept as bytes.
    std::memcpy(savedGraphics, static_cast<void*>(&graphics), sizeof graphics);
    savedWindowed = windowedMode;
    savedBlitSize = blitSize;
  }

  void TearDown() override {
    appWindow = savedWindow;
    std::memcpy(static_cast<void*>(&graphics), savedGraphics, sizeof graphics);
    windowedMode = savedWindowed;
    blitSize = savedBlitSize;
    fake::reset();
  }

  // The window and the display as the start-up makes them, in the given
  // variant, with the call log emptied afterwards.
  static void startDisplay(std::int16_t windowed = 0) {
    windowedMode = windowed;
    appWindow.active = 0;
    appWindow.quit = 0;
    appWindow.create(1);
    ASSERT_TRUE(graphics.init());
    fake::state().calls.clear();
  }

  // A picture in the composition surface's visible area that tells every
  // pixel apart.
  static void drawPattern(std::uint16_t seed = 0) {
    Surface* s = graphics.compositionSurface;
    for (int y = 0; y < frameHeight; ++y)
      for (int x = 0; x < frameWidth; ++x)
        s->pixels[y * s->width + x] = pattern(x, y, seed);
  }
  static std::uint16_t pattern(int x, int y, std::uint16_t seed) {
    return static_cast<std::uint16_t>(y * 331 + x * 7 + seed);
  }
  static bool showsPattern(const std::uint16_t* picture, int pitch,
                           std::uint16_t seed = 0) {
    for (int y = 0; y < frameHeight; ++y)
      for (int x = 0; x < frameWidth; ++x)
        if (picture[y * pitch + x] != pattern(x, y, seed)) return false;
    return true;
  }

 private:
  AppWindow savedWindow;
  alignas(Graphics) unsigned char savedGraphics[sizeof(Graphics)];
  std::int16_t savedWindowed = 0;
  BlitSize savedBlitSize{};
};
