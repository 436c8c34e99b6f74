// The real game binary told to stop from outside, in one place: the window's
// close request (what a window manager sends when its close button is
// clicked), SIGTERM and SIGINT while it plays, SIGTERM while it stands
// paused in the background, and SIGTERM while Enter is held (the regenerate
// wait, which the signal ends with Enter still down). Each time it must end by
// itself, with status 0 and nothing on standard error, within a generous bound;
// a game still running after that is killed and the test fails as a hang.
//
// Each test has an X server of its own (the shared real-X harness), and the
// game SDL's dummy audio driver. In the sanitizer build the binary is
// instrumented too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/xharness/Harness.h"

namespace {

using namespace std::chrono_literals;
using namespace xharness;

// Only a broken game reaches it.
constexpr auto exitBound = 30s;

std::string gameErrors(const Session& s) {
  std::ifstream in(s.artifactDir() + "/game.log");
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

void expectCleanEnd(Session& s) {
  const auto status = s.waitGameExit(exitBound);
  ASSERT_TRUE(status) << "the game hangs";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
      << describeStatus(*status);
  EXPECT_EQ(gameErrors(s), "");
}

TEST(Signals, CloseRequestEndsThePlayingGameWithStatusZero) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  std::string error;
  ASSERT_TRUE(x11::sendCloseRequest(s.display(), s.gameWindow(), &error))
      << error;
  expectCleanEnd(s);
}

TEST(Signals, TerminateEndsThePlayingGameWithStatusZero) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  s.game().signal(SIGTERM);
  expectCleanEnd(s);
}

TEST(Signals, InterruptEndsThePlayingGameWithStatusZero) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  s.game().signal(SIGINT);
  expectCleanEnd(s);
}

TEST(Signals, TerminateEndsTheGamePausedInTheBackground) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  // Another window takes the focus: the game pauses until it comes back.
  ASSERT_NE(s.openOtherWindow(), 0u);
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(s.game().running());
  s.game().signal(SIGTERM);
  expectCleanEnd(s);
}

TEST(Signals, TerminateWhileEnterIsHeldEndsTheGameWithEnterStillHeld) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  // Enter held (on the keyboard, which the game's window has): the game
  // waits for its release before anything else runs, but a signal ends the
  // wait.
  ASSERT_TRUE(s.keyDown("Return"));
  std::this_thread::sleep_for(300ms);
  s.game().signal(SIGTERM);
  // Enter stays down until the game has gone: only the signal can end the
  // wait, however slow the machine.
  const auto status = s.waitGameExit(exitBound);
  EXPECT_TRUE(s.keyUp("Return"));
  ASSERT_TRUE(status) << "still waiting for Enter after SIGTERM";
  expectCleanEnd(s);
}

}  // namespace
