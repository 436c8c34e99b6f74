// The window and the display on the real SDL layer, under Xvfb: the game (or
// a test scene drawn through the same Graphics object) runs in a child
// process of the shared real-X harness, and the test looks at it from
// outside through the X server: window name and class, screenshots grabbed
// by the harness, focus moved to a window of its own, and the close request
// a window manager would send.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/AppWindow.h"
#include "app/Game.h"
#include "platform/sdl/SdlWindow.h"
#include "tests/xharness/Image.h"
#include "tests/xharness/Process.h"
#include "tests/xharness/XClient.h"
#include "video/Graphics.h"

// Last: Xlib's macros would clash with the names above.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace {

constexpr const char* caption = "[Kestrune] Fusebound PC 2k";

// ------------------------------------------------------------ the scene

// A picture in which every pixel tells where it is, a dark box behind the
// pause message, and in the top-left 16 by 16 corner the number of the frame.
std::uint16_t scenePixel(int x, int y) {
  if (x >= 40 && x < 310 && y >= 100 && y < 140) return 0x0010;
  return static_cast<std::uint16_t>((x & 31) << 11 | (y & 63) << 5 |
                                    (((x >> 5) + (y >> 6) * 10) & 31));
}
bool inCounter(int x, int y) { return x < 16 && y < 16; }

void drawScene(std::uint16_t frame) {
  Surface* s = graphics.compositionSurface;
  for (int y = 0; y < frameHeight; ++y)
    for (int x = 0; x < frameWidth; ++x)
      s->pixels[y * s->width + x] = inCounter(x, y) ? frame : scenePixel(x, y);
}

struct Scene {
  bool windowed = false;
  int loseDisplayAt = -1;  // frame at which the renderer reports a reset
};

// The child: the window and display as the game makes them, then frames of
// the scene until the window is closed. Exit status: the last message's
// wParam, or 100 + n after a failed check n.
[[noreturn]] void runScene(const Scene& scene) {
  windowedMode = scene.windowed ? 1 : 0;
  appWindow.create(1);
  if (!graphics.init()) std::_Exit(101);
  for (int n = 1; appWindow.quit == 0; ++n) {
    if (n == scene.loseDisplayAt) {
      SDL_Event reset{};
      reset.type = SDL_RENDER_DEVICE_RESET;
      SDL_PushEvent(&reset);
      // Messages waiting before it (a repaint, the focus) are taken first.
      for (int i = 0;
           i < 20 && platform::ddIsLost(graphics.backBuffer) == platform::DD_OK;
           ++i)
        pumpMessage();
      if (platform::ddIsLost(graphics.backBuffer) !=
          platform::DDERR_SURFACELOST)
        std::_Exit(102);
    }
    drawScene(static_cast<std::uint16_t>(n));
    graphics.present();
    if (n == scene.loseDisplayAt &&
        platform::ddIsLost(graphics.backBuffer) != platform::DD_OK)
      std::_Exit(103);
  }
  std::exit(static_cast<int>(appWindow.lastMessage.wParam));
}

// ------------------------------------------------------------ the outside

// The game's code in a child process of the shared harness's.
class Child {
 public:
  template <typename Body>
  explicit Child(Body body) {
    child_.fork(body);
  }
  // Exit status once it has ended within `seconds`, else -1.
  int status(double seconds = 10) {
    const auto status = child_.wait(
        std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    if (!status) return -1;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 200 + WTERMSIG(*status);
  }
  pid_t pid() const { return child_.pid(); }

 private:
  xharness::Child child_;
};

template <typename Done>
bool eventually(Done done, double seconds = 10) {
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// The X server as the player's desktop would see it.
class Desktop {
 public:
  // The default screen, or the named one (":99.1").
  explicit Desktop(const std::string& name = "")
      : name_(name), x_(XOpenDisplay(name.empty() ? nullptr : name.c_str())) {
    XSetErrorHandler(ignoreVanishedWindows);
  }
  ~Desktop() {
    if (x_ != nullptr) XCloseDisplay(x_);
  }
  bool open() const { return x_ != nullptr; }
  const std::string& name() const { return name_; }
  int width() const { return DisplayWidth(x_, DefaultScreen(x_)); }
  int height() const { return DisplayHeight(x_, DefaultScreen(x_)); }

  // The top-level window with this name (compared literally), or 0.
  Window find(const std::string& name) { return find(root(), name, 0); }

  std::string className(Window w) {
    XClassHint hint{};
    std::string result;
    if (XGetClassHint(x_, w, &hint)) {
      result = hint.res_class ? hint.res_class : "";
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    return result;
  }

  // Screen position of the window's top-left corner.
  void position(Window w, int* x, int* y) {
    Window child;
    XTranslateCoordinates(x_, w, root(), 0, 0, x, y, &child);
  }
  bool viewable(Window w) {
    XWindowAttributes a{};
    return w != 0 && XGetWindowAttributes(x_, w, &a) &&
           a.map_state == IsViewable;
  }
  void move(Window w, int x, int y) {
    XMoveWindow(x_, w, x, y);
    XSync(x_, False);
  }
  void resize(Window w, int width, int height) {
    XResizeWindow(x_, w, width, height);
    XSync(x_, False);
  }

  // A small window of another program, given the keyboard focus.
  Window other() {
    if (other_ == 0) {
      // Black, over the dark box behind the pause message but clear of the
      // message itself.
      other_ = XCreateSimpleWindow(x_, root(), width() - 80, height() - 340, 32,
                                   32, 0, 0, 0);
      XMapRaised(x_, other_);
      XSync(x_, False);
      eventually([this] {
        XWindowAttributes a{};
        XGetWindowAttributes(x_, other_, &a);
        return a.map_state == IsViewable;
      });
    }
    return other_;
  }
  void focus(Window w) {
    XSetInputFocus(x_, w, RevertToParent, CurrentTime);
    XSync(x_, False);
  }
  // A white window of another program over the given part of the screen,
  // mapped until `uncover`; without the focus.
  void cover(int x, int y, int width, int height) {
    cover_ = XCreateSimpleWindow(x_, root(), x, y, width, height, 0, 0,
                                 WhitePixel(x_, DefaultScreen(x_)));
    XMapRaised(x_, cover_);
    XSync(x_, False);
  }
  void uncover() {
    XDestroyWindow(x_, cover_);
    XSync(x_, False);
    cover_ = 0;
  }
  // What a window manager sends when the player closes the window.
  void requestClose(Window w) {
    const char* display = std::getenv("DISPLAY");
    xharness::x11::sendCloseRequest(
        name_.empty() ? (display ? display : "") : name_, w);
  }

 private:
  Window root() { return DefaultRootWindow(x_); }
  // The window's name as window managers show it: _NET_WM_NAME (which is
  // all SDL's message box sets), else WM_NAME.
  std::string nameOf(Window w) {
    std::string result;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x_, w, XInternAtom(x_, "_NET_WM_NAME", False), 0,
                           1024, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
      result.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
      if (!result.empty()) return result;
    }
    char* name = nullptr;
    if (XFetchName(x_, w, &name) && name != nullptr) {
      result = name;
      XFree(name);
    }
    return result;
  }

  // SDL makes and drops windows of its own while the game starts: one can go
  // between our listing it and asking about it. Such a request fails and is
  // answered as "not found"; Xlib's default would end the test process.
  static int ignoreVanishedWindows(Display*, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable ||
        error->error_code == BadMatch)
      return 0;
    char text[128];
    XGetErrorText(error->display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s\n", text);
    std::abort();
  }

  Window find(Window parent, const std::string& name, int depth) {
    Window rootReturn, parentReturn, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(x_, parent, &rootReturn, &parentReturn, &children, &count))
      return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      if (nameOf(children[i]) == name) found = children[i];
      if (found == 0 && depth < 2) found = find(children[i], name, depth + 1);
    }
    if (children) XFree(children);
    return found;
  }

  std::string name_;
  Display* x_;
  Window other_ = 0;
  Window cover_ = 0;
};

// A screenshot of the whole screen, kept as PNG for people to look at.
struct Shot {
  xharness::Screenshot screen;

