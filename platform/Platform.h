// What the game needs of the machine it runs on: a window with a message
// queue, message boxes, a millisecond tick count, a display with a flip
// chain, a keyboard and a joystick, and a sound device.
//
// The calls keep the shape of the classic Windows and DirectX calls the game
// was written against (one call per step, an HRESULT-style result where 0
// means success, handles as plain numbers where 0 means "none"), so that every
// step that can fail can be failed on its own by the scripted platform the
// tests link. The real implementation lives in platform/sdl/, the scripted
// one in platform/fake/, the browser's in platform/web/. Nothing outside
// platform/sdl/ (and the tests of it) sees SDL.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/KeyNumbers.h"

namespace platform {

using Handle = std::uintptr_t;  // 0 means "none"
using HRESULT = std::int32_t;   // 0 means success, anything else failure
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

struct Rect {
  std::int32_t left, top, right, bottom;
};

// ---------------------------------------------------------------- window

constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;

constexpr std::uint32_t CS_DBLCLKS = 0x0008;
constexpr std::uint32_t CS_OWNDC = 0x0020;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr int IDI_ASTERISK = 32516;
constexpr int IDC_ARROW = 32512;
constexpr std::uint32_t MB_OK = 0x0;
constexpr int TRANSPARENT = 1;

struct MSG {
  Handle hwnd;
  std::uint32_t message;
  WPARAM wParam;
  LPARAM lParam;
};

using WindowProc = LRESULT (*)(Handle window, std::uint32_t message,
                               WPARAM wParam, LPARAM lParam);

struct WindowClass {
  std::uint32_t style;
  WindowProc windowProc;
  int icon;    // system icon id
  int cursor;  // system cursor id
  const char* className;
};

// Registers the class whose window procedure receives the window's messages.
void registerClass(const WindowClass& windowClass);

// Creates the visible window with a client area of clientWidth by
// clientHeight (or, full screen, covering the desktop with that logical
// picture size). Returns once the window is shown and has the keyboard focus,
// or after a bounded wait. 0 if it could not be created.
Handle createWindow(const char* className, const char* caption,
                    std::uint32_t style, int clientWidth, int clientHeight,
                    bool fullScreen, Handle instance);

// Screen rectangle of the whole window, frame included.
void getWindowRect(Handle window, Rect* rect);
// Grows a client rectangle into the window rectangle for a window of `style`.
void adjustWindowRect(Rect* rect, std::uint32_t style);
void showCursor(bool show);

// Takes the next waiting message off the queue; false when none is waiting.
bool peekMessage(MSG* message);
// Waits until a message is waiting or timeoutMs have passed (never removes
// one). True when one is waiting.
bool waitMessage(int timeoutMs);
// True when a request to end the program is waiting in the queue: a close
// request for the window, WM_DESTROY, WM_QUIT, or what a termination signal
// (SIGINT, SIGTERM) becomes. Removes nothing, so the pump still takes each
// message in its turn. For waits that take no messages (a held control),
// which must still give way to such a request.
bool quitPending();
void translateMessage(const MSG& message);
// Hands the message to the window procedure of its class.
LRESULT dispatchMessage(const MSG& message);
// What the system does with a message the window procedure passes on: a
// close request destroys the window, which sends it WM_DESTROY.
LRESULT defWindowProc(Handle window, std::uint32_t message, WPARAM wParam,
                      LPARAM lParam);
void postMessage(Handle window, std::uint32_t message, WPARAM wParam,
                 LPARAM lParam);

// Painting of the window's client area. Between beginPaint and endPaint,
// text drawn with textOut appears only where the window was invalid; endPaint
// validates the window.
Handle beginPaint(Handle window);
void setBkMode(Handle dc, int mode);
void setTextColor(Handle dc, std::uint32_t rgb);
void setBkColor(Handle dc, std::uint32_t rgb);
void textOut(Handle dc, int x, int y, const char* text, int length);
void endPaint(Handle window, Handle dc);

// A modal box with no owner window and one OK button. Where no box can be
// shown the text goes to standard error instead.
int messageBox(const char* text, const char* caption, std::uint32_t type);

// Milliseconds since the system started (wraps after 49.7 days).
std::uint32_t getTickCount();

// ---------------------------------------------------------------- display

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr std::uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr std::uint32_t DDSCL_ALLOWREBOOT = 0x2;
constexpr std::uint32_t DDSCL_NORMAL = 0x8;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10;

struct PixelMasks {
  std::uint32_t red, green, blue;
};

HRESULT directDrawCreate(Handle* directDraw);
HRESULT ddSetCooperativeLevel(Handle directDraw, Handle window,
                              std::uint32_t flags);
HRESULT ddSetDisplayMode(Handle directDraw, int width, int height,
                         int bitsPerPixel);
// The primary surface: full screen the front buffer of a flip chain with one
// back buffer, windowed the desktop.
HRESULT ddCreatePrimarySurface(Handle directDraw, bool flipChain,
                               Handle* primary);
HRESULT ddGetAttachedBackBuffer(Handle primary, Handle* backBuffer);
HRESULT ddGetPixelFormat(Handle surface, PixelMasks* masks);
// An off-screen surface in system memory: width * height 16-bit pixels with
// packed rows, zero-filled, owned by the caller until the process ends.
HRESULT ddCreateOffscreenSurface(Handle directDraw, int width, int height,
                                 std::uint16_t** pixels);
// Copies `source` (of a surface in system memory, `sourcePitch` pixels per
// row) to `destination` of a display surface; waits while the display is busy.
HRESULT ddBltFromMemory(Handle target, const Rect& destination,
                        const std::uint16_t* pixels, int sourcePitch,
                        const Rect& source);
// Copies between two display surfaces.
HRESULT ddBltSurface(Handle target, const Rect& destination, Handle source,
                     const Rect& sourceRect);
// Exchanges front and back buffer at the display's next refresh and waits
// until the exchange is accepted.
HRESULT ddFlip(Handle primary);
HRESULT ddWaitForVerticalBlank(Handle directDraw);
HRESULT ddIsLost(Handle surface);
HRESULT ddRestore(Handle surface);
void ddRelease(Handle object);

// ---------------------------------------------------------------- input

constexpr HRESULT DI_OK = 0;
constexpr std::uint32_t DISCL_NONEXCLUSIVE = 0x2;
constexpr std::uint32_t DISCL_FOREGROUND = 0x4;
constexpr std::uint32_t DISCL_BACKGROUND = 0x8;
constexpr std::uint32_t DIDEVTYPE_JOYSTICK = 4;
constexpr std::uint32_t DIEDFL_ATTACHEDONLY = 1;
constexpr int DIENUM_STOP = 0;
constexpr int DIENUM_CONTINUE = 1;
constexpr std::uint32_t DIJOFS_X = 0;
constexpr std::uint32_t DIJOFS_Y = 4;

struct Guid {
  std::uint8_t bytes[16];
};
constexpr Guid GUID_SysKeyboard{{0x61, 0xE2, 0x74, 0x6F, 0x01, 0x00, 0x00, 0x00,
                                 0x4B, 0x45, 0x59, 0x42, 0x4F, 0x41, 0x52,
                                 0x44}};

struct DeviceInstance {
  Guid guidInstance;
};
using EnumDevicesCallback = int (*)(const DeviceInstance& device,
                                    void* reference);

enum class DataFormat { keyboard, joystick };

struct DIJOYSTATE {
  std::int32_t lX, lY, lZ, lRx, lRy, lRz;
  std::int32_t rglSlider[2];
  std::uint32_t rgdwPOV[4];
  std::uint8_t rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);

HRESULT directInputCreate(Handle instance, std::uint32_t version,
                          Handle* directInput);
HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device);
HRESULT diEnumDevices(Handle directInput, std::uint32_t deviceType,
                      EnumDevicesCallback callback, void* reference,
                      std::uint32_t flags);
// The joystick's second interface, which can be polled.
HRESULT diQueryInterface2(Handle device, Handle* device2);
HRESULT diSetCooperativeLevel(Handle device, Handle window,
                              std::uint32_t flags);
HRESULT diSetDataFormat(Handle device, DataFormat format);
HRESULT diSetRange(Handle device, std::uint32_t axisOffset, std::int32_t min,
                   std::int32_t max);
HRESULT diAcquire(Handle device);
HRESULT diUnacquire(Handle device);
HRESULT diPoll(Handle device);
// Keyboard: 256 bytes indexed by the key numbers of platform/KeyNumbers.h
// (platform::dik), high bit down; fails while the device is not acquired or
// the window lacks the keyboard focus.
// Joystick: a DIJOYSTATE.
HRESULT diGetDeviceState(Handle device, std::uint32_t size, void* data);
void diRelease(Handle object);

// ---------------------------------------------------------------- sound

constexpr HRESULT DS_OK = 0;
constexpr std::uint32_t DSSCL_NORMAL = 1;

HRESULT directSoundCreate(Handle* directSound);
HRESULT dsSetCooperativeLevel(Handle directSound, Handle window,
                              std::uint32_t level);
void dsRelease(Handle object);

}  // namespace platform
