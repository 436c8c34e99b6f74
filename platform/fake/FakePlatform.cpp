#include "platform/fake/FakePlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace fake {

State& state() {
  // Never destroyed: the game's global objects release their devices while
  // the program exits, after every ordinary static would be gone.
  static State* instance = new State();
  return *instance;
}

void reset() {
  auto& s = state();
  std::vector<std::uint16_t*> surfaces = std::move(s.surfaces);
  s = State();
  s.surfaces = std::move(surfaces);  // kept: the game may still point at them
}

void fail(const std::string& name) { state().failing.insert(name); }

int indexOf(const std::string& name) {
  const auto& calls = state().calls;
  auto it = std::find(calls.begin(), calls.end(), name);
  return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
}

bool called(const std::string& name) { return indexOf(name) >= 0; }

int count(const std::string& prefix) {
  int n = 0;
  for (const auto& c : state().calls)
    if (c.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

void post(std::uint32_t message, platform::WPARAM wParam,
          platform::LPARAM lParam) {
  state().queue.push_back({state().window, message, wParam, lParam});
}

void loseFocus() {
  auto& s = state();
  s.focus = false;
  s.keyboardAcquired = false;
  post(platform::WM_KILLFOCUS);
  post(platform::WM_PAINT);
}

void gainFocus() {
  state().focus = true;
  post(platform::WM_SETFOCUS);
}

void closeWindow() { post(platform::WM_CLOSE); }

void moveWindow(int clientLeft, int clientTop) {
  auto& r = state().clientRect;
  r = {clientLeft, clientTop, clientLeft + 320, clientTop + 240};
}

void pressKey(int code) { state().keys[code & 0xFF] = 0x80; }
void releaseKey(int code) { state().keys[code & 0xFF] = 0; }

namespace {

// Logs the call and answers whether the test wants it to fail.
bool log(const std::string& name) {
  auto& s = state();
  if (s.logCalls) s.calls.push_back(name);
  if (s.echo) std::fprintf(stderr, "fake: %s\n", name.c_str());
  return s.failing.count(name) != 0;
}

const char* nameOf(platform::Handle h) {
  switch (h) {
    case handles::window:
      return "window";
    case handles::directDraw:
      return "directDraw";
    case handles::primary:
      return "primary";
    case handles::backBuffer:
      return "backBuffer";
    case handles::directInput:
      return "directInput";
    case handles::keyboard:
      return "keyboard";
    case handles::joystickFirst:
      return "joystickFirst";
    case handles::joystick:
      return "joystick";
    case handles::directSound:
      return "directSound";
    default:
      return "unknown";
  }
}

std::string on(const char* call, platform::Handle h) {
  return std::string(call) + " " + nameOf(h);
}

std::vector<std::uint16_t>& image(std::vector<std::uint16_t>& v, int w, int h) {
  if (v.size() != static_cast<std::size_t>(w * h)) v.assign(w * h, 0);
  return v;
}

void showFrame(const std::uint16_t* pixels) {
  auto& s = state();
  ++s.presented;
  if (s.onPresent) s.onPresent(pixels);
}

}  // namespace
}  // namespace fake

namespace platform {
using fake::handles::backBuffer;
using fake::handles::primary;

void registerClass(const WindowClass& windowClass) {
  fake::log("registerClass");
  fake::state().windowProc = windowClass.windowProc;
}

Handle createWindow(const char*, const char*, std::uint32_t, int, int, bool,
                    Handle) {
  auto& s = fake::state();
  if (fake::log("createWindow")) return 0;
  s.window = fake::handles::window;
  if (s.windowProc) s.windowProc(s.window, WM_CREATE, 0, 0);
  if (s.focusOnCreate) {
    s.focus = true;
    if (s.windowProc) s.windowProc(s.window, WM_SETFOCUS, 0, 0);
  }
  return s.window;
}

void getWindowRect(Handle, Rect* rect) {
  auto& s = fake::state();
  fake::log("getWindowRect");
  *rect = {s.clientRect.left - s.frameLeft, s.clientRect.top - s.frameTop,
           s.clientRect.right + s.frameRight,
           s.clientRect.bottom + s.frameBottom};
}

void adjustWindowRect(Rect* rect, std::uint32_t) {
  auto& s = fake::state();
  rect->left -= s.frameLeft;
  rect->top -= s.frameTop;
  rect->right += s.frameRight;
  rect->bottom += s.frameBottom;
}

void showCursor(bool show) {
  fake::log(show ? "showCursor 1" : "showCursor 0");
  fake::state().cursorShown = show;
}

bool peekMessage(MSG* message) {
  auto& s = fake::state();
  if (s.queue.empty()) return false;
  *message = s.queue.front();
  s.queue.pop_front();
  // Taking the repaint request makes the window invalid until it is painted,
  // as on the real layer.
  if (message->message == WM_PAINT) s.invalid = true;
  return true;
}

bool waitMessage(int) {
  auto& s = fake::state();
  ++s.waits;
  if (s.queue.empty() && s.onWait) s.onWait();
  return !s.queue.empty();
}

bool quitPending() {
  for (const MSG& message : fake::state().queue)
    if (message.message == WM_CLOSE || message.message == WM_DESTROY ||
        message.message == WM_QUIT)
      return true;
  return false;
}

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
  auto& s = fake::state();
  if (!s.windowProc || message.hwnd != s.window) return 0;
  return s.windowProc(message.hwnd, message.message, message.wParam,
                      message.lParam);
}

LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM, LPARAM) {
  auto& s = fake::state();
  if (message == WM_CLOSE && !s.destroyed) {
    fake::log("destroyWindow");
    s.destroyed = true;
    if (s.windowProc) s.windowProc(window, WM_DESTROY, 0, 0);
  }
  return 0;
}

