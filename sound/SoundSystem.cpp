// Placeholder until the sound device arrives.
#include "sound/SoundSystem.h"

SampleNameTable::SampleNameTable() { clear(); }
void SampleNameTable::clear() {}
void SampleNameTable::add(const char*) {}
bool namesEqual(const char*, const char*) { return false; }
SoundSystem::SoundSystem() {}
SoundSystem::~SoundSystem() {}
int SoundSystem::init() { return 1; }
