// The keyboard and the gamepad in the browser, behind DirectInput-like calls.
//
// The page keeps the state of every key from its key events, in the game's
// key numbering (platform/web/KeyCodes.h), and forgets it when the canvas
// loses the focus. A keyboard in foreground mode can be acquired and read
// only while the canvas has the focus, as DirectInput's does.
//
// The joystick is the first gamepad of the Gamepad API. Browsers make a
// gamepad known only once a button on it is pressed, usually after the page
// has loaded, so wherever the API exists one joystick is reported; it reads
// the first gamepad connected at each poll, and reads as at rest while there
// is none. On a pad with the standard mapping the direction buttons read as
// the stick pushed fully that way while the stick is at rest.
//
// The game waits for a released key (the regenerate control) by reading the
// device again and again. The browser delivers the release only while the
// game lets it run, so reads that follow each other with no frame or wait in
// between end up waiting a little for the player's next action.
#include <cstring>

#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/common/Devices.h"
#include "platform/web/Browser.h"
#include "platform/web/WebSide.h"

namespace platform {
namespace {

using devices::Device;
using devices::Kind;

// The one joystick's instance GUID.
constexpr Guid gamepadGuid{
    {'W', 'E', 'B', 'J', 'O', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};

// Reads since the game last waited for the browser; past this many it is
// waiting for a key of its own.
constexpr int busyReads = 64;
constexpr int busyWaitMs = 16;
int readsSinceWait = 0;

void letTheBrowserRun() {
  if (++readsSinceWait < busyReads) return;
  readsSinceWait = 0;
  fbweb_waitInput(busyWaitMs);
}

}  // namespace

HRESULT devices::readJoystick(Device& device, std::uint32_t size, void* data) {
  if (!device.acquired || size != sizeof(DIJOYSTATE)) return E_FAIL;
  letTheBrowserRun();
  DIJOYSTATE state{};
  for (std::uint32_t& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;  // centred
  float axes[2] = {0, 0};
  std::uint8_t buttons[32] = {};
  const int pad = fbweb_readGamepad(axes, buttons);
  if (pad == 0) axes[0] = axes[1] = 0;
  if (pad == 2)  // the standard mapping's up, down, left, right: 12 to 15
    directionPadOverStick<float>({buttons[14] != 0, buttons[15] != 0,
                                  buttons[12] != 0, buttons[13] != 0},
                                 -1.0f, 1.0f, &axes[0], &axes[1]);
  state.lX = devices::scaleAxis(device, DIJOFS_X, axes[0]);
  state.lY = devices::scaleAxis(device, DIJOFS_Y, axes[1]);
  for (int i = 0; i < 32; ++i) state.rgbButtons[i] = buttons[i] ? 0x80 : 0;
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT devices::readKeyboard(Device& device, std::uint32_t size, void* data) {
  letTheBrowserRun();
  if (device.foreground && fbweb_hasFocus() == 0) device.acquired = false;
  if (!device.acquired || size != 256) return E_FAIL;
  fbweb_readKeys(static_cast<std::uint8_t*>(data));
  return DI_OK;
}

// Nothing of its own is held for a device or a DirectInput object.
void devices::releaseNative(Device&) {}
void devices::directInputGone(int) {}

namespace web {
void waited() { readsSinceWait = 0; }
}  // namespace web

HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device) {
  Device* owner = devices::find(directInput, Kind::directInput);
  if (owner == nullptr) return E_FAIL;
  Kind kind = Kind::none;
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0)
    kind = Kind::keyboard;
  else if (std::memcmp(&guid, &gamepadGuid, sizeof guid) == 0 &&
           fbweb_gamepadApi() != 0)
    kind = Kind::joystick;
  if (kind == Kind::none) return E_FAIL;
  const Handle made =
      devices::makeDevice(devices::slotOf(*owner), kind, nullptr, false);
  if (made == 0) return E_FAIL;
  *device = made;
  return DI_OK;
}

HRESULT diEnumDevices(Handle directInput, std::uint32_t deviceType,
                      EnumDevicesCallback callback, void* reference,
                      std::uint32_t) {
  if (devices::find(directInput, Kind::directInput) == nullptr ||
      callback == nullptr)
    return E_FAIL;
  if (deviceType == DIDEVTYPE_JOYSTICK && fbweb_gamepadApi() != 0)
    callback(DeviceInstance{gamepadGuid}, reference);
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  Device* object = devices::findDevice(device);
  if (object == nullptr || !object->formatSet) return E_FAIL;
  if (object->kind == Kind::keyboard && object->foreground &&
      fbweb_hasFocus() == 0)
    return E_FAIL;
  object->acquired = true;
  return DI_OK;
}

HRESULT diPoll(Handle device) {
  if (!devices::canPoll(device)) return E_FAIL;
  return DI_OK;  // the gamepad is read afresh by each state read
}

}  // namespace platform
