// The real game binary told to stop by the system: SIGTERM and SIGINT while
// it plays, while it stands paused in the background, and while Enter is
// held (the regenerate wait, which the signal ends at once). Each time it
// must end by itself, with status 0 and nothing on standard error, within a
// generous bound; a game that is still running after it has been killed and
// the test fails as a hang.
//
// The suite runs under xvfb-run (see CMakeLists.txt), with SDL's dummy audio
// driver; the game runs in the source folder so that it finds its pictures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* caption = "[Kestrune] Fusebound PC 2k";
// Bounds on waits for things that take milliseconds; only a broken game
// reaches them.
constexpr auto windowBound = 30s;
constexpr auto exitBound = 30s;

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

// The X id of the game's window, 0 while there is none.
unsigned long gameWindow() {
  const std::string tree = run("xwininfo -root -tree 2>/dev/null");
  const std::string quoted = std::string("\"") + caption + "\"";
  const std::size_t at = tree.find(quoted);
  if (at == std::string::npos) return 0;
  const std::size_t lineStart = tree.rfind('\n', at) + 1;
  return std::strtoul(tree.c_str() + lineStart, nullptr, 16);
}

class Game {
 public:
  Game()
      : errors(std::string(FAULTS_ARTIFACT_DIR) + "/stderr-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() +
               ".txt") {
    pid = fork();
    if (pid == 0) {
      if (chdir(FUSEBOUND_SOURCE_DIR) != 0) _exit(120);
      if (!std::freopen(errors.c_str(), "w", stderr)) _exit(121);
      execl(FUSEBOUND_BINARY, FUSEBOUND_BINARY, static_cast<char*>(nullptr));
      _exit(122);
    }
  }
  ~Game() {
    if (pid > 0 && !ended) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // Waits for the window, then a little longer for the renderer's first
  // picture. The X id, 0 if the window never came.
  unsigned long started() {
    const auto until = std::chrono::steady_clock::now() + windowBound;
    unsigned long window = 0;
    while ((window = gameWindow()) == 0 &&
           std::chrono::steady_clock::now() < until && running())
      std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(1s);
    return window;
  }

  bool running() {
    if (ended) return false;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      this->status = status;
    }
    return !ended;
  }

  // Waits for the game to end by itself; false (and the game killed) when it
  // does not.
  bool endsByItself() {
    const auto until = std::chrono::steady_clock::now() + exitBound;
    while (running() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(20ms);
    return !running();
  }

  std::string errorOutput() const {
    std::ifstream in(errors);
    return std::string((std::istreambuf_iterator<char>(in)),
                       std::istreambuf_iterator<char>());
  }

  pid_t pid = -1;
  int status = 0;
  bool ended = false;
  std::string errors;
};

void expectCleanEnd(Game& game) {
  ASSERT_TRUE(game.endsByItself()) << "the game hangs";
  EXPECT_TRUE(WIFEXITED(game.status))
      << "ended by signal " << WTERMSIG(game.status);
  if (WIFEXITED(game.status)) {
    EXPECT_EQ(WEXITSTATUS(game.status), 0);
  }
  EXPECT_EQ(game.errorOutput(), "");
}

TEST(Signals, TerminateEndsThePlayingGameWithStatusZero) {
  Game game;
  ASSERT_NE(game.started(), 0u) << game.errorOutput();
  kill(game.pid, SIGTERM);
  expectCleanEnd(game);
}

TEST(Signals, InterruptEndsThePlayingGameWithStatusZero) {
  Game game;
  ASSERT_NE(game.started(), 0u) << game.errorOutput();
  kill(game.pid, SIGINT);
  expectCleanEnd(game);
}

TEST(Signals, TerminateEndsTheGamePausedInTheBackground) {
  Game game;
  ASSERT_NE(game.started(), 0u) << game.errorOutput();
  // The focus goes to the root window: the game's window loses it, and the
  // game pauses until it comes back.
  ASSERT_EQ(std::system("xdotool windowfocus --sync "
                        "$(xwininfo -root | awk '/Window id/ {print $4}')"),
            0);
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(game.running());
  kill(game.pid, SIGTERM);
  expectCleanEnd(game);
}

TEST(Signals, TerminateWhileEnterIsHeldEndsTheGameWithEnterStillHeld) {
  Game game;
  ASSERT_NE(game.started(), 0u) << game.errorOutput();
  // Enter held (on the keyboard, which the game's window has): the game
  // waits for its release before anything else runs, but a signal ends the
  // wait.
  ASSERT_EQ(std::system("xdotool keydown Return"), 0);
  std::this_thread::sleep_for(300ms);
  kill(game.pid, SIGTERM);
  const auto signalled = std::chrono::steady_clock::now();
  while (game.running() && std::chrono::steady_clock::now() - signalled < 1s)
    std::this_thread::sleep_for(10ms);
  const bool endedInTime = !game.running();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - signalled);
  EXPECT_EQ(std::system("xdotool keyup Return"), 0);
  EXPECT_TRUE(endedInTime) << "still running a second after SIGTERM";
  std::printf("ended %lld ms after SIGTERM, Enter held\n",
              static_cast<long long>(took.count()));
  expectCleanEnd(game);
}

}  // namespace
