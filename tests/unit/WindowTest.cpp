// The window, its procedure and the message pump on the scripted platform.
#include "tests/unit/VideoFixture.h"

namespace {

using namespace platform;

class Window : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    appWindow.active = 0;
    appWindow.quit = 0;
  }
};

TEST_F(Window, CreationRegistersTheClassAndHidesTheCursorOnlyFullScreen) {
  windowedMode = 0;
  appWindow.create(7);
  EXPECT_EQ(appWindow.instance, 7u);
  EXPECT_EQ(appWindow.window, fake::handles::window);
  EXPECT_EQ(appWindow.active, 1);  // the new window took the focus
  EXPECT_FALSE(fake::state().cursorShown);
  EXPECT_TRUE(fake::state().windowFullScreen);
  EXPECT_EQ(fake::state().windowWidth, 320);
  EXPECT_EQ(fake::state().windowHeight, 240);
  EXPECT_LT(fake::indexOf("registerClass"), fake::indexOf("createWindow"));

  fake::reset();
  windowedMode = 1;
  appWindow.create(7);
  EXPECT_TRUE(fake::state().cursorShown);
  EXPECT_FALSE(fake::state().windowFullScreen);
  EXPECT_FALSE(fake::called("showCursor 0"));
}

TEST_F(Window, FocusChangesSetActiveAndDestroyingSetsQuit) {
  appWindow.create(1);
  appWindow.active = 0;
  windowProc(fake::handles::window, WM_SETFOCUS, 0, 0);
  EXPECT_EQ(appWindow.active, 1);
  windowProc(fake::handles::window, WM_SIZE, 0, 0x00F00140);
  EXPECT_EQ(appWindow.active, 1);
  EXPECT_EQ(appWindow.quit, 0);

  // Losing the focus paints at once, but with nothing invalid nothing shows.
  EXPECT_EQ(windowProc(fake::handles::window, WM_KILLFOCUS, 0, 0), 0);
  EXPECT_EQ(appWindow.active, 0);
  EXPECT_TRUE(fake::called("beginPaint"));
  EXPECT_TRUE(fake::called("endPaint"));
  EXPECT_TRUE(fake::state().textDrawn.empty());

  EXPECT_EQ(windowProc(fake::handles::window, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(appWindow.quit, 1);
}

TEST_F(Window, TheRepaintOfAnInactiveWindowShowsThePauseMessage) {
  appWindow.create(1);
  fake::state().textDrawn.clear();
  fake::state().invalid = true;
  EXPECT_EQ(windowProc(fake::handles::window, WM_PAINT, 0, 0), 0);
  EXPECT_TRUE(fake::state().textDrawn.empty());  // active: nothing drawn

  fake::state().invalid = true;
  appWindow.active = 0;
  EXPECT_EQ(windowProc(fake::handles::window, WM_PAINT, 0, 0), 0);
  ASSERT_EQ(fake::state().textDrawn.size(), 1u);
  const fake::TextDrawn& text = fake::state().textDrawn[0];
  EXPECT_EQ(text.text, "Moonhollow 2000 is paused.");
  EXPECT_EQ(text.x, 60);
  EXPECT_EQ(text.y, 110);
  EXPECT_EQ(text.colour, 0xFFFFFFu);
  EXPECT_EQ(text.bkMode, TRANSPARENT);
}

TEST_F(Window, ThePumpTakesOneMessageAtATimeAndNeverWaits) {
  appWindow.create(1);
  EXPECT_EQ(pumpMessage(), 0);  // empty queue
  fake::post(WM_SIZE, 0, 1);
  fake::post(WM_SIZE, 0, 2);
  pumpMessage();
  EXPECT_EQ(appWindow.lastMessage.lParam, 1);
  EXPECT_EQ(fake::state().queue.size(), 1u);
  EXPECT_EQ(fake::state().waits, 0);
}

TEST_F(Window, QuitFromTheQueueSetsQuitAndDestroysTheWindow) {
  appWindow.create(1);
  fake::post(WM_QUIT, 0);
  pumpMessage();
  EXPECT_EQ(appWindow.quit, 1);
  EXPECT_EQ(appWindow.lastMessage.message, WM_QUIT);
  ASSERT_EQ(fake::state().queue.size(), 1u);
  EXPECT_EQ(fake::state().queue.front().message, WM_DESTROY);
  pumpMessage();
  EXPECT_EQ(appWindow.quit, 1);
  EXPECT_EQ(appWindow.lastMessage.wParam, 0u);
}

TEST_F(Window, AClosedWindowIsDestroyedAndTheGameToldToQuit) {
  appWindow.create(1);
  fake::closeWindow();
  pumpMessage();
  EXPECT_TRUE(fake::called("destroyWindow"));
  EXPECT_EQ(appWindow.quit, 1);
}

}  // namespace
