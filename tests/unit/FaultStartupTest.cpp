// Every start-up failure of every device, each as its own whole-program run
// in a process of its own: the complete list of calls from the window's
// creation to the process's end, so that the failing step is the last one
// tried, nothing after it starts, and what was started is released in
// reverse order (input, then video, then sound); exactly one message box,
// with its text and the caption "Error, Quiting.."; exit status 1. A
// joystick is attached, so the input devices' release includes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "app/Game.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr bool windowed = FUSEBOUND_WINDOWED_BUILD;

// One step of the start-up: the fake's name for the call, the message shown
// when it fails ("" when the game goes on regardless), what exists from then
// on, and whether the variant makes the call at all.
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
  const char* message;
  Made made;
  bool fullScreen = true;
  bool inWindow = true;
};

const std::vector<Step>& startUp() {
  static const std::vector<Step> steps = {
      {"registerClass", "", Made::nothing},
      {"createWindow", "", Made::nothing},
      {"showCursor 0", "", Made::nothing, true, false},
      {"directSoundCreate", "Couldn't Access Soundcard!", Made::sound},
      {"dsSetCooperativeLevel 1", "Couldn't Set Soundcard Access Level!",
       Made::nothing},
      {"directInputCreate", "Couldn't Access Input!", Made::input},
      {"diCreateDevice keyboard", "Couldn't Access Keyboard!", Made::keyboard},
      {"diSetCooperativeLevel keyboard 6", "Couldn't Set Access Level!",
       Made::nothing},
      {"diSetDataFormat keyboard", "Couldn't Set Keyboard Format!",
       Made::nothing},
      {"diAcquire keyboard", "Couldn't Aquire Keyboard!", Made::nothing},
      {"diEnumDevices", "", Made::nothing},
      {"diCreateDevice joystick", "", Made::nothing},
      {"diQueryInterface2 joystickFirst", "", Made::nothing},
      {"diRelease joystickFirst", "", Made::nothing},
      {"diSetCooperativeLevel joystick 10", "", Made::nothing},
      {"diSetDataFormat joystick", "", Made::nothing},
      {"diSetRange joystick 0", "", Made::nothing},
      {"diSetRange joystick 4", "", Made::nothing},
      {"diAcquire joystick", "", Made::joystick},
      {"directDrawCreate", "Couldn't Access VideoCard!", Made::video},
      {"ddSetCooperativeLevel 19", "", Made::nothing, true, false},
      {"ddSetCooperativeLevel 8", "", Made::nothing, false, true},
      {"ddSetDisplayMode", "Couldn't Set Video Mode!", Made::nothing, true,
       false},
      {"ddCreatePrimarySurface flip", "Couldn't Create Primary Surfaces!",
       Made::primary, true, false},
      {"ddCreatePrimarySurface", "Couldn't Create Primary Surfaces!",
       Made::primary, false, true},
      {"ddGetAttachedBackBuffer", "Couldn't Create Primary Surfaces!",
       Made::back, true, false},
      {"ddGetPixelFormat", "You must run in 16 bit color!", Made::nothing},
      {"ddCreateOffscreenSurface 640x960", "No memory to create Surface!",
       Made::nothing},
  };
  return steps;
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

struct Failure {
  const char* name;
  const char* failing;  // the fake's call that fails
  const char* message;
  bool zeroMasks = false;  // the call succeeds but the format has no masks
};

const Failure failures[] = {
    {"NoSoundCard", "directSoundCreate", "Couldn't Access Soundcard!"},
    {"NoSoundAccessLevel", "dsSetCooperativeLevel 1",
     "Couldn't Set Soundcard Access Level!"},
    {"NoDirectInput", "directInputCreate", "Couldn't Access Input!"},
    {"NoKeyboard", "diCreateDevice keyboard", "Couldn't Access Keyboard!"},
    {"NoKeyboardAccessLevel", "diSetCooperativeLevel keyboard 6",
     "Couldn't Set Access Level!"},
    {"NoKeyboardFormat", "diSetDataFormat keyboard",
     "Couldn't Set Keyboard Format!"},
    {"KeyboardNotAcquired", "diAcquire keyboard", "Couldn't Aquire Keyboard!"},
    {"NoVideoCard", "directDrawCreate", "Couldn't Access VideoCard!"},
    {"NoVideoMode", "ddSetDisplayMode", "Couldn't Set Video Mode!"},
    {"NoPrimarySurface", "ddCreatePrimarySurface flip",
     "Couldn't Create Primary Surfaces!"},
    {"NoPrimarySurfaceWindowed", "ddCreatePrimarySurface",
     "Couldn't Create Primary Surfaces!"},
    {"NoBackBuffer", "ddGetAttachedBackBuffer",
     "Couldn't Create Primary Surfaces!"},
    {"NoPixelFormat", "ddGetPixelFormat", "You must run in 16 bit color!"},
    {"PaletteDisplay", "ddGetPixelFormat", "You must run in 16 bit color!",
     true},
    {"NoCompositionSurface", "ddCreateOffscreenSurface 640x960",
     "No memory to create Surface!"},
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

[[noreturn]] void startFailing(const Failure& f) {
  auto& s = fake::state();
  s.echo = true;
  s.joystickAttached = true;
  if (f.zeroMasks)
    s.masks = platform::PixelMasks{0xF800, 0, 0x001F};
  else
    fake::fail(f.failing);
  std::atexit(reportBoxes);
  // Escape held: a start-up that goes on after all ends at once.
  fake::pressKey(0x01);
  winMain(1);
  std::exit(3);  // never reached: start-up ends the program itself
}

TEST_P(FaultStartup, EndsWithItsMessageAndReleasesWhatWasStarted) {
  const Failure& f = GetParam();
  bool madeInThisVariant = false;
  for (const Step& step : startUp())
    if (f.failing == std::string(step.call))
      madeInThisVariant = windowed ? step.inWindow : step.fullScreen;
  if (!madeInThisVariant) GTEST_SKIP() << "a step of the other variant";

  EXPECT_EXIT(startFailing(f), ::testing::ExitedWithCode(1),
              ::testing::Eq(expectedLog(f.failing, f.message)));
}

INSTANTIATE_TEST_SUITE_P(EveryDevice, FaultStartup,
                         ::testing::ValuesIn(failures),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
