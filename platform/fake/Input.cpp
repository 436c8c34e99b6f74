// The scripted input devices: the keyboard and one joystick, each read as
// the test scripts it.
#include <cstring>

#include "platform/fake/CallLog.h"

namespace fake {

void pressKey(int code) { state().keys[code & 0xFF] = 0x80; }
void releaseKey(int code) { state().keys[code & 0xFF] = 0; }

}  // namespace fake

namespace platform {
using fake::Fault;

namespace {
bool isKeyboard(Handle device) { return device == fake::handles::keyboard; }
}  // namespace

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  if (fake::log("directInputCreate", Fault::inputCreate)) return E_FAIL;
  *directInput = fake::handles::directInput;
  return DI_OK;
}

HRESULT diCreateDevice(Handle, const Guid& guid, Handle* device) {
  auto& s = fake::state();
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0) {
    if (fake::log("diCreateDevice keyboard", Fault::keyboardCreate))
      return E_FAIL;
    *device = fake::handles::keyboard;
    return DI_OK;
  }
  if (fake::log("diCreateDevice joystick", Fault::joystickCreate))
    return E_FAIL;
  if (!s.joystickAttached ||
      std::memcmp(&guid, &s.joystickGuid, sizeof guid) != 0)
    return E_FAIL;
  *device = fake::handles::joystickFirst;
  return DI_OK;
}

HRESULT diEnumDevices(Handle, std::uint32_t, EnumDevicesCallback callback,
                      void* reference, std::uint32_t) {
  auto& s = fake::state();
  if (fake::log("diEnumDevices", Fault::joystickEnum)) return E_FAIL;
  if (s.joystickAttached) {
    DeviceInstance first{s.joystickGuid};
    if (callback(first, reference) == DIENUM_STOP) return DI_OK;
    DeviceInstance second{{{0xEE}}};
    callback(second, reference);
  }
  return DI_OK;
}

HRESULT diQueryInterface2(Handle device, Handle* device2) {
  if (fake::log(fake::on("diQueryInterface2", device),
                Fault::joystickInterface2))
    return E_FAIL;
  *device2 = fake::handles::joystick;
  return DI_OK;
}

HRESULT diSetCooperativeLevel(Handle device, Handle, std::uint32_t flags) {
  return fake::log(
             fake::on("diSetCooperativeLevel", device) + " " +
                 std::to_string(flags),
             isKeyboard(device) ? Fault::keyboardLevel : Fault::joystickLevel)
             ? E_FAIL
             : DI_OK;
}

HRESULT diSetDataFormat(Handle device, DataFormat) {
  return fake::log(
             fake::on("diSetDataFormat", device),
             isKeyboard(device) ? Fault::keyboardFormat : Fault::joystickFormat)
             ? E_FAIL
             : DI_OK;
}

HRESULT diSetRange(Handle device, std::uint32_t axis, std::int32_t min,
                   std::int32_t max) {
  auto& s = fake::state();
  if (fake::log(fake::on("diSetRange", device) + " " + std::to_string(axis),
                Fault::joystickRange))
    return E_FAIL;
  (axis == DIJOFS_X ? s.rangeX : s.rangeY) = {min, 0, max, 0};
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  auto& s = fake::state();
  if (fake::log(fake::on("diAcquire", device), isKeyboard(device)
                                                   ? Fault::keyboardAcquire
                                                   : Fault::joystickAcquire))
    return E_FAIL;
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
  return fake::log(fake::on("diPoll", device), Fault::joystickPoll) ? E_FAIL
                                                                    : DI_OK;
}

HRESULT diGetDeviceState(Handle device, std::uint32_t size, void* data) {
  auto& s = fake::state();
  if (fake::log(fake::on("diGetDeviceState", device),
                isKeyboard(device) ? Fault::keyboardRead : Fault::joystickRead))
    return E_FAIL;
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

}  // namespace platform
