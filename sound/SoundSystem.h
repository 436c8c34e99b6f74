// The sound device, opened at start-up and held until the end; the game
// plays nothing.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

struct SampleNameTable {
  static constexpr int capacity = 200;
  static constexpr int nameSize = 30;  // 29 characters and the terminator

  char names[capacity][nameSize] = {};
  std::uint8_t useCounts[capacity] = {};  // modulo 256
  std::int32_t count = 0;                 // slots 0 .. count - 1 written

  SampleNameTable();
  void clear();
  void add(const char* name);
};

bool namesEqual(const char* a, const char* b);

struct SoundSystem {
  static constexpr int bufferSlots = 30;

  std::int32_t initialised = 0;
  platform::Handle directSound = 0;
  platform::Handle soundBuffers[bufferSlots] = {};  // never filled
  SampleNameTable sampleNames;

  SoundSystem();
  ~SoundSystem();
  int init();
};

extern SoundSystem soundSystem;
