// The sound device of the SDL layer: opened on SDL's dummy driver, as on a
// machine without sound hardware, held silent, closed on release.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"

namespace {

using namespace platform;

// Sets an audio driver for one test and puts the old choice back after it.
class AudioDriver {
 public:
  explicit AudioDriver(const char* name) {
    if (const char* old = std::getenv("SDL_AUDIODRIVER")) old_ = old;
    setenv("SDL_AUDIODRIVER", name, 1);
  }
  ~AudioDriver() {
    if (old_.empty())
      unsetenv("SDL_AUDIODRIVER");
    else
      setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
  }

 private:
  std::string old_;
};

// Whether any audio device SDL has opened is playing.
bool anythingPlays() {
  for (SDL_AudioDeviceID id = 1; id < 64; ++id)
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return true;
  return false;
}

TEST(SdlSound, DummyDeviceOpensPausedAndIsClosedOnRelease) {
  AudioDriver dummy("dummy");
  Handle directSound = 0;
  ASSERT_EQ(directSoundCreate(&directSound), DS_OK) << SDL_GetError();
  EXPECT_NE(directSound, 0u);
  EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  ASSERT_EQ(dsSetCooperativeLevel(directSound, 1, DSSCL_NORMAL), DS_OK)
      << SDL_GetError();
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
  EXPECT_FALSE(anythingPlays());
  dsRelease(directSound);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

// A driver that starts but finds no output device, as on a machine without
// sound hardware: the device is opened, and so refused, when the object is
// made, with SDL's audio left as it was.
TEST(SdlSound, NoOutputDeviceFailsWhenTheObjectIsMade) {
  AudioDriver alsa("alsa");
  setenv("AUDIODEV", "no-such-device", 1);
  if (SDL_AudioInit("alsa") != 0) GTEST_SKIP() << "no ALSA driver here";
  SDL_AudioQuit();
  Handle directSound = 0;
  EXPECT_NE(directSoundCreate(&directSound), DS_OK);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  unsetenv("AUDIODEV");
}

TEST(SdlSound, NoAudioDriverMeansNoDevice) {
  AudioDriver missing("no-such-driver");
  Handle directSound = 0;
  EXPECT_NE(directSoundCreate(&directSound), DS_OK);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace
