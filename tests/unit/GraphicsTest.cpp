// The display on the scripted platform: each start-up failure, presentation
// full screen and windowed, the pause, lost surfaces and the release.
#include <string>

#include "tests/unit/VideoFixture.h"

namespace {

using ::testing::ExitedWithCode;

// ------------------------------------------------------------ start-up

struct StartFailure {
  const char* failing;  // the fake's call to fail, or "" for a small desktop
  const char* message;
  bool fullScreenOnly;
  const char* fullScreenReleases;  // what the exit path releases
};

void PrintTo(const StartFailure& failure, std::ostream* out) {
  *out << failure.message;
}

std::string nameOf(const ::testing::TestParamInfo<StartFailure>& info) {
  static const char* names[] = {"NoVideoCard",         "NoDisplayMode",
                                "DesktopTooSmall",     "NoPrimarySurface",
                                "NoPixelFormat",       "ZeroMasks",
                                "NoCompositionSurface"};
  return names[info.index];
}

constexpr const char* allThree =
    "fake: ddRelease backBuffer\nfake: ddRelease primary\n"
    "fake: ddRelease directDraw\n";

const StartFailure startFailures[] = {
    {"directDrawCreate", "Couldn't Access VideoCard!", false, ""},
    {"ddSetDisplayMode", "Couldn't Set Video Mode!", true,
     "fake: ddRelease directDraw\n"},
    {"", "Couldn't Set Video Mode!", true, "fake: ddRelease directDraw\n"},
    {"ddCreatePrimarySurface flip", "Couldn't Create Primary Surfaces!", true,
     "fake: ddRelease directDraw\n"},
    {"ddGetPixelFormat", "You must run in 16 bit color!", false, allThree},
    {"zero masks", "You must run in 16 bit color!", false, allThree},
    {"ddCreateOffscreenSurface 640x960", "No memory to create Surface!", false,
     allThree},
};

class DisplayStart : public ::testing::TestWithParam<StartFailure> {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
  }
};

// The whole program, failing one step of the display's start-up: its box,
// status 1, and on the way out the input devices, then whatever of the
// display exists (newest first), then the sound device.
TEST_P(DisplayStart, ShowsItsMessageAndReleasesWhatExists) {
  const StartFailure& f = GetParam();
  const bool windowed = windowedBuild();
  if (windowed && f.fullScreenOnly) GTEST_SKIP() << "a full-screen step";
  const std::string failing = f.failing;
  const platform::PixelMasks zeroRed{0, 0x07E0, 0x001F};
  std::string expected =
      std::string("fake: messageBox ") + f.message + "\n(fake: di[^\n]*\n)*" +
      (windowed ? "" : f.fullScreenReleases) + "(fake: ds[^\n]*\n)*$";
  EXPECT_EXIT(
      {
        fake::state().echo = true;
        if (failing.empty())
          fake::state().desktopWidthPixels = 300;
        else if (failing == "zero masks")
          fake::state().masks = platform::PixelMasks(zeroRed);
        else
          fake::fail(failing);
        winMain(1);
        std::exit(3);
      },
      ExitedWithCode(1), expected);
}

INSTANTIATE_TEST_SUITE_P(EachStep, DisplayStart,
                         ::testing::ValuesIn(startFailures), nameOf);

// ------------------------------------------------------------ presentation

class Presentation : public VideoTest {};

TEST_F(Presentation, FullScreenCopiesTheFrameToTheBackBufferAndFlips) {
  startDisplay();
  drawPattern(5);
  std::vector<std::uint16_t> shown;
  fake::state().onPresent = [&shown](const std::uint16_t* picture) {
    shown.assign(picture, picture + frameWidth * frameHeight);
  };
  graphics.present();
  ASSERT_EQ(fake::state().presented, 1);
  EXPECT_TRUE(showsPattern(shown.data(), frameWidth, 5));
  EXPECT_LT(fake::indexOf("ddBltFromMemory backBuffer"),
            fake::indexOf("ddFlip"));

  // Both buffers then hold the first frame.
  graphics.copyFrontToBack();
  EXPECT_TRUE(showsPattern(fake::state().backImage.data(), frameWidth, 5));
}

