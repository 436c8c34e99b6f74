// A scripted platform for tests: every call is logged, any call that can fail
// on a real machine can be made to fail (see `Fault`), keyboard and joystick
// states are scripted per read, messages and focus changes are queued by the
// test, and each presented frame is captured. Its devices live in files of
// their own, as on the SDL side: CallLog.cpp (the log and the faults),
// Window.cpp, Display.cpp, Input.cpp and Sound.cpp.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fake {

// Handles the fake gives out, so tests can name what was released.
namespace handles {
constexpr platform::Handle window = 0x10;
constexpr platform::Handle paintDc = 0x11;
constexpr platform::Handle directDraw = 0x200;
constexpr platform::Handle primary = 0x201;
constexpr platform::Handle backBuffer = 0x202;
constexpr platform::Handle directInput = 0x100;
constexpr platform::Handle keyboard = 0x101;
constexpr platform::Handle joystickFirst = 0x102;
constexpr platform::Handle joystick = 0x103;
constexpr platform::Handle directSound = 0x300;
}  // namespace handles

// The calls a test can make fail. A call made on several objects has one
// fault per object; one fault covers a call whatever its arguments.
enum class Fault {
  createWindow,
  soundCreate,         // directSoundCreate
  soundLevel,          // dsSetCooperativeLevel
  inputCreate,         // directInputCreate
  keyboardCreate,      // diCreateDevice for the keyboard
  keyboardLevel,       // diSetCooperativeLevel on the keyboard
  keyboardFormat,      // diSetDataFormat on the keyboard
  keyboardAcquire,     // diAcquire on the keyboard
  keyboardRead,        // diGetDeviceState on the keyboard
  joystickEnum,        // diEnumDevices
  joystickCreate,      // diCreateDevice for a joystick
  joystickInterface2,  // diQueryInterface2
  joystickLevel,       // diSetCooperativeLevel on the joystick
  joystickFormat,      // diSetDataFormat on the joystick
  joystickRange,       // diSetRange, either axis
  joystickAcquire,     // diAcquire on the joystick
  joystickPoll,        // diPoll
  joystickRead,        // diGetDeviceState on the joystick
  videoCreate,         // directDrawCreate
  videoLevel,          // ddSetCooperativeLevel
  displayMode,         // ddSetDisplayMode
  primaryCreate,       // ddCreatePrimarySurface, with or without flip chain
  backBufferAttach,    // ddGetAttachedBackBuffer
  pixelFormat,         // ddGetPixelFormat
  surfaceCreate,       // ddCreateOffscreenSurface, any size
  blitToBack,          // ddBltFromMemory onto the back buffer
  blitToPrimary,       // ddBltFromMemory onto the primary (windowed)
  surfaceCopy,         // ddBltSurface
  flip,                // ddFlip
  verticalBlank,       // ddWaitForVerticalBlank
  restorePrimary,      // ddRestore of the primary
  restoreBack,         // ddRestore of the back buffer
  count
};

// The fault's name, as in the enumeration ("keyboardAcquire").
const char* nameOf(Fault fault);

struct MessageBoxShown {
  std::string text;
  std::string caption;
};

struct TextDrawn {
  int x, y;
  std::string text;
  std::uint32_t colour;
  int bkMode;
};

constexpr int desktopWidth = 1024;
constexpr int desktopHeight = 768;

struct State {
  // Calls, in order: the function's name, then the object it acted on
  // ("diAcquire keyboard"), then any flags in decimal.
  std::vector<std::string> calls;
  std::set<Fault> failing;  // see `fail`
  std::set<Fault> hit;      // faults that made a call fail
  bool logCalls = true;
  bool echo = false;  // also write every call to standard error

  // Window and messages.
  platform::WindowProc windowProc = nullptr;
  platform::Handle window = 0;
  bool focusOnCreate = true;  // a new window takes the focus at once
  bool focus = false;
  bool destroyed = false;
  bool cursorShown = true;
  int windowWidth = 0, windowHeight = 0;  // the client size asked for
  bool windowFullScreen = false;
  bool invalid = false;
  platform::Rect clientRect{100, 80, 420, 320};  // screen position of client
  int frameLeft = 4, frameTop = 30, frameRight = 4, frameBottom = 4;
  std::deque<platform::MSG> queue;
  int waits = 0;                 // waitMessage calls
  std::function<void()> onWait;  // called by waitMessage, may queue messages
  std::vector<MessageBoxShown> messageBoxes;
  std::vector<TextDrawn> textDrawn;
  std::uint32_t tickCount = 123456;

  // Display.
  platform::PixelMasks masks{0xF800, 0x07E0, 0x001F};
  int desktopWidthPixels = desktopWidth;
  int desktopHeightPixels = desktopHeight;
  bool displayModeSet = false;
  bool primaryLost = false;
  bool backLost = false;
  std::vector<std::uint16_t> backImage;   // 320 x 240
  std::vector<std::uint16_t> frontImage;  // 320 x 240
  std::vector<std::uint16_t> desktop;     // windowed presentation target
  int presented = 0;                      // frames shown
  // Called with the 320 x 240 picture each time a frame is shown.
  std::function<void(const std::uint16_t* pixels)> onPresent;
  std::vector<std::uint16_t*> surfaces;  // off-screen memory handed out

  // Input.
  bool keyboardAcquired = false;
  std::uint8_t keys[256] = {};
  // Called on every successful keyboard read to fill the snapshot; when
  // empty, `keys` is copied.
  std::function<void(std::uint8_t* state)> keyboardScript;
  int keyboardReads = 0;
  bool joystickAttached = false;
  platform::Guid joystickGuid{
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
  bool joystickAcquired = false;
  platform::DIJOYSTATE joystickState{};
  std::function<void(platform::DIJOYSTATE& state)> joystickScript;
  int joystickReads = 0;
  platform::Rect rangeX{}, rangeY{};  // left = min, right = max

  // Sound.
  bool soundOpen = false;
};

State& state();

// Back to a new machine: no calls, no failures, nothing queued. Faults set
// but never hit are remembered for `faultsNeverHit`.
void reset();

// Make the calls under `fault` fail from now on. A fault that no call ever
// hits is a mistake in the test: `faultsNeverHit` lists it, and a process
// that ends with one prints "fake: fault never hit: <name>" to standard error
// and exits with status `neverHitStatus`.
void fail(Fault fault);
constexpr int neverHitStatus = 86;

// Faults set since the last `forgetFaults` that no call hit, then forgets
// them all.
std::vector<Fault> faultsNeverHit();
void forgetFaults();

// Index of the first logged call with this name, or -1.
int indexOf(const std::string& name);
bool called(const std::string& name);
// Number of logged calls that start with `prefix`.
int count(const std::string& prefix);

// Window events as the system would deliver them.
void post(std::uint32_t message, platform::WPARAM wParam = 0,
          platform::LPARAM lParam = 0);
// Queues WM_KILLFOCUS and a repaint request (which invalidates the window
// when it is taken off the queue); the keyboard is lost at once.
void loseFocus();
void gainFocus();    // queues WM_SETFOCUS
void closeWindow();  // queues the close request
void moveWindow(int clientLeft, int clientTop);

// Keyboard helpers for `keys`.
void pressKey(int code);
void releaseKey(int code);

}  // namespace fake
