// The Windows build (make windows) under Wine, on an X server of each
// scenario's own, read back from screenshots with the end-to-end decoder:
// a proof that the Windows side works, one scenario for each thing it must
// do, not a copy of the Linux suite.
//
// Wine draws the game's windows as X windows of the program's process, so
// the harness finds, focuses and reads them as it does the Linux game's.
// Without a window manager nobody hands the focus to a new window, so each
// scenario gives it to the game's window first, as a desktop would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/xharness/Harness.h"
#include "tests/xharness/Play.h"

namespace wine {

using namespace xharness;
namespace {

using namespace std::chrono_literals;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// Wine starts in a few seconds; on a machine busy with other builds it can
// take many more.
constexpr auto startWait = 90s;

class WineScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(WINE_PROGRAM).empty())
      GTEST_SKIP() << "Wine (Debian's wine64) is not installed; "
                      "tools/install-deps test installs it";
    ASSERT_TRUE(std::filesystem::exists(WINE_GAME_DIR "/fusebound.exe"))
        << "no Windows build in " WINE_GAME_DIR ": make windows";
    ASSERT_TRUE(std::filesystem::exists(WINE_PREFIX "/system.reg"))
        << "no Wine prefix in " WINE_PREFIX " (the wine.prefix test makes it)";
  }

  // Every process of the prefix ends with the scenario: none outlives its
  // X server into the next one.
  void TearDown() override {
    runCommand({WINE_SERVER, "-k"}, {{{"WINEPREFIX", WINE_PREFIX}}, {}});
  }

  // Starts the game under Wine with a sound device that plays nothing, or
  // with none at all.
  AssertionResult start(Session& s, bool soundDevice = true) {
    if (!s.startServer()) return AssertionFailure() << "no X server";
    const std::string noAudio = s.artifactDir() + "/no-audio.conf";
    std::ofstream(noAudio).close();
    Environment env;
    env.set = {
        {"WINEPREFIX", WINE_PREFIX},
        // The message box's text is read from Wine's trace of it.
        {"WINEDEBUG", soundDevice ? "-all" : "-all,+msgbox"},
        {"WINEDLLOVERRIDES", "mscoree,mshtml="},
        // ALSA alone: no sound server is asked.
        {"PULSE_SERVER", "unix:" + s.artifactDir() + "/no-server"},
        {"ALSA_CONFIG_PATH", soundDevice ? WINE_ALSA_NULL : noAudio},
    };
    env.unset = {"WAYLAND_DISPLAY"};
    std::vector<std::string> command{WINE_PROGRAM, "fusebound.exe"};
    if (build().windowed) command.push_back("--window");
    if (!s.startProgram(command, env, WINE_GAME_DIR))
      return AssertionFailure() << "Wine did not start";
    return AssertionSuccess();
  }

  // Starts the game and waits for its first picture; the game's window
  // then gets the focus.
  AssertionResult startPlaying(Session& s, Look* first = nullptr) {
    if (AssertionResult started = start(s); !started) return started;
    if (!s.waitForFirstPicture(startWait, first))
      return AssertionFailure() << "no picture of the arena";
    if (!s.focus(s.gameWindow()))
      return AssertionFailure() << "the game's window took no focus";
    return AssertionSuccess();
  }
};

TEST_F(WineScenario, FirstFrameFillsTheScreenOrTheWindow) {
  Session s;
  Look first;
  ASSERT_TRUE(startPlaying(s, &first));
  EXPECT_EQ(s.windowName(s.gameWindow()), gameCaption);
  const auto g = s.geometry(s.gameWindow());
  ASSERT_TRUE(g);
  // Windowed, Wine makes the X window of the client area and draws the
  // frame itself.
  expectWholeNumberScale(s, *g);
  EXPECT_TRUE(expectStartingArena(first));
  if (!build().windowed) return;

  // Resized to 700 by 500 the window shows the picture twice over still,
  // centred: the arena is found there, every pixel a whole block.
  ASSERT_TRUE(s.x({"xdotool", "windowsize", std::to_string(s.gameWindow()),
                   "700", "500"})
                  .ok());
  bool centred = false;
  for (int attempt = 0; attempt < 50 && !centred; ++attempt) {
    std::this_thread::sleep_for(200ms);
    const auto resized = s.geometry(s.gameWindow());
    if (!resized || resized->width != 700 || !s.locatePicture()) continue;
    const Look look = s.glance();
    centred =
        look.arenaShown() && look.picture && look.picture->unevenBlocks == 0;
  }
  s.look("resized");  // kept among the artifacts
  EXPECT_TRUE(centred);
  EXPECT_EQ(s.pictureScale(), 2);
}