  // The 16-bit 5-6-5 value the pixel was shown from.
  std::uint16_t at(int x, int y) const {
    const std::uint8_t* p = screen.at(x, y);
    return static_cast<std::uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 |
                                      p[2] >> 3);
  }
  bool white(int x, int y) const {
    const std::uint8_t* p = screen.at(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
};

Shot screenshot(const Desktop& desktop, const std::string& keepAs = "") {
  const char* display = std::getenv("DISPLAY");
  xharness::x11::Grabber grabber(
      desktop.name().empty() ? (display ? display : "") : desktop.name());
  Shot shot{grabber.grab(0, 0, desktop.width(), desktop.height())};
  if (shot.screen.empty())
    shot.screen = xharness::Screenshot(desktop.width(), desktop.height());
  if (!keepAs.empty()) {
    std::filesystem::create_directories(SCREENSHOT_DIR);
    xharness::writePng(std::string(SCREENSHOT_DIR) + "/" + keepAs + ".png",
                       shot.screen);
  }
  return shot;
}

// Where the picture lies on the screen, and how large its pixels are.
struct Placement {
  int left, top, scale;
  std::uint16_t pixel(const Shot& shot, int x, int y) const {
    return shot.at(left + x * scale + scale / 2, top + y * scale + scale / 2);
  }
  int counter(const Shot& shot) const { return pixel(shot, 8, 8); }
  // Every pixel of the scene outside the counter and the message box, each
  // scale by scale block in one colour.
  bool showsScene(const Shot& shot) const {
    for (int y = 0; y < frameHeight; ++y)
      for (int x = 0; x < frameWidth; ++x) {
        if (inCounter(x, y) || scenePixel(x, y) == 0x0010) continue;
        for (int dy = 0; dy < scale; ++dy)
          for (int dx = 0; dx < scale; ++dx)
            if (shot.at(left + x * scale + dx, top + y * scale + dy) !=
                scenePixel(x, y))
              return false;
      }
    return true;
  }
  // White pixels where the pause message belongs.
  int whiteInMessageBox(const Shot& shot) const {
    int count = 0;
    for (int y = 100 * scale; y < 140 * scale; ++y)
      for (int x = 40 * scale; x < 310 * scale; ++x)
        count += shot.white(left + x, top + y);
    return count;
  }
};

bool haveTools() { return std::getenv("DISPLAY") != nullptr; }

#define REQUIRE_X()                                   \
  do {                                                \
    if (!haveTools()) GTEST_SKIP() << "no X display"; \
  } while (0)

// ------------------------------------------------------------ the tests

TEST(RealWindow, FullScreenShowsThePictureScaledByThreeAndPausesInTheBack) {
  REQUIRE_X();
  Child game([] { runScene({.loseDisplayAt = 5}); });
  Desktop desktop;
  ASSERT_TRUE(desktop.open());
  ASSERT_EQ(desktop.width(), 960);
  ASSERT_EQ(desktop.height(), 720);
  const Placement place{0, 0, 3};

  Window window = 0;
  ASSERT_TRUE(
      eventually([&] { return (window = desktop.find(caption)) != 0; }));
  EXPECT_EQ(desktop.className(window), "WINXCLASS");
  // The first picture comes a little after the window.
  Shot shot;
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.counter(shot) > 5 && place.showsScene(shot);
  })) << "frame "
      << place.counter(shot);
  screenshot(desktop, "fullscreen");
  EXPECT_EQ(place.whiteInMessageBox(shot), 0);

  // Another window takes the focus: the pause message appears over the last
  // frame, and the game stands still.
  desktop.focus(desktop.other());
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.whiteInMessageBox(shot) > 100;
  }));
  screenshot(desktop, "fullscreen-paused");
  const int pausedAt = place.counter(shot);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  shot = screenshot(desktop);
  EXPECT_EQ(place.counter(shot), pausedAt);
  EXPECT_GT(place.whiteInMessageBox(shot), 100);
  EXPECT_TRUE(place.showsScene(shot));

  // Back in front, it runs on and the message is gone with the next frame.
  window = desktop.find(caption);
  desktop.focus(window);
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.counter(shot) > pausedAt + 5;
  }));
  EXPECT_EQ(place.whiteInMessageBox(shot), 0);

  desktop.requestClose(window);
  EXPECT_EQ(game.status(), 0);
}

