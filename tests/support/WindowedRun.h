// Whether this test run plays the game in a window: the windowed test run
// (`ctest --preset ci-windowed`) sets FUSEBOUND_TEST_WINDOWED=1 and runs the
// same build's suites again, the game started with --window.
#pragma once

#include <cstdlib>
#include <cstring>

inline bool windowedRun() {
  const char* value = std::getenv("FUSEBOUND_TEST_WINDOWED");
  return value != nullptr && std::strcmp(value, "1") == 0;
}
