// The sound device on Windows, behind DirectSound-like calls. Creating the
// DirectSound object opens the default wave output (22050 Hz, 16-bit
// stereo), which stays open and silent (the game plays nothing) until the
// object is released; a machine with no sound output fails right there.
// Setting the cooperative level only checks its arguments.
#include "platform/Platform.h"
#include "platform/win32/Win32Side.h"

namespace platform {
namespace {

constexpr Handle soundHandle = 0xD5000;
constexpr std::uint32_t DSSCL_WRITEPRIMARY = 4;
HWAVEOUT output = nullptr;

}  // namespace

HRESULT directSoundCreate(Handle* directSound) {
  if (output != nullptr) return E_FAIL;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 22050;
  format.wBitsPerSample = 16;
  format.nBlockAlign = format.nChannels * format.wBitsPerSample / 8;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  if (waveOutOpen(&output, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) !=
      MMSYSERR_NOERROR) {
    output = nullptr;
    return E_FAIL;
  }
  *directSound = soundHandle;
  return DS_OK;
}

HRESULT dsSetCooperativeLevel(Handle directSound, Handle window,
                              std::uint32_t level) {
  if (output == nullptr || directSound != soundHandle || window == 0 ||
      level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
    return E_FAIL;
  return DS_OK;
}

void dsRelease(Handle directSound) {
  if (output == nullptr || directSound != soundHandle) return;
  waveOutClose(output);
  output = nullptr;
}

}  // namespace platform