void postMessage(Handle window, std::uint32_t message, WPARAM wParam,
                 LPARAM lParam) {
  fake::state().queue.push_back({window, message, wParam, lParam});
}

namespace {
std::uint32_t textColour = 0;
int bkMode = 2;
bool painting = false;
}  // namespace

Handle beginPaint(Handle) {
  fake::log("beginPaint");
  painting = fake::state().invalid;
  return fake::handles::paintDc;
}
void setBkMode(Handle, int mode) { bkMode = mode; }
void setTextColor(Handle, std::uint32_t rgb) { textColour = rgb; }
void setBkColor(Handle, std::uint32_t) {}
void textOut(Handle, int x, int y, const char* text, int length) {
  fake::log("textOut");
  // Text reaches the screen only where the window was invalid.
  if (painting)
    fake::state().textDrawn.push_back(
        {x, y, std::string(text, length), textColour, bkMode});
}
void endPaint(Handle, Handle) {
  fake::log("endPaint");
  fake::state().invalid = false;
  painting = false;
}

int messageBox(const char* text, const char* caption, std::uint32_t) {
  fake::log(std::string("messageBox ") + text);
  fake::state().messageBoxes.push_back({text, caption});
  return 1;
}

std::uint32_t getTickCount() { return fake::state().tickCount; }

// ---------------------------------------------------------------- display

HRESULT directDrawCreate(Handle* directDraw) {
  if (fake::log("directDrawCreate")) return E_FAIL;
  *directDraw = fake::handles::directDraw;
  return DD_OK;
}

HRESULT ddSetCooperativeLevel(Handle, Handle, std::uint32_t flags) {
  return fake::log("ddSetCooperativeLevel " + std::to_string(flags)) ? E_FAIL
                                                                     : DD_OK;
}

HRESULT ddSetDisplayMode(Handle, int width, int height, int) {
  auto& s = fake::state();
  if (fake::log("ddSetDisplayMode")) return E_FAIL;
  if (s.desktopWidthPixels < width || s.desktopHeightPixels < height)
    return E_FAIL;
  s.displayModeSet = true;
  return DD_OK;
}

HRESULT ddCreatePrimarySurface(Handle, bool flipChain, Handle* surface) {
  if (fake::log(flipChain ? "ddCreatePrimarySurface flip"
                          : "ddCreatePrimarySurface"))
    return E_FAIL;
  *surface = primary;
  return DD_OK;
}

HRESULT ddGetAttachedBackBuffer(Handle, Handle* surface) {
  if (fake::log("ddGetAttachedBackBuffer")) return E_FAIL;
  *surface = backBuffer;
  return DD_OK;
}

