// The display on the scripted platform: presentation full screen and
// windowed, the pause, lost surfaces and the release. (Its start-up failures
// are in FaultStartupTest.cpp.)
#include <string>

#include "tests/unit/VideoFixture.h"

namespace {

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
  fake::fail(fake::Fault::flip);
  graphics.present();
  EXPECT_EQ(fake::count("ddFlip"), 3);
  EXPECT_EQ(fake::state().presented, 0);

  // A copy that fails after a restore too drops the frame without a flip.
  fake::reset();
  fake::fail(fake::Fault::blitToBack);
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
