// What the suite asks of the X server directly, where no command-line tool
// does it: the close request a window manager sends when the user clicks a
// window's close button, a quick grab of the screen for watching fast
// changes, and text drawn in the core font that SDL's message box uses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/xharness/Image.h"

namespace xharness::x11 {

// Sends WM_PROTOCOLS / WM_DELETE_WINDOW to `window`: a request to close,
// not a destruction.
bool sendCloseRequest(const std::string& display, unsigned long window,
                      std::string* error = nullptr);

// One connection for grabbing the screen quickly (a few milliseconds where
// import takes a tenth of a second). Used to time changes; the screenshots
// kept as evidence come from import.
class Grabber {
 public:
  explicit Grabber(const std::string& display);
  ~Grabber();
  Grabber(const Grabber&) = delete;
  Grabber& operator=(const Grabber&) = delete;
  bool ok() const { return display_ != nullptr; }
  // A rectangle of the root window, in screen coordinates.
  Screenshot grab(int x, int y, int width, int height);

 private:
  void* display_ = nullptr;
};

// A black and white picture: the ink of a text.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<bool> ink;
  bool at(int x, int y) const {
    return ink[static_cast<std::size_t>(y * width + x)];
  }
};

// `text` as SDL's X11 message box writes it (its core font set, the default
// locale), cut to its ink.
std::optional<Bitmap> renderBoxText(const std::string& display,
                                    const std::string& text,
                                    std::string* error = nullptr);

// Whether `text` appears in `image` (pixels brighter than `threshold` are
// ink), exactly: its ink and the gaps in it.
bool containsText(const Screenshot& image, const Bitmap& text, int threshold);

}  // namespace xharness::x11
