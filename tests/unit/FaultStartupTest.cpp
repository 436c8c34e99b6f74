// Every start-up failure of every device, each as its own whole-program run
// in a process of its own. A failure with a message ends the game: the
// complete list of calls from the window's creation to the process's end
// shows that the failing step is the last one tried, nothing after it
// starts, and what was started is released in reverse order (input, then
// video, then sound); exactly one message box, with its text and the caption
// "Error, Quiting.."; exit status 1. A failure without a message (the
// joystick's) leaves the game running, with no box. A joystick is attached,
// so the input devices' release includes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Game.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/WindowedRun.h"

namespace {

using fake::Fault;

const bool windowed = windowedRun();
// The call that shows a frame.
const char* const frameShown =
    windowed ? "fake: ddBltFromMemory primary" : "fake: ddFlip";

// One step of the start-up: the fake's name for the call, the fault that
// makes it fail, the message shown when it fails ("" when the game goes on
// regardless), what exists from then on, and whether the variant makes the
// call at all.
enum class Made {
  nothing,
  sound,
  input,
  keyboard,
  joystick,
  video,
  primary,
  back
};
struct Step {
  const char* call;
  std::optional<Fault> fault;
  const char* message;
  Made made;
  bool fullScreen = true;
  bool inWindow = true;
};

const std::vector<Step>& startUp() {
  static const std::vector<Step> steps = {
      {"registerClass", {}, "", Made::nothing},
      {"createWindow", {}, "", Made::nothing},
      {"showCursor 0", {}, "", Made::nothing, true, false},
      {"directSoundCreate", Fault::soundCreate, "Couldn't Access Soundcard!",
       Made::sound},
      {"dsSetCooperativeLevel 1", Fault::soundLevel,
       "Couldn't Set Soundcard Access Level!", Made::nothing},
      {"directInputCreate", Fault::inputCreate, "Couldn't Access Input!",
       Made::input},
      {"diCreateDevice keyboard", Fault::keyboardCreate,
       "Couldn't Access Keyboard!", Made::keyboard},
      {"diSetCooperativeLevel keyboard 6", Fault::keyboardLevel,
       "Couldn't Set Access Level!", Made::nothing},
      {"diSetDataFormat keyboard", Fault::keyboardFormat,
       "Couldn't Set Keyboard Format!", Made::nothing},
      {"diAcquire keyboard", Fault::keyboardAcquire,
       "Couldn't Aquire Keyboard!", Made::nothing},
      {"diEnumDevices", Fault::joystickEnum, "", Made::nothing},
      {"diCreateDevice joystick", Fault::joystickCreate, "", Made::nothing},
      {"diQueryInterface2 joystickFirst", Fault::joystickInterface2, "",
       Made::nothing},
      {"diRelease joystickFirst", {}, "", Made::nothing},
      {"diSetCooperativeLevel joystick 10", Fault::joystickLevel, "",
       Made::nothing},
      {"diSetDataFormat joystick", Fault::joystickFormat, "", Made::nothing},
      {"diSetRange joystick 0", Fault::joystickRange, "", Made::nothing},
      {"diSetRange joystick 4", {}, "", Made::nothing},
      {"diAcquire joystick", Fault::joystickAcquire, "", Made::joystick},
      {"directDrawCreate", Fault::videoCreate, "Couldn't Access VideoCard!",
       Made::video},
      {"ddSetCooperativeLevel 19", {}, "", Made::nothing, true, false},
      {"ddSetCooperativeLevel 8", {}, "", Made::nothing, false, true},
      {"ddSetDisplayMode", Fault::displayMode, "Couldn't Set Video Mode!",
       Made::nothing, true, false},
      {"ddCreatePrimarySurface flip", Fault::primaryCreate,
       "Couldn't Create Primary Surfaces!", Made::primary, true, false},
      {"ddCreatePrimarySurface", Fault::primaryCreate,
       "Couldn't Create Primary Surfaces!", Made::primary, false, true},
      {"ddGetAttachedBackBuffer", Fault::backBufferAttach,
       "Couldn't Create Primary Surfaces!", Made::back, true, false},
      {"ddGetPixelFormat", Fault::pixelFormat, "You must run in 16 bit color!",
       Made::nothing},
      {"ddCreateOffscreenSurface 640x960", Fault::surfaceCreate,
       "No memory to create Surface!", Made::nothing},
  };
  return steps;
}

const Step* stepOf(const std::string& call) {
  for (const Step& step : startUp())
    if (windowed ? step.inWindow : step.fullScreen)
      if (call == step.call) return &step;
  return nullptr;
}

// The calls the game makes, up to and including the failing one, then the
// box, then the releases of the exit path.
std::string expectedLog(const std::string& failing, const char* message) {
  std::string log;
  bool made[8] = {};
  for (const Step& step : startUp()) {
    if (windowed ? !step.inWindow : !step.fullScreen) continue;
    log += std::string("fake: ") + step.call + "\n";
    if (failing == step.call) break;
    made[static_cast<int>(step.made)] = true;
  }
  log += std::string("fake: messageBox ") + message + "\n";
  log += std::string("box: ") + message + " | Error, Quiting..\n";
  if (made[static_cast<int>(Made::keyboard)])
    log += "fake: diUnacquire keyboard\nfake: diRelease keyboard\n";
  if (made[static_cast<int>(Made::input)])
    log += "fake: diRelease directInput\n";
  if (made[static_cast<int>(Made::joystick)])
    log += "fake: diUnacquire joystick\nfake: diRelease joystick\n";
  if (!windowed) {  // windowed, the display objects end with the process
    if (made[static_cast<int>(Made::back)])
      log += "fake: ddRelease backBuffer\n";
    if (made[static_cast<int>(Made::primary)])
      log += "fake: ddRelease primary\n";
    if (made[static_cast<int>(Made::video)])
      log += "fake: ddRelease directDraw\n";
  }
  if (made[static_cast<int>(Made::sound)])
    log += "fake: dsRelease directSound\n";
  return log;
}

// How a step is made to fail when not by its fault.
enum class Cause { fault, zeroMasks, smallDesktop, noFocus };

struct Failure {
  const char* name;
  const char* call;  // the step that fails
  int status;        // the game's exit status
  Cause cause = Cause::fault;
};

const Failure failures[] = {
    {"NoSoundCard", "directSoundCreate", 1},
    {"NoSoundAccessLevel", "dsSetCooperativeLevel 1", 1},
    {"NoDirectInput", "directInputCreate", 1},
    {"NoKeyboard", "diCreateDevice keyboard", 1},
    {"NoKeyboardAccessLevel", "diSetCooperativeLevel keyboard 6", 1},
    {"NoKeyboardFormat", "diSetDataFormat keyboard", 1},
    {"KeyboardNotAcquired", "diAcquire keyboard", 1},
    {"KeyboardNotAcquiredWithoutTheFocus", "diAcquire keyboard", 1,
     Cause::noFocus},
    {"NoJoystickList", "diEnumDevices", 0},
    {"NoJoystick", "diCreateDevice joystick", 0},
    {"NoJoystickSecondInterface", "diQueryInterface2 joystickFirst", 0},
    {"NoJoystickAccessLevel", "diSetCooperativeLevel joystick 10", 0},
    {"NoJoystickFormat", "diSetDataFormat joystick", 0},
    {"NoJoystickRange", "diSetRange joystick 0", 0},
    {"JoystickNotAcquired", "diAcquire joystick", 0},
    {"NoVideoCard", "directDrawCreate", 1},
    {"NoVideoMode", "ddSetDisplayMode", 1},
    {"DesktopTooSmall", "ddSetDisplayMode", 1, Cause::smallDesktop},
    {"NoPrimarySurface", "ddCreatePrimarySurface flip", 1},
    {"NoPrimarySurfaceWindowed", "ddCreatePrimarySurface", 1},
    {"NoBackBuffer", "ddGetAttachedBackBuffer", 1},
    {"NoPixelFormat", "ddGetPixelFormat", 1},
    {"PaletteDisplay", "ddGetPixelFormat", 1, Cause::zeroMasks},
    {"NoCompositionSurface", "ddCreateOffscreenSurface 640x960", 1},
};

void PrintTo(const Failure& failure, std::ostream* out) {
  *out << failure.name;
}

class FaultStartup : public ::testing::TestWithParam<Failure> {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
  }
};