HRESULT ddGetPixelFormat(Handle, PixelMasks* masks) {
  if (fake::log("ddGetPixelFormat")) return E_FAIL;
  *masks = fake::state().masks;
  return DD_OK;
}

HRESULT ddCreateOffscreenSurface(Handle, int width, int height,
                                 std::uint16_t** pixels) {
  if (fake::log("ddCreateOffscreenSurface " + std::to_string(width) + "x" +
                std::to_string(height)))
    return E_FAIL;
  auto* memory = new std::uint16_t[static_cast<std::size_t>(width) * height]();
  fake::state().surfaces.push_back(memory);
  *pixels = memory;
  return DD_OK;
}

HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddBltFromMemory", target))) return E_FAIL;
  const int w = source.right - source.left;
  const int h = source.bottom - source.top;
  if (target == backBuffer) {
    if (s.backLost || s.primaryLost) return DDERR_SURFACELOST;
    auto& back = fake::image(s.backImage, 320, 240);
    for (int y = 0; y < h; ++y)
      std::memcpy(&back[(destination.top + y) * 320 + destination.left],
                  pixels + (source.top + y) * sourcePitch + source.left, w * 2);
    return DD_OK;
  }
  if (target == primary) {  // windowed: the desktop
    if (s.primaryLost) return DDERR_SURFACELOST;
    auto& desk =
        fake::image(s.desktop, fake::desktopWidth, fake::desktopHeight);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int dx = destination.left + x, dy = destination.top + y;
        if (dx >= 0 && dy >= 0 && dx < fake::desktopWidth &&
            dy < fake::desktopHeight)
          desk[dy * fake::desktopWidth + dx] =
              pixels[(source.top + y) * sourcePitch + source.left + x];
      }
    auto& front = fake::image(s.frontImage, 320, 240);
    for (int y = 0; y < 240; ++y)
      std::memcpy(&front[y * 320], pixels + y * sourcePitch, 640);
    fake::showFrame(front.data());
    return DD_OK;
  }
  return E_FAIL;
}

HRESULT ddBltSurface(Handle target, const Rect&, Handle source, const Rect&) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddBltSurface", target))) return E_FAIL;
  if (target == backBuffer && source == primary)
    fake::image(s.backImage, 320, 240) = fake::image(s.frontImage, 320, 240);
  return DD_OK;
}

HRESULT ddFlip(Handle) {
  auto& s = fake::state();
  if (fake::log("ddFlip")) return E_FAIL;
  if (s.primaryLost || s.backLost) return DDERR_SURFACELOST;
  std::swap(fake::image(s.frontImage, 320, 240),
            fake::image(s.backImage, 320, 240));
  fake::showFrame(s.frontImage.data());
  return DD_OK;
}

HRESULT ddWaitForVerticalBlank(Handle) {
  return fake::log("ddWaitForVerticalBlank") ? E_FAIL : DD_OK;
}

HRESULT ddIsLost(Handle surface) {
  auto& s = fake::state();
  fake::log(fake::on("ddIsLost", surface));
  if (surface == primary && s.primaryLost) return DDERR_SURFACELOST;
  if (surface == backBuffer && s.backLost) return DDERR_SURFACELOST;
  return DD_OK;
}

HRESULT ddRestore(Handle surface) {
  auto& s = fake::state();
  if (fake::log(fake::on("ddRestore", surface))) return E_FAIL;
  if (surface == primary) s.primaryLost = false;
  if (surface == backBuffer) s.backLost = false;
  return DD_OK;
}

void ddRelease(Handle object) { fake::log(fake::on("ddRelease", object)); }

// ---------------------------------------------------------------- input

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  if (fake::log("directInputCreate")) return E_FAIL;
  *directInput = fake::handles::directInput;
  return DI_OK;
}

HRESULT diCreateDevice(Handle, const Guid& guid, Handle* device) {
  auto& s = fake::state();
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0) {
    if (fake::log("diCreateDevice keyboard")) return E_FAIL;
    *device = fake::handles::keyboard;
    return DI_OK;
  }
  if (fake::log("diCreateDevice joystick")) return E_FAIL;
  if (!s.joystickAttached ||
      std::memcmp(&guid, &s.joystickGuid, sizeof guid) != 0)
    return E_FAIL;
  *device = fake::handles::joystickFirst;
  return DI_OK;
}

