// The DirectInput object of a side that holds nothing of its own for it (the
// browser, Windows): only its record (platform/common/Devices.h).
#include "platform/Platform.h"
#include "platform/common/Devices.h"

namespace platform {

HRESULT directInputCreate(Handle, std::uint32_t, Handle* directInput) {
  const Handle made = devices::makeDirectInput();
  if (made == 0) return E_FAIL;
  *directInput = made;
  return DI_OK;
}

}  // namespace platform
