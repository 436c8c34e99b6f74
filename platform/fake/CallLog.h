// What the scripted devices share: the call log and the faults.
#pragma once

#include <string>

#include "platform/fake/FakePlatform.h"

namespace fake {

// Logs the call.
void log(const std::string& name);
// Logs the call and answers whether the test made it fail.
bool log(const std::string& name, Fault fault);

// "call object": the call with the name of the handle it acted on.
std::string on(const char* call, platform::Handle handle);

}  // namespace fake
