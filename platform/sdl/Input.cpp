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
// Handles are slots of a small fixed table. A device holds a reference to the
// DirectInput object that made it, so releasing that object first (as the
// game does) leaves the joystick usable until it is released itself.
#include <SDL.h>

#include <cstring>

#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/sdl/HeldKeys.h"
#include "platform/sdl/KeyTable.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {
namespace {

enum class Kind { none, directInput, keyboard, joystick };

struct Object {
  Kind kind = Kind::none;
  int directInput = -1;  // devices: the slot of the object that made them
  int references = 0;    // DirectInput object: itself plus its live devices
  bool joystickSubsystem = false;  // DirectInput object: SDL joysticks up
  bool pollable = false;  // joystick: the second interface, which can poll
  bool cooperative = false;
  bool foreground = false;
  bool formatSet = false;
  bool acquired = false;
  SDL_Joystick* joystick = nullptr;   // the pad read, opened by this device
  std::int32_t rangeMin[2] = {0, 0};  // X, Y; DirectInput's default range
  std::int32_t rangeMax[2] = {65535, 65535};
};

constexpr int objectCount = 16;
constexpr Handle firstHandle = 0xD1000;
Object objects[objectCount];
bool focusWatchAdded = false;

// The joystick slot's instance GUID.
constexpr Guid firstPadGuid{
    {'S', 'D', 'L', 'J', 'f', 'i', 'r', 's', 't', ' ', 'p', 'a', 'd', 0, 0, 0}};

Object* find(Handle handle, Kind kind) {
  if (handle < firstHandle || handle >= firstHandle + objectCount)
    return nullptr;
  Object& object = objects[handle - firstHandle];
  return object.kind == kind ? &object : nullptr;
}

Object* findDevice(Handle handle) {
  if (Object* keyboard = find(handle, Kind::keyboard)) return keyboard;
  return find(handle, Kind::joystick);
}

int freeSlot() {
  for (int i = 0; i < objectCount; ++i)
    if (objects[i].kind == Kind::none) return i;
  return -1;
}

bool ourWindowHasKeyboardFocus() { return sdl::windowHasKeyboardFocus(); }

// Foreground keyboards lose their acquisition the moment the window loses
// the focus, even between two reads.
int watchFocus(void*, SDL_Event* event) {
  SDL_Window* window = sdl::window();
  if (event->type == SDL_WINDOWEVENT &&
      event->window.event == SDL_WINDOWEVENT_FOCUS_LOST && window != nullptr &&
      event->window.windowID == SDL_GetWindowID(window))
    for (Object& object : objects)
      if (object.kind == Kind::keyboard && object.foreground)
        object.acquired = false;
  return 1;
}

void closeJoystick(Object& device) {
  // After SDL has shut its joysticks down they are gone already.
  if (device.joystick != nullptr && SDL_WasInit(SDL_INIT_JOYSTICK) != 0)
    SDL_JoystickClose(device.joystick);
  device.joystick = nullptr;
}

// Keeps the device on the first pad attached: a pad pulled out is let go,
// and the first one there (plugged in since, or back again) is opened.
void followFirstPad(Object& device) {
  if (device.joystick != nullptr &&
      SDL_JoystickGetAttached(device.joystick) == SDL_TRUE)
    return;
  closeJoystick(device);
  if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0 && SDL_NumJoysticks() > 0)
    device.joystick = SDL_JoystickOpen(0);
}

void dropReference(int slot) {
  Object& directInput = objects[slot];
  if (--directInput.references > 0) return;
  if (directInput.joystickSubsystem) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  directInput = Object{};
  bool anyLeft = false;
  for (const Object& object : objects)
    if (object.kind == Kind::directInput) anyLeft = true;
  if (!anyLeft && focusWatchAdded) {
    SDL_DelEventWatch(watchFocus, nullptr);
    focusWatchAdded = false;
  }
}

Handle makeDevice(int directInputSlot, Kind kind, bool pollable) {
  const int slot = freeSlot();
  if (slot < 0) return 0;
  Object& device = objects[slot];
  device = Object{};
  device.kind = kind;
  device.directInput = directInputSlot;
  device.pollable = pollable;
  ++objects[directInputSlot].references;
  return firstHandle + slot;
}

// SDL's -32768..32767 onto the device's range, the rest position (0) onto the
// middle of the range.
std::int32_t scaleAxis(Sint16 value, std::int32_t minimum,
                       std::int32_t maximum) {
  const std::int64_t centre =
      (static_cast<std::int64_t>(minimum) + maximum) / 2;
  if (value >= 0)
    return static_cast<std::int32_t>(centre +
                                     value * (maximum - centre) / 32767);
  return static_cast<std::int32_t>(centre + value * (centre - minimum) / 32768);
}