HRESULT diEnumDevices(Handle, std::uint32_t, EnumDevicesCallback callback,
                      void* reference, std::uint32_t) {
  auto& s = fake::state();
  if (fake::log("diEnumDevices")) return E_FAIL;
  if (s.joystickAttached) {
    DeviceInstance first{s.joystickGuid};
    if (callback(first, reference) == DIENUM_STOP) return DI_OK;
    DeviceInstance second{{{0xEE}}};
    callback(second, reference);
  }
  return DI_OK;
}

HRESULT diQueryInterface2(Handle device, Handle* device2) {
  if (fake::log(fake::on("diQueryInterface2", device))) return E_FAIL;
  *device2 = fake::handles::joystick;
  return DI_OK;
}

HRESULT diSetCooperativeLevel(Handle device, Handle, std::uint32_t flags) {
  return fake::log(fake::on("diSetCooperativeLevel", device) + " " +
                   std::to_string(flags))
             ? E_FAIL
             : DI_OK;
}

HRESULT diSetDataFormat(Handle device, DataFormat) {
  return fake::log(fake::on("diSetDataFormat", device)) ? E_FAIL : DI_OK;
}

HRESULT diSetRange(Handle device, std::uint32_t axis, std::int32_t min,
                   std::int32_t max) {
  auto& s = fake::state();
  if (fake::log(fake::on("diSetRange", device) + " " + std::to_string(axis)))
    return E_FAIL;
  (axis == DIJOFS_X ? s.rangeX : s.rangeY) = {min, 0, max, 0};
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  auto& s = fake::state();
  if (fake::log(fake::on("diAcquire", device))) return E_FAIL;
  if (device == fake::handles::keyboard) {
    if (!s.focus) return E_FAIL;  // foreground only
    s.keyboardAcquired = true;
  } else if (device == fake::handles::joystick) {
    s.joystickAcquired = true;
  }
  return DI_OK;
}

HRESULT diUnacquire(Handle device) {
  auto& s = fake::state();
  fake::log(fake::on("diUnacquire", device));
  if (device == fake::handles::keyboard) s.keyboardAcquired = false;
  if (device == fake::handles::joystick) s.joystickAcquired = false;
  return DI_OK;
}

HRESULT diPoll(Handle device) {
  return fake::log(fake::on("diPoll", device)) ? E_FAIL : DI_OK;
}

HRESULT diGetDeviceState(Handle device, std::uint32_t size, void* data) {
  auto& s = fake::state();
  if (fake::log(fake::on("diGetDeviceState", device))) return E_FAIL;
  if (device == fake::handles::keyboard) {
    if (!s.keyboardAcquired || !s.focus || size != 256) return E_FAIL;
    ++s.keyboardReads;
    if (s.keyboardScript) s.keyboardScript(s.keys);
    std::memcpy(data, s.keys, 256);
    return DI_OK;
  }
  if (device == fake::handles::joystick) {
    if (!s.joystickAttached || size != sizeof(DIJOYSTATE)) return E_FAIL;
    ++s.joystickReads;
    if (s.joystickScript) s.joystickScript(s.joystickState);
    std::memcpy(data, &s.joystickState, sizeof(DIJOYSTATE));
    return DI_OK;
  }
  return E_FAIL;
}

void diRelease(Handle object) { fake::log(fake::on("diRelease", object)); }

// ---------------------------------------------------------------- sound

HRESULT directSoundCreate(Handle* directSound) {
  if (fake::log("directSoundCreate")) return E_FAIL;
  *directSound = fake::handles::directSound;
  fake::state().soundOpen = true;  // the device opens with the object
  return DS_OK;
}

HRESULT dsSetCooperativeLevel(Handle, Handle, std::uint32_t level) {
  if (fake::log("dsSetCooperativeLevel " + std::to_string(level)))
    return E_FAIL;
  return DS_OK;
}

void dsRelease(Handle object) {
  fake::log(fake::on("dsRelease", object));
  fake::state().soundOpen = false;
}

}  // namespace platform
