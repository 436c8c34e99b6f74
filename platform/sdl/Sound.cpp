// The sound device on SDL2, behind DirectSound-like calls. Creating the
// DirectSound object starts SDL's audio subsystem and opens the default
// output device, which stays paused and silent (the game plays nothing) until
// the object is released; a machine with no audio output fails right there.
// Setting the cooperative level only checks its arguments.
//
// On a machine without a sound device SDL's own dummy driver stands in for
// one: SDL_AUDIODRIVER=dummy.
#include <SDL.h>

#include "platform/Platform.h"

namespace platform {
namespace {

struct SoundObject {
  bool live = false;
  SDL_AudioDeviceID device = 0;
};

constexpr int objectCount = 4;
constexpr Handle firstHandle = 0xD5000;
SoundObject objects[objectCount];

SoundObject* find(Handle handle) {
  if (handle < firstHandle || handle >= firstHandle + objectCount)
    return nullptr;
  SoundObject& object = objects[handle - firstHandle];
  return object.live ? &object : nullptr;
}

constexpr std::uint32_t DSSCL_WRITEPRIMARY = 4;

}  // namespace

HRESULT directSoundCreate(Handle* directSound) {
  int slot = 0;
  while (slot < objectCount && objects[slot].live) ++slot;
  if (slot == objectCount) return E_FAIL;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return E_FAIL;
  SDL_AudioSpec wanted{};
  wanted.freq = 22050;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = nullptr;  // nothing is ever queued: silence
  SDL_AudioSpec obtained{};
  // SDL opens a device paused; it is never started.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
      nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return E_FAIL;
  }
  objects[slot] = SoundObject{};
  objects[slot].live = true;
  objects[slot].device = device;
  *directSound = firstHandle + slot;
  return DS_OK;
}

HRESULT dsSetCooperativeLevel(Handle directSound, Handle window,
                              std::uint32_t level) {
  SoundObject* object = find(directSound);
  if (object == nullptr || window == 0 || level < DSSCL_NORMAL ||
      level > DSSCL_WRITEPRIMARY)
    return E_FAIL;
  return DS_OK;
}

void dsRelease(Handle directSound) {
  SoundObject* object = find(directSound);
  if (object == nullptr) return;
  // After SDL has shut its audio down the device is gone already.
  if (SDL_WasInit(SDL_INIT_AUDIO) != 0) {
    if (object->device != 0) SDL_CloseAudioDevice(object->device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  *object = SoundObject{};
}

}  // namespace platform
