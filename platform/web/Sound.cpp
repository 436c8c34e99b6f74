// The sound device in the browser: a Web Audio context, opened with the
// DirectSound object and held, silent (the game plays nothing), until it is
// released. A browser without Web Audio has no sound device.
#include "platform/Platform.h"
#include "platform/web/Browser.h"

namespace platform {
namespace {

constexpr Handle soundHandle = 0xD5000;
constexpr std::uint32_t DSSCL_WRITEPRIMARY = 4;
bool live = false;

}  // namespace

HRESULT directSoundCreate(Handle* directSound) {
  if (live || fbweb_openAudio() == 0) return E_FAIL;
  live = true;
  *directSound = soundHandle;
  return DS_OK;
}

HRESULT dsSetCooperativeLevel(Handle directSound, Handle window,
                              std::uint32_t level) {
  if (!live || directSound != soundHandle || window == 0 ||
      level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
    return E_FAIL;
  return DS_OK;
}

void dsRelease(Handle directSound) {
  if (!live || directSound != soundHandle) return;
  fbweb_closeAudio();
  live = false;
}

}  // namespace platform