HRESULT readJoystick(Object& device, std::uint32_t size, void* data) {
  if (!device.acquired || size != sizeof(DIJOYSTATE)) return E_FAIL;
  DIJOYSTATE state{};
  for (std::uint32_t& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;  // centred
  followFirstPad(device);
  SDL_Joystick* joystick = device.joystick;
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
  state.lX = scaleAxis(x, device.rangeMin[0], device.rangeMax[0]);
  state.lY = scaleAxis(y, device.rangeMin[1], device.rangeMax[1]);
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT readKeyboard(Object& device, std::uint32_t size, void* data) {
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

}  // namespace

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  const int slot = freeSlot();
  if (slot < 0) return E_FAIL;
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return E_FAIL;
  Object& object = objects[slot];
  object = Object{};
  object.kind = Kind::directInput;
  object.references = 1;

  // Joysticks are optional: without them the game runs on the keyboard.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
    object.joystickSubsystem = true;
    for (Uint32 type = SDL_JOYAXISMOTION; type <= SDL_JOYBATTERYUPDATED; ++type)
      SDL_EventState(type, SDL_IGNORE);
  }
  if (!focusWatchAdded) {
    SDL_AddEventWatch(watchFocus, nullptr);
    focusWatchAdded = true;
  }
  *directInput = firstHandle + slot;
  return DI_OK;
}

HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device) {
  Object* owner = find(directInput, Kind::directInput);
  if (owner == nullptr) return E_FAIL;
  const int ownerSlot = static_cast<int>(owner - objects);
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0) {
    const Handle keyboard = makeDevice(ownerSlot, Kind::keyboard, false);
    if (keyboard == 0) return E_FAIL;
    *device = keyboard;
    return DI_OK;
  }
  if (!owner->joystickSubsystem ||
      std::memcmp(&guid, &firstPadGuid, sizeof guid) != 0)
    return E_FAIL;
  const Handle made = makeDevice(ownerSlot, Kind::joystick, false);
  if (made == 0) return E_FAIL;
  *device = made;
  return DI_OK;
}

HRESULT diEnumDevices(Handle directInput, std::uint32_t deviceType,
                      EnumDevicesCallback callback, void* reference,
                      std::uint32_t) {
  Object* owner = find(directInput, Kind::directInput);
  if (owner == nullptr || callback == nullptr) return E_FAIL;
  if (deviceType != DIDEVTYPE_JOYSTICK || !owner->joystickSubsystem)
    return DI_OK;
  // The one slot, attached or not: a pad may come later.
  callback(DeviceInstance{firstPadGuid}, reference);
  return DI_OK;
}

HRESULT diQueryInterface2(Handle device, Handle* device2) {
  Object* first = find(device, Kind::joystick);
  if (first == nullptr) return E_FAIL;
  const Handle second = makeDevice(first->directInput, Kind::joystick, true);
  if (second == 0) return E_FAIL;
  *device2 = second;
  return DI_OK;
}

HRESULT diSetCooperativeLevel(Handle device, Handle window,
                              std::uint32_t flags) {
  Object* object = findDevice(device);
  if (object == nullptr || window == 0 || object->acquired) return E_FAIL;
  const std::uint32_t mode = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  const std::uint32_t sharing = flags & 0x3;  // exclusive or not
  if ((mode != DISCL_FOREGROUND && mode != DISCL_BACKGROUND) ||
      (sharing != 1 && sharing != DISCL_NONEXCLUSIVE))
    return E_FAIL;
  object->cooperative = true;
  object->foreground = mode == DISCL_FOREGROUND;
  return DI_OK;
}

HRESULT diSetDataFormat(Handle device, DataFormat format) {
  Object* object = findDevice(device);
  if (object == nullptr || object->acquired) return E_FAIL;
  const DataFormat wanted = object->kind == Kind::keyboard
                                ? DataFormat::keyboard
                                : DataFormat::joystick;
  if (format != wanted) return E_FAIL;
  object->formatSet = true;
  return DI_OK;
}

HRESULT diSetRange(Handle device, std::uint32_t axisOffset, std::int32_t min,
                   std::int32_t max) {
  Object* joystick = find(device, Kind::joystick);
  if (joystick == nullptr || min >= max) return E_FAIL;
  if (axisOffset != DIJOFS_X && axisOffset != DIJOFS_Y) return E_FAIL;
  const int axis = axisOffset == DIJOFS_X ? 0 : 1;
  joystick->rangeMin[axis] = min;
  joystick->rangeMax[axis] = max;
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  Object* object = findDevice(device);
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

HRESULT diUnacquire(Handle device) {
  Object* object = findDevice(device);
  if (object == nullptr) return E_FAIL;
  object->acquired = false;
  return DI_OK;
}

HRESULT diPoll(Handle device) {
  Object* joystick = find(device, Kind::joystick);
  if (joystick == nullptr || !joystick->pollable || !joystick->acquired)
    return E_FAIL;
  SDL_JoystickUpdate();
  return DI_OK;
}

HRESULT diGetDeviceState(Handle device, std::uint32_t size, void* data) {
  Object* object = findDevice(device);
  if (object == nullptr || data == nullptr) return E_FAIL;
  return object->kind == Kind::keyboard ? readKeyboard(*object, size, data)
                                        : readJoystick(*object, size, data);
}

void diRelease(Handle object) {
  if (Object* directInput = find(object, Kind::directInput)) {
    dropReference(static_cast<int>(directInput - objects));
    return;
  }
  Object* device = findDevice(object);
  if (device == nullptr) return;
  const int owner = device->directInput;
  closeJoystick(*device);
  *device = Object{};
  dropReference(owner);
}

}  // namespace platform
