// first-picture: starts a program and measures, from outside, how long it
// takes until its first picture is on the X screen. The screen must be black
// before (Xvfb -br, nothing else shown); the picture counts as there as soon
// as any pixel of the screen is not black. The whole screen is read back
// again and again (XGetImage); the picture appeared between the last read
// that was all black and the first that was not, and both ends are printed.
//
//   first-picture [--timeout SECONDS] -- PROGRAM [ARGUMENTS...]
//
// Prints "first-picture <ms> <earliest ms> <latest ms>" and ends the program
// with SIGTERM. Exit status 0 when a picture was seen, 1 otherwise.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double nowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// True when any pixel of the screen is not black.
bool somethingShown(Display* display, Window root, int width, int height) {
  XImage* image =
      XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool shown = false;
  const unsigned long colourBits =
      image->red_mask | image->green_mask | image->blue_mask;
  if (image->bits_per_pixel == 32) {
    for (int y = 0; y < height && !shown; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(
          image->data + static_cast<long>(y) * image->bytes_per_line);
      std::uint32_t any = 0;
      for (int x = 0; x < width; ++x) any |= row[x];
      shown = (any & colourBits) != 0;
    }
  } else {
    for (int y = 0; y < height && !shown; ++y)
      for (int x = 0; x < width && !shown; ++x)
        shown = (XGetPixel(image, x, y) & colourBits) != 0;
  }
  XDestroyImage(image);
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  double timeoutMs = 10000;
  int first = 1;
  for (; first < argc; ++first) {
    if (std::strcmp(argv[first], "--timeout") == 0 && first + 1 < argc) {
      timeoutMs = std::atof(argv[++first]) * 1000;
    } else if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::fprintf(stderr,
                 "usage: first-picture [--timeout SECONDS] -- PROGRAM "
                 "[ARGUMENTS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "first-picture: no X display\n");
    return 2;
  }
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const int width = DisplayWidth(display, screen);
  const int height = DisplayHeight(display, screen);
  if (somethingShown(display, root, width, height)) {
    std::fprintf(stderr,
                 "first-picture: the screen is not black to begin with "
                 "(start Xvfb with -br)\n");
    return 2;
  }

  const double launch = nowMs();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[first], argv + first);
    std::perror("first-picture: exec");
    _exit(127);
  }
  if (child < 0) return 2;

  // The picture came after the server read the screen for the last black
  // read (no earlier than that read was asked for) and before the first
  // read that was not black returned.
  double lastBlack = launch;
  double seen = -1;
  while (nowMs() - launch < timeoutMs) {
    const double asked = nowMs();
    if (somethingShown(display, root, width, height)) {
      seen = nowMs();
      break;
    }
    lastBlack = asked;
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      std::fprintf(stderr, "first-picture: the program ended first\n");
      return 1;
    }
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  XCloseDisplay(display);
  if (seen < 0) {
    std::fprintf(stderr, "first-picture: nothing shown within %.0f ms\n",
                 timeoutMs);
    return 1;
  }
  std::printf("first-picture %.1f %.1f %.1f\n", (lastBlack + seen) / 2 - launch,
              lastBlack - launch, seen - launch);
  return 0;
}