// SDL puts the window on the X server's first screen whatever the screen
// number in DISPLAY, so a desktop of another size takes an X server of its
// own: the test runs itself again under one.
TEST(RealWindow, OnALargerDesktopThePictureIsCentredOnBlack) {
  REQUIRE_X();
  if (std::getenv("FUSEBOUND_LARGER_DESKTOP") == nullptr) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const int status = std::system(
        ("FUSEBOUND_LARGER_DESKTOP=1 xvfb-run -a -s '-screen 0 1024x768x24' " +
         self +
         " --gtest_filter=RealWindow."
         "OnALargerDesktopThePictureIsCentredOnBlack")
            .c_str());
    EXPECT_EQ(status, 0);
    return;
  }
  Child game([] { runScene({}); });
  Desktop desktop;
  ASSERT_TRUE(desktop.open());
  ASSERT_EQ(desktop.width(), 1024);
  ASSERT_EQ(desktop.height(), 768);
  const Placement place{32, 24, 3};
  Shot shot;
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.counter(shot) > 3 && place.showsScene(shot);
  }));
  screenshot(desktop, "fullscreen-1024x768");
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) {
      if (x < 32 || x >= 992 || y < 24 || y >= 744) {
        ASSERT_EQ(shot.at(x, y), 0) << x << "," << y;
      }
    }
  desktop.requestClose(desktop.find(caption));
  EXPECT_EQ(game.status(), 0);
}

// Windowed on the 960 by 720 screen: the largest whole scale within three
// quarters of it is 2, so the window opens 640 by 480, centred. Moved and
// resized to a size no multiple of the picture's, it keeps a whole scale,
// centred on black, and the pause message keeps its place in the picture.
TEST(RealWindow, WindowedPictureIsScaledByWholeStepsAndCentredWhenResized) {
  REQUIRE_X();
  Child game([] { runScene({.windowed = true}); });
  Desktop desktop;
  ASSERT_TRUE(desktop.open());
  Window window = 0;
  ASSERT_TRUE(
      eventually([&] { return (window = desktop.find(caption)) != 0; }));

  Placement place{0, 0, 2};
  Shot shot;
  ASSERT_TRUE(eventually([&] {
    window = desktop.find(caption);
    desktop.position(window, &place.left, &place.top);
    shot = screenshot(desktop);
    return place.counter(shot) > 3 && place.showsScene(shot);
  }));
  screenshot(desktop, "windowed");
  EXPECT_EQ(place.left, (960 - 640) / 2);
  EXPECT_EQ(place.top, (720 - 480) / 2);

  // 700 by 500 at (17, 33): twice as large still, 30 and 10 pixels of black
  // on either side.
  desktop.move(window, 17, 33);
  desktop.resize(window, 700, 500);
  place = {17 + 30, 33 + 10, 2};
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.showsScene(shot);
  }));
  screenshot(desktop, "windowed-resized");
  for (const auto& [x, y] : {std::pair{17, 33 + 250}, std::pair{17 + 29, 200},
                             std::pair{17 + 671, 300}, std::pair{300, 33 + 5},
                             std::pair{300, 33 + 495}})
    EXPECT_EQ(shot.at(x, y), 0) << x << "," << y;  // black around

  desktop.focus(desktop.other());
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.whiteInMessageBox(shot) > 100;
  }));
  screenshot(desktop, "windowed-resized-paused");
  EXPECT_TRUE(place.showsScene(shot));

  desktop.requestClose(desktop.find(caption));
  EXPECT_EQ(game.status(), 0);
}

// The child of the next test: ten frames that change, then the same picture
// again and again; the frame on which the Right key is first seen down shows
// a new one, which then stands still too. Exit status 0 when no present of an
// unchanged picture uploaded it and the change was uploaded by its own
// present; 104 or 105 otherwise.
[[noreturn]] void standStill() {
  appWindow.create(1);
  if (!graphics.init()) std::_Exit(101);
  for (std::uint16_t n = 1; n <= 10; ++n) {
    drawScene(n);
    graphics.present();
  }
  using platform::sdl::displayCounts;
  const auto still = displayCounts();
  for (int n = 0; n < 60; ++n) {
    drawScene(10);
    graphics.present();
  }
  if (displayCounts().uploaded != still.uploaded ||
      displayCounts().presented != still.presented + 60)
    std::_Exit(104);
  bool moved = false;
  while (appWindow.quit == 0) {
    const bool right = SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_RIGHT] != 0;
    const bool changes = right && !moved;
    moved = moved || right;
    drawScene(moved ? 11 : 10);
    const auto before = displayCounts();
    graphics.present();
    if (displayCounts().uploaded != before.uploaded + (changes ? 1 : 0))
      std::_Exit(105);
  }
  std::exit(moved ? 0 : 106);
}

