// Shared by the window and display tests: a scripted machine with the
// window created and the display brought up, and the window, display and
// blit-size globals put back as they were afterwards.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Game.h"
#include "app/Globals.h"
#include "platform/fake/FakePlatform.h"

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
    savedWindow = {appWindow.instance, appWindow.window, appWindow.active,
                   appWindow.quit, appWindow.lastMessage};
    saveGraphics();
    savedWindowed = windowedMode;
    savedBlitSize = {blitSize.width, blitSize.height};
  }

  void TearDown() override {
    appWindow.instance = savedWindow.instance;
    appWindow.window = savedWindow.window;
    appWindow.active = savedWindow.active;
    appWindow.quit = savedWindow.quit;
    appWindow.lastMessage = savedWindow.lastMessage;
    restoreGraphics();
    windowedMode = savedWindowed;
    blitSize.width = savedBlitSize.width;
    blitSize.height = savedBlitSize.height;
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
  struct WindowState {
    platform::Handle instance, window;
    std::int32_t active;
    std::int16_t quit;
    platform::MSG lastMessage;
  };
  struct GraphicsState {
    platform::Handle directDraw, primarySurface, backBuffer;
    Surface* compositionSurface;
    std::uint8_t channelMax[3], channelDownShift[3], channelShift[3];
    std::uint32_t redMask, greenMask, blueMask;
    platform::Rect windowTarget;
  };

  void saveGraphics() {
    savedGraphics.directDraw = graphics.directDraw;
    savedGraphics.primarySurface = graphics.primarySurface;
    savedGraphics.backBuffer = graphics.backBuffer;
    savedGraphics.compositionSurface = graphics.compositionSurface;
    std::memcpy(savedGraphics.channelMax, graphics.channelMax, 3);
    std::memcpy(savedGraphics.channelDownShift, graphics.channelDownShift, 3);
    std::memcpy(savedGraphics.channelShift, graphics.channelShift, 3);
    savedGraphics.redMask = graphics.redMask;
    savedGraphics.greenMask = graphics.greenMask;
    savedGraphics.blueMask = graphics.blueMask;
    savedGraphics.windowTarget = graphics.windowTarget;
  }
  void restoreGraphics() {
    graphics.directDraw = savedGraphics.directDraw;
    graphics.primarySurface = savedGraphics.primarySurface;
    graphics.backBuffer = savedGraphics.backBuffer;
    graphics.compositionSurface = savedGraphics.compositionSurface;
    std::memcpy(graphics.channelMax, savedGraphics.channelMax, 3);
    std::memcpy(graphics.channelDownShift, savedGraphics.channelDownShift, 3);
    std::memcpy(graphics.channelShift, savedGraphics.channelShift, 3);
    graphics.redMask = savedGraphics.redMask;
    graphics.greenMask = savedGraphics.greenMask;
    graphics.blueMask = savedGraphics.blueMask;
    graphics.windowTarget = savedGraphics.windowTarget;
  }

  WindowState savedWindow{};
  GraphicsState savedGraphics{};
  std::int16_t savedWindowed = 0;
  struct {
    std::int32_t width, height;
  } savedBlitSize{};
};

// Whether this build runs windowed. The entry decides it from the build
// option, so a child runs the entry until its first failure and reports.
inline bool windowedBuild() {
  static const int answer = [] {
    const pid_t child = fork();
    if (child == 0) {
      fake::reset();
      fake::fail("directDrawCreate");
      std::atexit([] { std::_Exit(windowedMode ? 11 : 10); });
      winMain(1);
      std::_Exit(12);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }();
  return answer == 11;
}
