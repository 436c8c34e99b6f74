// The scripted sound device: open or not, nothing is heard.
#include "platform/fake/CallLog.h"

namespace platform {
using fake::Fault;

HRESULT directSoundCreate(Handle* directSound) {
  if (fake::log("directSoundCreate", Fault::soundCreate)) return E_FAIL;
  *directSound = fake::handles::directSound;
  fake::state().soundOpen = true;  // the device opens with the object
  return DS_OK;
}

HRESULT dsSetCooperativeLevel(Handle, Handle, std::uint32_t level) {
  if (fake::log("dsSetCooperativeLevel " + std::to_string(level),
                Fault::soundLevel))
    return E_FAIL;
  return DS_OK;
}

void dsRelease(Handle object) {
  fake::log(fake::on("dsRelease", object));
  fake::state().soundOpen = false;
}

}  // namespace platform
