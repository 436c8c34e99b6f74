// Placeholder SDL input and sound: answers every call with success.
#include "platform/Platform.h"

namespace platform {
HRESULT directInputCreate(Handle, std::uint32_t, Handle* h) {
  *h = 1;
  return 0;
}
HRESULT diCreateDevice(Handle, const Guid&, Handle* h) {
  *h = 1;
  return 0;
}
HRESULT diEnumDevices(Handle, std::uint32_t, EnumDevicesCallback, void*,
                      std::uint32_t) {
  return 0;
}
HRESULT diQueryInterface2(Handle, Handle*) { return E_FAIL; }
HRESULT diSetCooperativeLevel(Handle, Handle, std::uint32_t) { return 0; }
HRESULT diSetDataFormat(Handle, DataFormat) { return 0; }
HRESULT diSetRange(Handle, std::uint32_t, std::int32_t, std::int32_t) {
  return 0;
}
HRESULT diAcquire(Handle) { return 0; }
HRESULT diUnacquire(Handle) { return 0; }
HRESULT diPoll(Handle) { return 0; }
HRESULT diGetDeviceState(Handle, std::uint32_t, void*) { return E_FAIL; }
void diRelease(Handle) {}
HRESULT directSoundCreate(Handle* h) {
  *h = 1;
  return 0;
}
HRESULT dsSetCooperativeLevel(Handle, Handle, std::uint32_t) { return 0; }
void dsRelease(Handle) {}
}  // namespace platform
