// The keyboard and the joystick on Windows, behind DirectInput-like calls.
//
// The keyboard keeps the state of every key from the window's key messages,
// by scan code: a key number of platform/KeyNumbers.h is the scan code, plus
// 128 for the extended keys, just as the messages carry it. Each read first
// takes the key messages waiting in the queue, so a release is seen even
// while the game handles no window messages. A keyboard in foreground mode
// can be acquired and read only while the window has the focus; losing the
// focus takes the acquisition away and forgets every key. Keys already down
// when the keyboard is acquired are asked of the system then.
//
// Joysticks come from the multimedia joystick API (joyGetPosEx), numbered as
// the system numbers them; the axes are scaled from each joystick's own
// range onto the range the game sets. The hat (its direction pad) reads as
// the stick pushed fully that way while the stick is at rest.
#include <algorithm>
#include <cstring>

#include "platform/DirectionPad.h"
#include "platform/Platform.h"
#include "platform/common/Devices.h"
#include "platform/win32/Win32Side.h"

namespace platform {
namespace {

using devices::Device;
using devices::Kind;

std::uint8_t keys[256];

// A joystick's instance GUID: a tag, then the system's joystick number.
constexpr std::uint8_t joystickTag[4] = {'W', 'M', 'M', 'J'};
constexpr UINT maxJoysticks = 16;

Guid joystickGuid(UINT id) {
  Guid guid{};
  std::memcpy(guid.bytes, joystickTag, sizeof joystickTag);
  std::memcpy(guid.bytes + 4, &id, sizeof id);
  return guid;
}

bool joystickIdOf(const Guid& guid, UINT* id) {
  if (std::memcmp(guid.bytes, joystickTag, sizeof joystickTag) != 0)
    return false;
  std::memcpy(id, guid.bytes + 4, sizeof *id);
  return *id < maxJoysticks;
}

// The native handle of a joystick device: its number plus one (0 is none).
UINT joystickIdOf(const Device& device) {
  return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(device.native) - 1);
}

bool joystickPosition(UINT id, JOYINFOEX* info) {
  std::memset(info, 0, sizeof *info);
  info->dwSize = sizeof *info;
  info->dwFlags = JOY_RETURNALL;
  return joyGetPosEx(id, info) == JOYERR_NOERROR;
}

// The key number of the key a key message is about.
std::uint8_t keyNumber(LPARAM lParam) {
  const unsigned scanCode = (static_cast<unsigned>(lParam) >> 16) & 0x7F;
  const bool extended = (lParam & (1 << 24)) != 0;
  // Num Lock and Pause share a scan code; the system marks Num Lock as
  // extended, where the key numbers have it the other way round.
  if (scanCode == 0x45) return extended ? 0x45 : 0xC5;
  return static_cast<std::uint8_t>(scanCode | (extended ? 0x80 : 0));
}

// The extended keys a virtual-key code alone names.
struct ExtendedKey {
  std::uint8_t number;
  int virtualKey;
};
constexpr ExtendedKey extendedKeys[] = {
    {0xC8, VK_UP},     {0xD0, VK_DOWN},   {0xCB, VK_LEFT},     {0xCD, VK_RIGHT},
    {0xD2, VK_INSERT}, {0xD3, VK_DELETE}, {0xC7, VK_HOME},     {0xCF, VK_END},
    {0xC9, VK_PRIOR},  {0xD1, VK_NEXT},   {0x9D, VK_RCONTROL}, {0xB8, VK_RMENU},
    {0xB5, VK_DIVIDE},
};

// Keys pressed before the window had the focus never sent it a message.
void takeHeldKeys() {
  std::memset(keys, 0, sizeof keys);
  for (unsigned scanCode = 1; scanCode < 0x80; ++scanCode) {
    const UINT virtualKey = MapVirtualKeyA(scanCode, MAPVK_VSC_TO_VK_EX);
    if (virtualKey != 0 &&
        (GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0)
      keys[scanCode] = 0x80;
  }
  // The arrows and the editing block share scan codes with the keypad.
  for (const ExtendedKey& key : extendedKeys)
    if ((GetAsyncKeyState(key.virtualKey) & 0x8000) != 0) {
      keys[key.number] = 0x80;
      keys[key.number & 0x7F] = 0;
    }
}

}  // namespace

HRESULT devices::readJoystick(Device& device, std::uint32_t size, void* data) {
  if (!device.acquired || size != sizeof(DIJOYSTATE)) return E_FAIL;
  DIJOYSTATE state{};
  for (std::uint32_t& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;  // centred
  const UINT id = joystickIdOf(device);
  JOYINFOEX position;
  JOYCAPSA caps{};
  double x = 0, y = 0;
  // A joystick pulled out reads as at rest with nothing pressed.
  if (joystickPosition(id, &position) &&
      joyGetDevCapsA(id, &caps, sizeof caps) == JOYERR_NOERROR) {
    auto fraction = [](DWORD value, UINT minimum, UINT maximum) {
      if (maximum <= minimum) return 0.0;
      return (2.0 * (static_cast<double>(value) - minimum)) /
                 (static_cast<double>(maximum) - minimum) -
             1.0;
    };
    x = fraction(position.dwXpos, caps.wXmin, caps.wXmax);
    y = fraction(position.dwYpos, caps.wYmin, caps.wYmax);
    for (int i = 0; i < 32; ++i)
      state.rgbButtons[i] = (position.dwButtons >> i) & 1 ? 0x80 : 0;
    if ((caps.wCaps & JOYCAPS_HASPOV) != 0 && position.dwPOV <= 35900) {
      state.rgdwPOV[0] = position.dwPOV;
      directionPadOverStick(directionPadOfPov(position.dwPOV), -1.0, 1.0, &x,
                            &y);
    }
  }
  state.lX = devices::scaleAxis(device, DIJOFS_X, x);
  state.lY = devices::scaleAxis(device, DIJOFS_Y, y);
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT devices::readKeyboard(Device& device, std::uint32_t size, void* data) {
  win32::takeKeyMessages();
  if (device.foreground && !win32::windowHasFocus()) device.acquired = false;
  if (!device.acquired || size != 256) return E_FAIL;
  std::memcpy(data, keys, sizeof keys);
  return DI_OK;
}

// Nothing of its own is held for a device or a DirectInput object.
void devices::releaseNative(Device&) {}
void devices::directInputGone(int) {}

namespace win32 {
void keyMessage(UINT message, LPARAM lParam) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  keys[keyNumber(lParam)] = down ? 0x80 : 0;
}

void forgetKeys() {
  std::memset(keys, 0, sizeof keys);
  // Foreground keyboards lose their acquisition with the focus.
  for (Device* device = devices::all();
       device != devices::all() + devices::slotCount; ++device)
    if (device->kind == Kind::keyboard && device->foreground)
      device->acquired = false;
}
}  // namespace win32

HRESULT diCreateDevice(Handle directInput, const Guid& guid, Handle* device) {
  Device* owner = devices::find(directInput, Kind::directInput);
  if (owner == nullptr) return E_FAIL;
  const int ownerSlot = devices::slotOf(*owner);
  Handle made = 0;
  UINT id = 0;
  JOYINFOEX position;
  if (std::memcmp(&guid, &GUID_SysKeyboard, sizeof guid) == 0)
    made = devices::makeDevice(ownerSlot, Kind::keyboard, nullptr, false);
  else if (joystickIdOf(guid, &id) && joystickPosition(id, &position))
    made = devices::makeDevice(
        ownerSlot, Kind::joystick,
        reinterpret_cast<void*>(static_cast<std::uintptr_t>(id) + 1), false);
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
  if (deviceType != DIDEVTYPE_JOYSTICK) return DI_OK;
  const UINT count = std::min<UINT>(joyGetNumDevs(), maxJoysticks);
  for (UINT id = 0; id < count; ++id) {
    JOYINFOEX position;
    if (!joystickPosition(id, &position)) continue;  // not attached
    if (callback(DeviceInstance{joystickGuid(id)}, reference) == DIENUM_STOP)
      break;
  }
  return DI_OK;
}

HRESULT diAcquire(Handle device) {
  Device* object = devices::findDevice(device);
  if (object == nullptr || !object->formatSet) return E_FAIL;
  if (object->kind == Kind::keyboard) {
    win32::takeKeyMessages();
    if (object->foreground && !win32::windowHasFocus()) return E_FAIL;
    if (!object->acquired) takeHeldKeys();
  } else {
    JOYINFOEX position;
    if (!joystickPosition(joystickIdOf(*object), &position)) return E_FAIL;
  }
  object->acquired = true;
  return DI_OK;
}

HRESULT diPoll(Handle device) {
  if (!devices::canPoll(device)) return E_FAIL;
  return DI_OK;  // each read asks the system afresh
}

}  // namespace platform