// A game standing still hands the window system nothing new, yet a key
// shows on the very frame that reads it, and whatever the window system
// asks to have drawn again (here the window uncovered) is drawn from the
// last picture.
TEST(RealWindow,
     AStillPictureIsNotUploadedAgainButTheNextChangeAndExposuresShow) {
  REQUIRE_X();
  if (std::system("command -v xdotool >/dev/null") != 0)
    GTEST_SKIP() << "no xdotool";
  Child game([] { standStill(); });
  Desktop desktop;
  ASSERT_TRUE(desktop.open());
  const Placement place{0, 0, 3};
  Shot shot;
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.counter(shot) == 10 && place.showsScene(shot);
  }));

  // Held until seen: the child looks at the keyboard once a frame.
  std::system("xdotool keydown Right");
  const bool seen = eventually([&] {
    shot = screenshot(desktop);
    return place.counter(shot) == 11;
  });
  std::system("xdotool keyup Right");
  ASSERT_TRUE(seen);
  EXPECT_TRUE(place.showsScene(shot));

  desktop.cover(150, 150, 300, 200);
  ASSERT_TRUE(eventually([&] { return screenshot(desktop).white(300, 250); }));
  desktop.uncover();
  ASSERT_TRUE(eventually([&] {
    shot = screenshot(desktop);
    return place.showsScene(shot);
  }));
  screenshot(desktop, "still-uncovered");
  EXPECT_EQ(place.counter(shot), 11);

  // The pause message goes with the first frame after the focus is back,
  // though that frame is the same picture.
  const Window window = desktop.find(caption);
  desktop.focus(desktop.other());
  ASSERT_TRUE(eventually(
      [&] { return place.whiteInMessageBox(screenshot(desktop)) > 100; }));
  desktop.focus(window);
  ASSERT_TRUE(eventually(
      [&] { return place.whiteInMessageBox(screenshot(desktop)) == 0; }));

  desktop.requestClose(window);
  EXPECT_EQ(game.status(), 0);
}

// Start-up failures show their message in a box of its own, in front: the
// full-screen window gets out of its way.
TEST(RealWindow, AMessageBoxShowsInFrontAndWaitsForOk) {
  REQUIRE_X();
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no xdotool";
  Child game([] {
    appWindow.create(1);
    const int answer = platform::messageBox(
        "Couldn't Set Video Mode!", "Error, Quiting..", platform::MB_OK);
    std::_Exit(answer == 1 ? 0 : 1);
  });
  Desktop desktop;
  ASSERT_TRUE(desktop.open());
  Window box = 0;
  ASSERT_TRUE(eventually(
      [&] { return (box = desktop.find("Error, Quiting..")) != 0; }));
  EXPECT_FALSE(desktop.viewable(desktop.find(caption)));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot(desktop, "messagebox");
  EXPECT_EQ(game.status(0.5), -1);  // still waiting for the player
  const std::string id = std::to_string(box);
  std::system(
      ("xdotool windowfocus " + id + "; xdotool key --window " + id + " Return")
          .c_str());
  EXPECT_EQ(game.status(), 0);
}

TEST(RealWindow, WithoutADisplayMessagesGoToStandardError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        platform::messageBox("Couldn't Access VideoCard!", "Error, Quiting..",
                             platform::MB_OK);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0),
      "Error, Quiting\\.\\.: Couldn't Access VideoCard!\n");
}

