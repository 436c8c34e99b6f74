// The DirectInput-like device bookkeeping every real side shares: the table
// of objects behind the input handles, the references a device holds on the
// DirectInput object that made it, and the calls that only check and record
// (cooperative level, data format, axis ranges, unacquire, the second
// interface), reads and releases. Each side adds what touches its own
// devices: creating and enumerating them, acquiring, polling, and the hooks
// below.
//
// Handles are slots of a small fixed table. A device holds a reference to the
// DirectInput object that made it, so releasing that object first (as the
// game does) leaves the devices usable until they are released themselves.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace platform::devices {

enum class Kind { none, directInput, keyboard, joystick };

struct Device {
  Kind kind = Kind::none;
  int directInput = -1;   // devices: the slot of the object that made them
  int references = 0;     // DirectInput object: itself plus its live devices
  bool pollable = false;  // joystick: the second interface, which can poll
  bool foreground = false;
  bool formatSet = false;
  bool acquired = false;
  // The side's own handle of the physical device (a joystick), shared by
  // both interfaces of one joystick.
  void* native = nullptr;
  std::int32_t rangeMin[2] = {0, 0};  // X, Y; DirectInput's default range
  std::int32_t rangeMax[2] = {65535, 65535};
};

constexpr int slotCount = 16;

// The object behind `handle` if it is of `kind`, else nullptr.
Device* find(Handle handle, Kind kind);
// A keyboard or joystick behind `handle`, else nullptr.
Device* findDevice(Handle handle);
// Whether `handle` is a joystick that can be polled now (one that needs
// polling, acquired).
bool canPoll(Handle handle);
int slotOf(const Device& device);

// A new DirectInput object holding its own reference; 0 when the table is
// full.
Handle makeDirectInput();
// A new device of the DirectInput object in `directInputSlot`; 0 when the
// table is full.
Handle makeDevice(int directInputSlot, Kind kind, void* native, bool pollable);
// Drops one reference of the DirectInput object in `slot`. True when it was
// the last one: the object is gone.
bool dropReference(int slot);
// True while any DirectInput object is alive.
bool anyDirectInput();
// True when another live device holds the same physical device as `device`.
bool nativeShared(const Device& device);
// Every slot, for a side that has to look at all its devices.
Device* all();

// ---- what each side defines for its own devices

// Reads a keyboard (256 bytes) or a joystick (a DIJOYSTATE) into `data`.
HRESULT readKeyboard(Device& keyboard, std::uint32_t size, void* data);
HRESULT readJoystick(Device& joystick, std::uint32_t size, void* data);
// A device is being released: let go of what the side holds for it.
void releaseNative(Device& device);
// The last reference of the DirectInput object in `slot` went: it is gone.
void directInputGone(int slot);

// A device's axis range for the axis at `axisOffset` (DIJOFS_X, DIJOFS_Y),
// the rest position in its middle: `fraction` of -1..1 onto it, rounded.
std::int32_t scaleAxis(const Device& device, std::uint32_t axisOffset,
                       double fraction);

}  // namespace platform::devices
