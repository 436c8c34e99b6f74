// The sound device, opened at start-up and held until the end; the game
// plays nothing.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

struct SampleNameTable {
  static constexpr int capacity = 200;
  static constexpr int nameSize = 30;  // 29 characters and the terminator

  char names[capacity][nameSize];
  std::uint8_t useCounts[capacity];
  std::int32_t count;

  SampleNameTable();
  void clear();
  void add(const char* name);
};

bool namesEqual(const char* a, const char* b);

struct SoundSystem {
  std::int32_t initialised;
  platform::Handle directSound;
  platform::Handle soundBuffers[30];
  SampleNameTable sampleNames;

  SoundSystem();
  ~SoundSystem();
  int init();
};
