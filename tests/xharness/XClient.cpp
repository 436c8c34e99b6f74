#include "tests/xharness/XClient.h"

#include <algorithm>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace xharness::x11 {
namespace {

// The font set SDL 2's X11 message box asks for.
constexpr const char* boxFontSet = "-*-*-medium-r-normal--*-120-*-*-*-*-*-*";

Display* asDisplay(void* d) { return static_cast<Display*>(d); }

// Brings a pixel of an XImage to 8-bit red, green, blue.
struct Channels {
  unsigned long mask;
  int shift = 0;
  int bits = 0;
  explicit Channels(unsigned long m) : mask(m) {
    while (m != 0 && (m & 1) == 0) {
      m >>= 1;
      ++shift;
    }
    while (m & 1) {
      m >>= 1;
      ++bits;
    }
  }
  std::uint8_t of(unsigned long pixel) const {
    if (bits == 0) return 0;
    const unsigned long v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>(bits >= 8 ? v >> (bits - 8)
                                               : v << (8 - bits));
  }
};

}  // namespace

bool sendCloseRequest(const std::string& display, unsigned long window,
                      std::string* error) {
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) {
    if (error) *error = "cannot open display " + display;
    return false;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] =
      static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(d, window, False, NoEventMask, &event);
  XSync(d, False);
  XCloseDisplay(d);
  if (sent == 0 && error) *error = "XSendEvent failed";
  return sent != 0;
}

Grabber::Grabber(const std::string& display)
    : display_(XOpenDisplay(display.c_str())) {}

Grabber::~Grabber() {
  if (display_ != nullptr) XCloseDisplay(asDisplay(display_));
}

Screenshot Grabber::grab(int x, int y, int width, int height) {
  if (display_ == nullptr) return {};
  Display* d = asDisplay(display_);
  XImage* image =
      XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  Screenshot shot(width, height);
  const Channels red(image->red_mask), green(image->green_mask),
      blue(image->blue_mask);
  if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
      image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
      image->blue_mask == 0xFF) {
    // The usual 24-bit screen: blue, green, red, pad in memory.
    for (int row = 0; row < height; ++row) {
      const auto* src = reinterpret_cast<const std::uint8_t*>(
          image->data +
          static_cast<std::ptrdiff_t>(row) * image->bytes_per_line);
      for (int col = 0; col < width; ++col, src += 4)
        shot.set(col, row, src[2], src[1], src[0]);
    }
    XDestroyImage(image);
    return shot;
  }
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) {
      const unsigned long pixel = XGetPixel(image, col, row);
      shot.set(col, row, red.of(pixel), green.of(pixel), blue.of(pixel));
    }
  XDestroyImage(image);
  return shot;
}

std::optional<Bitmap> renderBoxText(const std::string& display,
                                    const std::string& text,
                                    std::string* error) {
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) {
    if (error) *error = "cannot open display " + display;
    return std::nullopt;
  }
  char** missing = nullptr;
  int missingCount = 0;
  XFontSet fonts =
      XCreateFontSet(d, boxFontSet, &missing, &missingCount, nullptr);
  if (missing != nullptr) XFreeStringList(missing);
  if (fonts == nullptr) {
    if (error) *error = std::string("no font set ") + boxFontSet;
    XCloseDisplay(d);
    return std::nullopt;
  }
  XRectangle ink{}, logical{};
  Xutf8TextExtents(fonts, text.c_str(), static_cast<int>(text.size()), &ink,
                   &logical);
  const int margin = 4;
  const int width = logical.width + 2 * margin;
  const int height = logical.height + 2 * margin;
  const Window root = DefaultRootWindow(d);
  const Pixmap pixmap = XCreatePixmap(
      d, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
      static_cast<unsigned>(DefaultDepth(d, DefaultScreen(d))));
  const GC gc = XCreateGC(d, pixmap, 0, nullptr);
  XSetForeground(d, gc, BlackPixel(d, DefaultScreen(d)));
  XFillRectangle(d, pixmap, gc, 0, 0, static_cast<unsigned>(width),
                 static_cast<unsigned>(height));
  XSetForeground(d, gc, WhitePixel(d, DefaultScreen(d)));
  Xutf8DrawString(d, pixmap, fonts, gc, margin, margin - logical.y,
                  text.c_str(), static_cast<int>(text.size()));
  XImage* image = XGetImage(d, pixmap, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  std::optional<Bitmap> result;
  if (image != nullptr) {
    const unsigned long black = BlackPixel(d, DefaultScreen(d));
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (XGetPixel(image, x, y) != black) {
          x0 = std::min(x0, x);
          y0 = std::min(y0, y);
          x1 = std::max(x1, x);
          y1 = std::max(y1, y);
        }
    if (x1 >= 0) {
      Bitmap bitmap;
      bitmap.width = x1 - x0 + 1;
      bitmap.height = y1 - y0 + 1;
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
          bitmap.ink.push_back(XGetPixel(image, x, y) != black);
      result = bitmap;
    } else if (error) {
      *error = "the text left no ink";
    }
    XDestroyImage(image);
  }
  XFreeGC(d, gc);
  XFreePixmap(d, pixmap);
  XFreeFontSet(d, fonts);
  XCloseDisplay(d);
  return result;
}

bool containsText(const Screenshot& image, const Bitmap& text, int threshold) {
  auto inked = [&](int x, int y) {
    const std::uint8_t* p = image.at(x, y);
    return (p[0] + p[1] + p[2]) / 3 > threshold;
  };
  for (int y = 0; y + text.height <= image.height; ++y)
    for (int x = 0; x + text.width <= image.width; ++x) {
      bool match = true;
      for (int ty = 0; ty < text.height && match; ++ty)
        for (int tx = 0; tx < text.width; ++tx)
          if (inked(x + tx, y + ty) != text.at(tx, ty)) {
            match = false;
            break;
          }
      if (match) return true;
    }
  return false;
}

}  // namespace xharness::x11