// The child of the next test: whole frames in red and blue in turn, while a
// second X connection watches the middle of the screen (inside the picture
// both full screen and windowed). Exit status 0 once a frame was on the
// screen while its present still had a good part of the frame to wait, 1 if
// none of five was, 2 if a frame never showed.
[[noreturn]] void watchPresents(bool windowed) {
  windowedMode = windowed ? 1 : 0;
  appWindow.create(1);
  if (!graphics.init()) std::_Exit(101);
  Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) std::_Exit(102);
  const int cx = DisplayWidth(x, DefaultScreen(x)) / 2;
  const int cy = DisplayHeight(x, DefaultScreen(x)) / 2;
  Surface* s = graphics.compositionSurface;
  const auto fill = [s](std::uint16_t colour) {
    for (int y = 0; y < frameHeight; ++y)
      for (int x = 0; x < frameWidth; ++x) s->pixels[y * s->width + x] = colour;
  };
  for (int n = 0; n < 10; ++n) {  // the renderer starts up
    fill(0);
    graphics.present();
  }
  using Clock = std::chrono::steady_clock;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const bool red = attempt % 2 == 0;
    fill(red ? 0xF800 : 0x001F);
    Clock::time_point seen{};
    std::thread watcher([&] {
      const auto until = Clock::now() + std::chrono::seconds(1);
      while (Clock::now() < until) {
        XImage* image = XGetImage(x, DefaultRootWindow(x), cx, cy, 1, 1,
                                  AllPlanes, ZPixmap);
        if (image == nullptr) continue;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        const unsigned r = (pixel >> 16 & 0xFF) >> 3,
                       g = (pixel >> 8 & 0xFF) >> 2, b = (pixel & 0xFF) >> 3;
        if (g == 0 && (red ? r == 31 && b == 0 : r == 0 && b == 31)) {
          seen = Clock::now();
          return;
        }
      }
    });
    graphics.present();
    const Clock::time_point returned = Clock::now();
    watcher.join();
    if (seen == Clock::time_point{}) std::_Exit(2);
    // A quarter of a frame: far more than a present takes to come back once
    // its picture is out, far less than the wait for the next frame.
    if (returned - seen > std::chrono::microseconds(4'000)) std::_Exit(0);
  }
  std::_Exit(1);
}

// The picture goes to the screen as soon as it is presented; the wait that
// keeps 60 frames a second comes after it, not between the game reading its
// controls and the player seeing the result.
TEST(RealWindow, APresentShowsThePictureBeforeItWaitsForTheNextFrame) {
  REQUIRE_X();
  for (bool windowed : {false, true}) {
    Child game([windowed] { watchPresents(windowed); });
    EXPECT_EQ(game.status(30), 0) << (windowed ? "windowed" : "full screen");
  }
}

// The message queue on its own, with no window.
void emptyTheQueue() {
  platform::MSG message{};
  while (platform::peekMessage(&message)) {
  }
}

TEST(SdlQueue, ARepaintLostToAFullQueueDoesNotStopLaterOnes) {
  emptyTheQueue();
  for (int i = 0; i < 1000; ++i)
    platform::postMessage(1, platform::WM_SIZE, 0, 0);
  platform::postMessage(1, platform::WM_PAINT, 0, 0);  // no room: lost
  platform::MSG message{};
  while (platform::peekMessage(&message))
    ASSERT_EQ(message.message, platform::WM_SIZE);
  platform::postMessage(1, platform::WM_PAINT, 0, 0);
  ASSERT_TRUE(platform::peekMessage(&message));
  EXPECT_EQ(message.message, platform::WM_PAINT);
}

TEST(SdlQueue, ARequestToEndIsSeenWithoutBeingTaken) {
  emptyTheQueue();
  EXPECT_FALSE(platform::quitPending());
  platform::postMessage(1, platform::WM_PAINT, 0, 0);
  platform::postMessage(1, platform::WM_QUIT, 0, 0);
  EXPECT_TRUE(platform::quitPending());
  platform::MSG message{};
  ASSERT_TRUE(platform::peekMessage(&message));
  EXPECT_EQ(message.message, platform::WM_PAINT);
  EXPECT_TRUE(platform::quitPending());
  ASSERT_TRUE(platform::peekMessage(&message));
  EXPECT_EQ(message.message, platform::WM_QUIT);
  EXPECT_FALSE(platform::quitPending());

  // A termination signal, which SDL turns into its quit event.
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
  raise(SIGTERM);
  EXPECT_TRUE(platform::quitPending());
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

}  // namespace
