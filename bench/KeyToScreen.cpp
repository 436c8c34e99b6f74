// key-to-screen: how long after a key goes down (or the focus moves away)
// the screen shows its effect, measured from outside the program, the way a
// player sees it.
//
// It finds the program's window by a part of its name, works out where the
// 320 by 240 picture lies in it (scaled by the largest whole factor that
// fits, centred), and watches one rectangle of the picture with quick screen
// grabs (the end-to-end suite's Grabber). For each press it waits until the
// rectangle has been still for a while, waits a random part of a frame more,
// then presses a key with XTEST (or gives the focus to a small window of its
// own) and grabs again and again until the rectangle changes. The change
// happened between the last grab that showed the old picture and the first
// that showed a new one; the middle of that window is the press's latency.
// After each press it releases the key (or gives the focus back).
//
//   key-to-screen WINDOW-NAME CASE PRESSES X Y W H [SETTLE-MS]
//
// CASE is arrow (Right and Left in turn), bomb (R) or focus. X Y W H is the
// rectangle in picture pixels. SETTLE-MS (default 150) is how long the
// rectangle must stay unchanged before a press. Prints one line per press,
// "press <ms> <window ms>", and exits 0 when every press was seen.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/xharness/XClient.h"

namespace {

constexpr int pictureWidth = 320;
constexpr int pictureHeight = 240;
constexpr double frameMs = 1000.0 / 60;
constexpr double giveUpMs = 1000;  // a press not seen by then counts as lost

double nowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void sleepMs(double ms) {
  if (ms <= 0) return;
  timespec t{};
  t.tv_sec = static_cast<time_t>(ms / 1000);
  t.tv_nsec = static_cast<long>((ms - t.tv_sec * 1000.0) * 1e6);
  nanosleep(&t, nullptr);
}

// The first top-level window whose name contains `part`.
Window findWindow(Display* display, const char* part) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count) == 0)
    return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      XWindowAttributes attributes{};
      if (std::strstr(name, part) != nullptr &&
          XGetWindowAttributes(display, children[i], &attributes) != 0 &&
          attributes.map_state == IsViewable)
        found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// A small window of our own at the screen's corner, to take the focus.
Window makeFocusThief(Display* display) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
  const Window window =
      XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0,
                    CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWBackPixel, &attributes);
  XSelectInput(display, window, StructureNotifyMask);
  XMapRaised(display, window);
  XEvent event{};
  do XNextEvent(display, &event);
  while (event.type != MapNotify);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 8) {
    std::fprintf(stderr,
                 "usage: key-to-screen WINDOW-NAME arrow|bomb|focus PRESSES "
                 "X Y W H [SETTLE-MS]\n");
    return 2;
  }
  const std::string what = argv[2];
  const int presses = std::atoi(argv[3]);
  const int rx = std::atoi(argv[4]), ry = std::atoi(argv[5]);
  const int rw = std::atoi(argv[6]), rh = std::atoi(argv[7]);
  const double settleMs = argc > 8 ? std::atof(argv[8]) : 150;
  if (what != "arrow" && what != "bomb" && what != "focus") return 2;

  const char* displayName = std::getenv("DISPLAY");
  Display* display = XOpenDisplay(displayName);
  if (display == nullptr) {
    std::fprintf(stderr, "key-to-screen: no display\n");
    return 1;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "key-to-screen: the X server has no XTEST\n");
    return 1;
  }
  xharness::x11::Grabber grabber(displayName != nullptr ? displayName : "");
  if (!grabber.ok()) return 1;

  Window target = 0;
  for (int i = 0; i < 100 && target == 0; ++i) {
    target = findWindow(display, argv[1]);
    if (target == 0) sleepMs(50);
  }
  if (target == 0) {
    std::fprintf(stderr, "key-to-screen: no window named *%s*\n", argv[1]);
    return 1;
  }
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, target, &attributes);
  int wx = 0, wy = 0;
  Window child = 0;
  XTranslateCoordinates(display, target, DefaultRootWindow(display), 0, 0, &wx,
                        &wy, &child);
  int scale = std::min(attributes.width / pictureWidth,
                       attributes.height / pictureHeight);
  if (scale < 1) scale = 1;
  const int px = wx + (attributes.width - pictureWidth * scale) / 2;
  const int py = wy + (attributes.height - pictureHeight * scale) / 2;
  const int gx = px + rx * scale, gy = py + ry * scale;
  const int gw = rw * scale, gh = rh * scale;
  std::fprintf(stderr,
               "key-to-screen: window 0x%lx %dx%d at %d,%d, picture x%d at "
               "%d,%d; watching %dx%d at %d,%d\n",
               target, attributes.width, attributes.height, wx, wy, scale, px,
               py, gw, gh, gx, gy);

  const Window thief = what == "focus" ? makeFocusThief(display) : 0;
  if (what == "focus") {
    XSetInputFocus(display, target, RevertToParent, CurrentTime);
    XSync(display, False);
  }

  std::mt19937 random(std::random_device{}());
  std::uniform_real_distribution<double> withinFrame(0, frameMs);
  int lost = 0;
  for (int press = 0; press < presses; ++press) {
    // Still for settleMs: nothing left over from the last press.
    xharness::Screenshot before = grabber.grab(gx, gy, gw, gh);
    double stillSince = nowMs();
    for (;;) {
      sleepMs(5);
      xharness::Screenshot again = grabber.grab(gx, gy, gw, gh);
      if (again.rgb != before.rgb) {
        before = std::move(again);
        stillSince = nowMs();
      } else if (nowMs() - stillSince >= settleMs) {
        break;
      }
    }
    sleepMs(withinFrame(random));
    before = grabber.grab(gx, gy, gw, gh);

    KeyCode key = 0;
    if (what == "arrow")
      key = XKeysymToKeycode(display, press % 2 == 0 ? XK_Right : XK_Left);
    else if (what == "bomb")
      key = XKeysymToKeycode(display, XK_r);
    const double start = nowMs();
    if (key != 0)
      XTestFakeKeyEvent(display, key, True, CurrentTime);
    else
      XSetInputFocus(display, thief, RevertToParent, CurrentTime);
    XSync(display, False);

    double lastOld = start, seen = 0;
    for (;;) {
      const xharness::Screenshot now = grabber.grab(gx, gy, gw, gh);
      const double grabbed = nowMs();
      if (now.rgb != before.rgb) {
        seen = grabbed;
        break;
      }
      lastOld = grabbed;
      if (grabbed - start > giveUpMs) break;
    }
    if (key != 0)
      XTestFakeKeyEvent(display, key, False, CurrentTime);
    else
      XSetInputFocus(display, target, RevertToParent, CurrentTime);
    XSync(display, False);
    if (seen == 0) {
      ++lost;
      std::printf("lost\n");
    } else {
      std::printf("press %.3f %.3f\n", (lastOld + seen) / 2 - start,
                  seen - lastOld);
    }
    std::fflush(stdout);
  }
  if (thief != 0) XDestroyWindow(display, thief);
  XCloseDisplay(display);
  return lost == 0 ? 0 : 1;
}
