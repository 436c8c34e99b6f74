// The sound device, opened at start-up and held until the end, and the table
// of sample names. The game plays nothing: no buffer is ever made and the
// table only ever holds "Nothing".
#include "sound/SoundSystem.h"

#include <cstring>

#include "app/AppWindow.h"
#include "app/Game.h"

using namespace platform;

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

}  // namespace

bool namesEqual(const char* a, const char* b) {
  const std::size_t length = std::strlen(a);
  if (length != std::strlen(b)) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

SampleNameTable::SampleNameTable() { clear(); }

void SampleNameTable::clear() {
  count = 0;
  std::memset(names, 0, sizeof names);
  add("Nothing");
}

// A name already in the table, or an empty slot met before it, takes the use;
// otherwise the name goes into the next free slot. Names too long for a slot,
// and new names once every slot is written, are refused without a trace.
void SampleNameTable::add(const char* name) {
  if (name == nullptr || std::strlen(name) > nameSize - 1) return;
  for (int i = 0; i < count; ++i) {
    if (namesEqual(name, names[i])) {
      ++useCounts[i];
      return;
    }
    if (names[i][0] == '\0') {
      std::strcpy(names[i], name);
      ++useCounts[i];
      return;
    }
  }
  if (count >= capacity) return;
  std::strcpy(names[count], name);
  ++count;
  ++useCounts[count - 1];
}

SoundSystem::SoundSystem() {}

SoundSystem::~SoundSystem() {
  for (Handle& buffer : soundBuffers) {
    if (buffer != 0) dsRelease(buffer);
    buffer = 0;
  }
  if (directSound != 0) dsRelease(directSound);
  directSound = 0;
}

int SoundSystem::init() {
  if (directSoundCreate(&directSound) != DS_OK)
    return showStartupFailure("Couldn't Access Soundcard!");
  if (dsSetCooperativeLevel(directSound, appWindow.window, DSSCL_NORMAL) !=
      DS_OK)
    return showStartupFailure("Couldn't Set Soundcard Access Level!");
  initialised = 1;
  for (Handle& buffer : soundBuffers) buffer = 0;
  return 1;
}
