// The keyboard and joysticks on SDL2, behind DirectInput-like calls.
//
// The keyboard snapshot comes from SDL's key state (SDL_GetKeyboardState),
// which SDL keeps up to date even though the window layer turns keyboard
// events off at the source, together with the keys that were already down
// when the keyboard was acquired (HeldKeys.h). Each read pumps SDL's events
// itself, so a key's release is seen even while the game handles no window
// messages. A keyboard in foreground mode can be acquired and read only while
// our window has the keyboard focus; losing the focus takes it away, as
// DirectInput does.
//
// The joystick is one slot, reported wherever SDL's joysticks work, that
// reads the first pad attached at each poll: a pad plugged in after the game
// started is used, and so is one pulled out and plugged back; while none is
// attached it reads as at rest. A pad's first hat (its direction pad) reads
// as the stick pushed fully that way while the stick is at rest. The state
// is refreshed by the poll (SDL_JoystickUpdate, which also notices pads
// coming and going), so joystick events are turned off at the source; SDL is
// told to keep their state current while the window is in the background.
//
// The bookkeeping of handles, levels, formats and ranges is shared with the
// other sides (platform/common/Devices.h).
#include <SDL.h>

#include <cstring>

#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/common/Devices.h"
#include "platform/sdl/HeldKeys.h"
#include "platform/sdl/KeyTable.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {
namespace {

using devices::Device;
using devices::Kind;

// Per DirectInput object: SDL's joysticks were started for it.
bool joystickSubsystem[devices::slotCount];
bool focusWatchAdded = false;

// The joystick slot's instance GUID.
constexpr Guid firstPadGuid{
    {'S', 'D', 'L', 'J', 'f', 'i', 'r', 's', 't', ' ', 'p', 'a', 'd', 0, 0, 0}};

bool ourWindowHasKeyboardFocus() { return sdl::windowHasKeyboardFocus(); }

// Foreground keyboards lose their acquisition the moment the window loses
// the focus, even between two reads.
int watchFocus(void*, SDL_Event* event) {
  SDL_Window* window = sdl::window();
  if (event->type == SDL_WINDOWEVENT &&
      event->window.event == SDL_WINDOWEVENT_FOCUS_LOST && window != nullptr &&
      event->window.windowID == SDL_GetWindowID(window))
    for (Device* device = devices::all();
         device != devices::all() + devices::slotCount; ++device)
      if (device->kind == Kind::keyboard && device->foreground)
        device->acquired = false;
  return 1;
}

SDL_Joystick* joystickOf(const Device& device) {
  return static_cast<SDL_Joystick*>(device.native);
}

// Lets go of the pad the device reads. Both interfaces of one joystick may
// hold the same pad on one SDL reference: the last of them closes it. After
// SDL has shut its joysticks down they are gone already.
void letGoOfPad(Device& device) {
  if (device.native != nullptr && !devices::nativeShared(device) &&
      SDL_WasInit(SDL_INIT_JOYSTICK) != 0)
    SDL_JoystickClose(joystickOf(device));
  device.native = nullptr;
}

// Keeps the device on the first pad attached: a pad pulled out is let go,
// and the first one there (plugged in since, or back again) is opened.
void followFirstPad(Device& device) {
  if (device.native != nullptr &&
      SDL_JoystickGetAttached(joystickOf(device)) == SDL_TRUE)
    return;
  letGoOfPad(device);
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 || SDL_NumJoysticks() <= 0) return;
  SDL_Joystick* pad = SDL_JoystickOpen(0);
  device.native = pad;
  // SDL counts each open of a pad already open; the other interface's
  // reference is the one kept.
  if (pad != nullptr && devices::nativeShared(device)) SDL_JoystickClose(pad);
}

// SDL's -32768..32767 onto the device's range, the rest position (0) onto the
// middle of the range.
std::int32_t fromSdlAxis(Sint16 value, std::int32_t minimum,
                         std::int32_t maximum) {
  const std::int64_t centre =
      (static_cast<std::int64_t>(minimum) + maximum) / 2;
  if (value >= 0)
    return static_cast<std::int32_t>(centre +
                                     value * (maximum - centre) / 32767);
  return static_cast<std::int32_t>(centre + value * (centre - minimum) / 32768);
}

}  // namespace

void devices::releaseNative(Device& device) { letGoOfPad(device); }

void devices::directInputGone(int slot) {
  if (joystickSubsystem[slot]) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  joystickSubsystem[slot] = false;
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  if (!devices::anyDirectInput() && focusWatchAdded) {
    SDL_DelEventWatch(watchFocus, nullptr);
    focusWatchAdded = false;
  }
}

HRESULT devices::readJoystick(Device& device, std::uint32_t size, void* data) {
  if (!device.acquired || size != sizeof(DIJOYSTATE)) return E_FAIL;
  DIJOYSTATE state{};
  for (std::uint32_t& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;  // centred
  followFirstPad(device);
  SDL_Joystick* joystick = joystickOf(device);
  // No pad, or one pulled out: at rest with nothing pressed.
  Sint16 x = 0, y = 0;
  if (joystick != nullptr && SDL_JoystickGetAttached(joystick) == SDL_TRUE) {
    const int axes = SDL_JoystickNumAxes(joystick);
    if (axes > 0) x = SDL_JoystickGetAxis(joystick, 0);
    if (axes > 1) y = SDL_JoystickGetAxis(joystick, 1);
    if (SDL_JoystickNumHats(joystick) > 0) {
      const Uint8 hat = SDL_JoystickGetHat(joystick, 0);
      directionPadOverStick<Sint16>(
          {(hat & SDL_HAT_LEFT) != 0, (hat & SDL_HAT_RIGHT) != 0,
           (hat & SDL_HAT_UP) != 0, (hat & SDL_HAT_DOWN) != 0},
          -32768, 32767, &x, &y);
    }
    const int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < buttons && i < 32; ++i)
      state.rgbButtons[i] = SDL_JoystickGetButton(joystick, i) ? 0x80 : 0;
  }
  state.lX = fromSdlAxis(x, device.rangeMin[0], device.rangeMax[0]);
  state.lY = fromSdlAxis(y, device.rangeMin[1], device.rangeMax[1]);
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT devices::readKeyboard(Device& device, std::uint32_t size, void* data) {
  SDL_PumpEvents();
  if (device.foreground && !ourWindowHasKeyboardFocus())
    device.acquired = false;
  if (!device.acquired || size != 256) return E_FAIL;
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  fillKeyboardSnapshot(keys, count, static_cast<std::uint8_t*>(data));
  sdl::addHeldKeys(static_cast<std::uint8_t*>(data));
  return DI_OK;
}

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return E_FAIL;
  const Handle made = devices::makeDirectInput();
  if (made == 0) {
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
    return E_FAIL;
  }
  const int slot = devices::slotOf(*devices::find(made, Kind::directInput));

  // Joysticks are optional: without them the game runs on the keyboard.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
    joystickSubsystem[slot] = true;
    for (Uint32 type = SDL_JOYAXISMOTION; type <= SDL_JOYBATTERYUPDATED; ++type)
      SDL_EventState(type, SDL_IGNORE);
  }
  if (!focusWatchAdded) {
    SDL_AddEventWatch(watchFocus, nullptr);
    focusWatchAdded = true;
  }
  *directInput = made;
  return DI_OK;
}

HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device) {
  Device* owner = devices::find(directInput, Kind::directInput);
  if (owner == nullptr) return E_FAIL;
  const int ownerSlot = devices::slotOf(*owner);
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0) {
    const Handle keyboard =
        devices::makeDevice(ownerSlot, Kind::keyboard, nullptr, false);
    if (keyboard == 0) return E_FAIL;
    *device = keyboard;
    return DI_OK;
  }
  if (!joystickSubsystem[ownerSlot] ||
      std::memcmp(&guid, &firstPadGuid, sizeof guid) != 0)
    return E_FAIL;
  // The pad itself is opened by the first read.
  const Handle made =
      devices::makeDevice(ownerSlot, Kind::joystick, nullptr, false);
  if (made == 0) return E_FAIL;
  *device = made;
  return DI_OK;
}

HRESULT diEnumDevices(Handle directInput, std::uint32_t deviceType,
                      EnumDevicesCallback callback, void* reference,
                      std::uint32_t) {
  Device* owner = devices::find(directInput, Kind::directInput);
  if (owner == nullptr || callback == nullptr) return E_FAIL;
  if (deviceType != DIDEVTYPE_JOYSTICK ||
      !joystickSubsystem[devices::slotOf(*owner)])
    return DI_OK;
  // The one slot, attached or not: a pad may come later.
  callback(DeviceInstance{firstPadGuid}, reference);
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  Device* object = devices::findDevice(device);
  if (object == nullptr || !object->formatSet) return E_FAIL;
  if (object->kind == Kind::keyboard) {
    SDL_PumpEvents();
    if (object->foreground && !ourWindowHasKeyboardFocus()) return E_FAIL;
    // Keys pressed before the window had the keyboard count from now on.
    if (!object->acquired) sdl::takeHeldKeys();
  }
  object->acquired = true;
  return DI_OK;
}

HRESULT diPoll(Handle device) {
  if (!devices::canPoll(device)) return E_FAIL;
  SDL_JoystickUpdate();
  return DI_OK;
}

}  // namespace platform
