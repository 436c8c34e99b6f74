#include "platform/common/Devices.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace devices {
namespace {

constexpr Handle firstHandle = 0xD1000;
Device table[slotCount];

int freeSlot() {
  for (int i = 0; i < slotCount; ++i)
    if (table[i].kind == Kind::none) return i;
  return -1;
}

}  // namespace

Device* find(Handle handle, Kind kind) {
  if (handle < firstHandle || handle >= firstHandle + slotCount) return nullptr;
  Device& device = table[handle - firstHandle];
  return device.kind == kind ? &device : nullptr;
}

Device* findDevice(Handle handle) {
  if (Device* keyboard = find(handle, Kind::keyboard)) return keyboard;
  return find(handle, Kind::joystick);
}

bool canPoll(Handle handle) {
  const Device* joystick = find(handle, Kind::joystick);
  return joystick != nullptr && joystick->pollable && joystick->acquired;
}

int slotOf(const Device& device) { return static_cast<int>(&device - table); }

Handle makeDirectInput() {
  const int slot = freeSlot();
  if (slot < 0) return 0;
  table[slot] = Device{};
  table[slot].kind = Kind::directInput;
  table[slot].references = 1;
  return firstHandle + slot;
}

Handle makeDevice(int directInputSlot, Kind kind, void* native, bool pollable) {
  const int slot = freeSlot();
  if (slot < 0) return 0;
  Device& device = table[slot];
  device = Device{};
  device.kind = kind;
  device.directInput = directInputSlot;
  device.native = native;
  device.pollable = pollable;
  ++table[directInputSlot].references;
  return firstHandle + slot;
}

bool dropReference(int slot) {
  if (slot < 0 || slot >= slotCount) return false;
  Device& directInput = table[slot];
  if (--directInput.references > 0) return false;
  directInput = Device{};
  return true;
}

bool anyDirectInput() {
  for (const Device& device : table)
    if (device.kind == Kind::directInput) return true;
  return false;
}

bool nativeShared(const Device& device) {
  for (const Device& other : table)
    if (&other != &device && other.kind == device.kind &&
        other.native == device.native)
      return true;
  return false;
}

Device* all() { return table; }

std::int32_t scaleAxis(const Device& device, std::uint32_t axisOffset,
                       double fraction) {
  const int axis = axisOffset == DIJOFS_X ? 0 : 1;
  const double minimum = device.rangeMin[axis], maximum = device.rangeMax[axis];
  if (std::isnan(fraction)) fraction = 0.0;  // a broken axis is at rest
  fraction = std::clamp(fraction, -1.0, 1.0);
  const double centre = (minimum + maximum) / 2;
  const double half = fraction >= 0 ? maximum - centre : centre - minimum;
  return static_cast<std::int32_t>(std::lround(centre + fraction * half));
}

}  // namespace devices

using devices::Device;
using devices::Kind;

namespace {
void releaseReference(int slot) {
  if (devices::dropReference(slot)) devices::directInputGone(slot);
}
}  // namespace

HRESULT diQueryInterface2(Handle device, Handle* device2) {
  Device* first = devices::find(device, Kind::joystick);
  if (first == nullptr) return E_FAIL;
  const Handle second = devices::makeDevice(first->directInput, Kind::joystick,
                                            first->native, true);
  if (second == 0) return E_FAIL;
  *device2 = second;
  return DI_OK;
}

HRESULT diSetCooperativeLevel(Handle device, Handle window,
                              std::uint32_t flags) {
  Device* object = devices::findDevice(device);
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
  Device* object = devices::findDevice(device);
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
  Device* joystick = devices::find(device, Kind::joystick);
  if (joystick == nullptr || min >= max) return E_FAIL;
  if (axisOffset != DIJOFS_X && axisOffset != DIJOFS_Y) return E_FAIL;
  const int axis = axisOffset == DIJOFS_X ? 0 : 1;
  joystick->rangeMin[axis] = min;
  joystick->rangeMax[axis] = max;
  return DI_OK;
}

HRESULT diGetDeviceState(Handle device, std::uint32_t size, void* data) {
  Device* object = devices::findDevice(device);
  if (object == nullptr || data == nullptr) return E_FAIL;
  return object->kind == Kind::keyboard
             ? devices::readKeyboard(*object, size, data)
             : devices::readJoystick(*object, size, data);
}

void diRelease(Handle object) {
  if (Device* directInput = devices::find(object, Kind::directInput)) {
    releaseReference(devices::slotOf(*directInput));
    return;
  }
  Device* device = devices::findDevice(object);
  if (device == nullptr) return;
  const int owner = device->directInput;
  devices::releaseNative(*device);
  *device = Device{};
  releaseReference(owner);
}

HRESULT diUnacquire(Handle device) {
  Device* object = devices::findDevice(device);
  if (object == nullptr) return E_FAIL;
  object->acquired = false;
  return DI_OK;
}

}  // namespace platform