TEST_F(WineScenario, WalkLayABombFlamesInTheCrossAfterItsPulse) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  ASSERT_TRUE(walkIntoBombCell(s));
  const Look before = s.look("before-bomb");

  const std::vector<Sample> fuse =
      watch(s, 8.0, flamesAtTheBomb, "first-flames", layBombAndStepBack);
  ASSERT_FALSE(fuse.empty());
  const ArenaView& burst = fuse.back().arena;
  ASSERT_TRUE(flamesAtTheBomb(burst)) << "no explosion within 8 s of R\n"
                                      << burst.map();
  // Thirteen phases of eight frames each, in order: the 104 frames of the
  // fuse, counted on the screen.
  const std::vector<Stretch> stretches = runsOf(fuse, bombColumn, bombRow);
  s.log("bomb cell:" + describe(stretches));
  const double flames =
      std::find_if(fuse.begin(), fuse.end(), [](const Sample& sample) {
        return flamesAtTheBomb(sample.arena);
      })->time;
  EXPECT_TRUE(isPulse(s, phasesOf(stretches), flames))
      << "the bomb's tiles:" << describe(stretches);

  const auto cross = expectedCross(before.arena, bombColumn, bombRow);
  for (const auto& [at, piece] : cross)
    EXPECT_TRUE(shows(burst.cell(at.first, at.second), piece))
        << where(at.first, at.second) << " should show piece " << piece << "\n"
        << burst.map();
  const auto changed = changedCells(before.arena, burst, cross);
  EXPECT_TRUE(changed.empty())
      << "cells out of reach changed:" << listCells(changed) << "\n"
      << burst.map();
}

TEST_F(WineScenario, FocusAwayPausesWithTheMessageFocusBackResumes) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  const unsigned long other = s.openOtherWindow();
  ASSERT_NE(other, 0u);
  ASSERT_TRUE(s.focus(other));
  // The game's window over the other one, so that its whole picture can be
  // read.
  EXPECT_TRUE(s.raise(s.gameWindow()));
  Look paused;
  for (int i = 0; i < 200 && !paused.arena.paused(); ++i) {
    paused = s.glance();
    if (!paused.arena.paused()) wait(50ms);
  }
  paused = s.look("paused");
  ASSERT_TRUE(paused.picture);
  ASSERT_TRUE(paused.arena.paused()) << "no pause message\n"
                                     << paused.arena.map();
  // The keys do nothing meanwhile, and nothing moves.
  s.tap("Right", 300ms);
  wait(300ms);
  const Look still = s.look("still-paused");
  ASSERT_TRUE(still.picture);
  EXPECT_EQ(still.picture->difference(*paused.picture), 0)
      << "the picture changed while paused\n"
      << still.arena.map();

  ASSERT_TRUE(s.focus(s.gameWindow()));
  Look resumed;
  for (int i = 0; i < 200; ++i) {
    resumed = s.glance();
    if (resumed.picture && !resumed.arena.paused()) break;
    wait(50ms);
  }
  ASSERT_FALSE(resumed.arena.paused()) << "the pause message stayed";
  const PlayerView walked = walk(s, "Right", 200ms);
  EXPECT_TRUE(walked.found && walked.x > 56) << "no walking after the pause";
}

TEST_F(WineScenario, EscapeEndsTheGameWithStatusZero) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  EXPECT_TRUE(escapeEndsWithStatusZero(s, 30s));
}

TEST_F(WineScenario, NoSoundDeviceShowsItsMessageAndEndsWithStatusOne) {
  Session s;
  ASSERT_TRUE(start(s, false));
  std::optional<WindowInfo> box;
  for (int i = 0; i < 1800 && !box && s.game().running(); ++i) {
    for (const WindowInfo& w : s.topWindows())
      if (w.name == boxCaption) box = w;
    if (!box) wait(50ms);
  }
  ASSERT_TRUE(box) << "no box titled " << boxCaption;
  s.look("message-box");
  std::stringstream log;
  log << std::ifstream(s.artifactDir() + "/game.log").rdbuf();
  EXPECT_NE(log.str().find("L\"Couldn't Access Soundcard!\""),
            std::string::npos)
      << "the box does not say \"Couldn't Access Soundcard!\":\n"
      << log.str();
  // OK ends the game.
  ASSERT_TRUE(s.focus(box->id));
  s.tap("Return");
  const auto status = s.waitGameExit(30s);
  ASSERT_TRUE(status) << "the game did not end after the box";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
      << describeStatus(*status);
}

}  // namespace
}  // namespace wine
