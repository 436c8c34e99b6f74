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
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/web/Browser.h"
#include "platform/web/WebSide.h"

namespace platform {
namespace {

enum class Kind { none, directInput, keyboard, joystick };

struct Object {
  Kind kind = Kind::none;
  int directInput = -1;  // devices: the slot of the object that made them
  int references = 0;    // DirectInput object: itself plus its live devices
  bool pollable = false;
  bool foreground = false;
  bool formatSet = false;
  bool acquired = false;
  std::int32_t rangeMin[2] = {0, 0};  // X, Y; DirectInput's default range
  std::int32_t rangeMax[2] = {65535, 65535};
};

constexpr int objectCount = 16;
constexpr Handle firstHandle = 0xD1000;
Object objects[objectCount];

// The one joystick's instance GUID.
constexpr Guid gamepadGuid{
    {'W', 'E', 'B', 'J', 'O', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};

// Reads since the game last waited for the browser; past this many it is
// waiting for a key of its own.
constexpr int busyReads = 64;
constexpr int busyWaitMs = 16;
int readsSinceWait = 0;

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

void dropReference(int slot) {
  if (slot < 0) return;
  Object& directInput = objects[slot];
  if (--directInput.references <= 0) directInput = Object{};
}

void letTheBrowserRun() {
  if (++readsSinceWait < busyReads) return;
  readsSinceWait = 0;
  fbweb_waitInput(busyWaitMs);
}

// -1..1 onto the device's range, the rest position onto its middle.
std::int32_t scaleAxis(float value, std::int32_t minimum,
                       std::int32_t maximum) {
  if (std::isnan(value)) value = 0.0f;  // a broken axis is at rest
  value = std::clamp(value, -1.0f, 1.0f);
  const double centre = (static_cast<double>(minimum) + maximum) / 2;
  const double half = value >= 0 ? maximum - centre : centre - minimum;
  const double scaled = centre + value * half;
  return static_cast<std::int32_t>(scaled >= 0 ? scaled + 0.5 : scaled - 0.5);
}

HRESULT readJoystick(Object& device, std::uint32_t size, void* data) {
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
  state.lX = scaleAxis(axes[0], device.rangeMin[0], device.rangeMax[0]);
  state.lY = scaleAxis(axes[1], device.rangeMin[1], device.rangeMax[1]);
  for (int i = 0; i < 32; ++i) state.rgbButtons[i] = buttons[i] ? 0x80 : 0;
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT readKeyboard(Object& device, std::uint32_t size, void* data) {
  letTheBrowserRun();
  if (device.foreground && fbweb_hasFocus() == 0) device.acquired = false;
  if (!device.acquired || size != 256) return E_FAIL;
  fbweb_readKeys(static_cast<std::uint8_t*>(data));
  return DI_OK;
}

}  // namespace

namespace web {
void waited() { readsSinceWait = 0; }
}  // namespace web

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  const int slot = freeSlot();
  if (slot < 0) return E_FAIL;
  objects[slot] = Object{};
  objects[slot].kind = Kind::directInput;
  objects[slot].references = 1;
  *directInput = firstHandle + slot;
  return DI_OK;
}

HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device) {
  Object* owner = find(directInput, Kind::directInput);
  if (owner == nullptr) return E_FAIL;
  const int ownerSlot = static_cast<int>(owner - objects);
  Kind kind = Kind::none;
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0)
    kind = Kind::keyboard;
  else if (std::memcmp(&guid, &gamepadGuid, sizeof guid) == 0 &&
           fbweb_gamepadApi() != 0)
    kind = Kind::joystick;
  if (kind == Kind::none) return E_FAIL;
  const Handle made = makeDevice(ownerSlot, kind, false);
  if (made == 0) return E_FAIL;
  *device = made;
  return DI_OK;
}

HRESULT diEnumDevices(Handle directInput, std::uint32_t deviceType,
                      EnumDevicesCallback callback, void* reference,
                      std::uint32_t) {
  if (find(directInput, Kind::directInput) == nullptr || callback == nullptr)
    return E_FAIL;
  if (deviceType == DIDEVTYPE_JOYSTICK && fbweb_gamepadApi() != 0)
    callback(DeviceInstance{gamepadGuid}, reference);
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
  if (object->kind == Kind::keyboard && object->foreground &&
      fbweb_hasFocus() == 0)
    return E_FAIL;
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
  return DI_OK;  // the gamepad is read afresh by each state read
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
  *device = Object{};
  dropReference(owner);
}

}  // namespace platform