TEST_F(Presentation, DoesNotReturnWhileInactiveAndShowsTheFrameOnceBack) {
  startDisplay();
  drawPattern();
  fake::loseFocus();
  int waitsAtPresent = -1;
  fake::state().onWait = [] {
    if (fake::state().waits == 3) fake::gainFocus();
  };
  fake::state().onPresent = [&waitsAtPresent](const std::uint16_t*) {
    waitsAtPresent = fake::state().waits;
  };
  graphics.present();
  EXPECT_EQ(appWindow.active, 1);
  EXPECT_EQ(waitsAtPresent, 3);  // shown only after the focus came back
  EXPECT_EQ(fake::state().presented, 1);
  // Meanwhile the window showed the pause message, when the repaint request
  // was taken (losing the focus alone paints nothing).
  ASSERT_EQ(fake::state().textDrawn.size(), 1u);
  EXPECT_EQ(fake::state().textDrawn[0].text, pauseMessage);
}

TEST_F(Presentation, AWindowDestroyedWhileInactiveEndsTheWait) {
  startDisplay();
  fake::loseFocus();
  fake::state().onWait = [] {
    if (fake::state().waits == 2) fake::closeWindow();
  };
  graphics.present();
  EXPECT_EQ(appWindow.quit, 1);
  EXPECT_EQ(appWindow.active, 0);
  EXPECT_EQ(fake::state().presented, 0);
  EXPECT_EQ(fake::state().waits, 2);
}

TEST_F(Presentation, LostSurfacesAreRestoredAndTheFrameShown) {
  startDisplay();
  drawPattern(9);
  fake::state().backLost = fake::state().primaryLost = true;
  graphics.present();
  EXPECT_TRUE(fake::called("ddRestore backBuffer"));
  EXPECT_TRUE(fake::called("ddRestore primary"));
  EXPECT_EQ(fake::count("ddBltFromMemory backBuffer"), 2);
  ASSERT_EQ(fake::state().presented, 1);
  EXPECT_TRUE(showsPattern(fake::state().frontImage.data(), frameWidth, 9));
}

TEST_F(Presentation, ARefusedFlipIsReissuedABoundedNumberOfTimes) {
  startDisplay();
  fake::fail("ddFlip");
  graphics.present();
  EXPECT_EQ(fake::count("ddFlip"), 3);
  EXPECT_EQ(fake::state().presented, 0);

  // A copy that fails after a restore too drops the frame without a flip.
  fake::reset();
  fake::fail("ddBltFromMemory backBuffer");
  graphics.present();
  EXPECT_EQ(fake::count("ddBltFromMemory backBuffer"), 2);
  EXPECT_EQ(fake::count("ddFlip"), 0);
}

TEST_F(Presentation, WindowedFramesFollowTheClientArea) {
  startDisplay(1);
  EXPECT_FALSE(fake::state().displayModeSet);
  EXPECT_EQ(graphics.backBuffer, 0u);
  drawPattern(3);
  // Two messages are taken per frame.
  fake::post(platform::WM_SIZE);
  fake::post(platform::WM_SIZE);
  fake::post(platform::WM_SIZE);
  graphics.present();
  EXPECT_EQ(fake::state().queue.size(), 1u);
  EXPECT_EQ(fake::count("ddWaitForVerticalBlank"), 1);
  auto& desktop = fake::state().desktop;
  const platform::Rect& client = fake::state().clientRect;
  EXPECT_EQ(graphics.windowTarget.left, client.left);
  EXPECT_EQ(graphics.windowTarget.top, client.top);
  EXPECT_TRUE(
      showsPattern(&desktop[client.top * fake::desktopWidth + client.left],
                   fake::desktopWidth, 3));

  fake::moveWindow(500, 300);
  drawPattern(4);
  graphics.present();
  EXPECT_TRUE(showsPattern(&desktop[300 * fake::desktopWidth + 500],
                           fake::desktopWidth, 4));
  EXPECT_EQ(graphics.windowTarget.right, 820);
  EXPECT_EQ(graphics.windowTarget.bottom, 540);

  // Windowed, there is no flip chain to copy or to release.
  fake::state().calls.clear();
  graphics.copyFrontToBack();
  graphics.release();
  EXPECT_TRUE(fake::state().calls.empty());
}

TEST_F(Presentation, ReleaseGivesUpTheFlipChainNewestFirstOnlyOnce) {
  startDisplay();
  graphics.release();
  const std::vector<std::string> expected = {
      "ddRelease backBuffer", "ddRelease primary", "ddRelease directDraw"};
  EXPECT_EQ(fake::state().calls, expected);
  graphics.release();
  EXPECT_EQ(fake::state().calls.size(), 3u);
}

}  // namespace