// Called at exit before the global objects are destroyed: the boxes shown.
void reportBoxes() {
  for (const auto& box : fake::state().messageBoxes)
    std::fprintf(stderr, "box: %s | %s\n", box.text.c_str(),
                 box.caption.c_str());
}

[[noreturn]] void startFailing(const Failure& f, const Step& step) {
  auto& s = fake::state();
  s.echo = true;
  s.joystickAttached = true;
  switch (f.cause) {
    case Cause::fault:
      fake::fail(*step.fault);
      break;
    case Cause::zeroMasks:
      s.masks = platform::PixelMasks{0xF800, 0, 0x001F};
      break;
    case Cause::smallDesktop:
      s.desktopWidthPixels = 300;
      break;
    case Cause::noFocus:
      s.focusOnCreate = false;
      break;
  }
  std::atexit(reportBoxes);
  // Escape held: a start-up that goes on ends after its first frame.
  fake::pressKey(0x01);
  const int status = winMain(1, windowedRun());
  std::exit(fake::state().messageBoxes.empty() ? status : 5);
}

TEST_P(FaultStartup, EndsWithItsMessageAndReleasesWhatWasStarted) {
  const Failure& f = GetParam();
  const Step* step = stepOf(f.call);
  if (!step) GTEST_SKIP() << "a step of the other variant";

  if (*step->message)
    EXPECT_EXIT(startFailing(f, *step), ::testing::ExitedWithCode(f.status),
                ::testing::Eq(expectedLog(f.call, step->message)));
  else
    EXPECT_EXIT(startFailing(f, *step), ::testing::ExitedWithCode(f.status),
                std::string("fake: ") + f.call + "\n.*" + frameShown);
}

INSTANTIATE_TEST_SUITE_P(EveryDevice, FaultStartup,
                         ::testing::ValuesIn(failures),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
