#include "platform/fake/CallLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace fake {

namespace {

// Faults set before a reset that nothing hit.
std::vector<Fault>& missed() {
  static auto* faults = new std::vector<Fault>();
  return *faults;
}

void rememberMissed() {
  const State& s = state();
  for (Fault f : s.failing)
    if (!s.hit.count(f)) missed().push_back(f);
}

// A process that ends with a fault never hit fails, whatever its status:
// a whole-program run in a process of its own cannot report it otherwise.
void checkAtExit() {
  rememberMissed();
  if (missed().empty()) return;
  for (Fault f : missed())
    std::fprintf(stderr, "fake: fault never hit: %s\n", nameOf(f));
  std::fflush(stderr);
  std::_Exit(neverHitStatus);
}

const char* handleName(platform::Handle h) {
  switch (h) {
    case handles::window:
      return "window";
    case handles::directDraw:
      return "directDraw";
    case handles::primary:
      return "primary";
    case handles::backBuffer:
      return "backBuffer";
    case handles::directInput:
      return "directInput";
    case handles::keyboard:
      return "keyboard";
    case handles::joystickFirst:
      return "joystickFirst";
    case handles::joystick:
      return "joystick";
    case handles::directSound:
      return "directSound";
    default:
      return "unknown";
  }
}

}  // namespace

const char* nameOf(Fault fault) {
  static const char* const names[] = {"createWindow",
                                      "soundCreate",
                                      "soundLevel",
                                      "inputCreate",
                                      "keyboardCreate",
                                      "keyboardLevel",
                                      "keyboardFormat",
                                      "keyboardAcquire",
                                      "keyboardRead",
                                      "joystickEnum",
                                      "joystickCreate",
                                      "joystickInterface2",
                                      "joystickLevel",
                                      "joystickFormat",
                                      "joystickRange",
                                      "joystickAcquire",
                                      "joystickPoll",
                                      "joystickRead",
                                      "videoCreate",
                                      "videoLevel",
                                      "displayMode",
                                      "primaryCreate",
                                      "backBufferAttach",
                                      "pixelFormat",
                                      "surfaceCreate",
                                      "blitToBack",
                                      "blitToPrimary",
                                      "surfaceCopy",
                                      "flip",
                                      "verticalBlank",
                                      "restorePrimary",
                                      "restoreBack"};
  static_assert(std::size(names) == static_cast<std::size_t>(Fault::count));
  const auto i = static_cast<std::size_t>(fault);
  return i < std::size(names) ? names[i] : "unknown";
}

State& state() {
  // Never destroyed: the game's global objects release their devices while
  // the program exits, after every ordinary static would be gone.
  static State* instance = new State();
  return *instance;
}

void reset() {
  auto& s = state();
  rememberMissed();
  std::vector<std::uint16_t*> surfaces = std::move(s.surfaces);
  s = State();
  s.surfaces = std::move(surfaces);  // kept: the game may still point at them
}

void fail(Fault fault) {
  static const bool checked = std::atexit(checkAtExit) == 0;
  (void)checked;
  state().failing.insert(fault);
}

std::vector<Fault> faultsNeverHit() {
  rememberMissed();
  std::vector<Fault> faults = std::move(missed());
  missed().clear();
  auto& s = state();
  s.failing.clear();
  s.hit.clear();
  std::sort(faults.begin(), faults.end());
  faults.erase(std::unique(faults.begin(), faults.end()), faults.end());
  return faults;
}

void forgetFaults() { faultsNeverHit(); }

int indexOf(const std::string& name) {
  const auto& calls = state().calls;
  auto it = std::find(calls.begin(), calls.end(), name);
  return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
}

bool called(const std::string& name) { return indexOf(name) >= 0; }

int count(const std::string& prefix) {
  int n = 0;
  for (const auto& c : state().calls)
    if (c.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

void log(const std::string& name) {
  auto& s = state();
  if (s.logCalls) s.calls.push_back(name);
  if (s.echo) std::fprintf(stderr, "fake: %s\n", name.c_str());
}

bool log(const std::string& name, Fault fault) {
  log(name);
  auto& s = state();
  if (!s.failing.count(fault)) return false;
  s.hit.insert(fault);
  return true;
}

std::string on(const char* call, platform::Handle h) {
  return std::string(call) + " " + handleName(h);
}

}  // namespace fake
