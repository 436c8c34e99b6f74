// Child processes for the end-to-end suite: the X server, the game, the
// helper tools (xdotool, import, xwininfo, xmessage). Every child dies with
// the test process (a killed or timed-out test leaves nothing behind), and a
// Child that goes out of scope kills and reaps what is still running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xharness {

using Milliseconds = std::chrono::milliseconds;

// Changes to the test's own environment for one child.
struct Environment {
  std::vector<std::pair<std::string, std::string>> set;
  std::vector<std::string> unset;
};

class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;
  ~Child();

  // Starts argv[0] (searched on PATH) in `workDir` (empty: the current one).
  // Standard output and error go to `outputFile` (empty: /dev/null).
  // `keepFd`, when not -1, stays open in the child under its own number.
  bool start(const std::vector<std::string>& argv, const Environment& env,
             const std::string& workDir = {},
             const std::string& outputFile = {}, int keepFd = -1);

  // Runs `body` in a forked copy of the test process (for tests that link
  // the game's code), with the test's standard streams. `body` ends the
  // child itself; if it returns, the child exits with status 125.
  bool fork(const std::function<void()>& body);

  pid_t pid() const { return pid_; }
  // True until the child has ended and been reaped.
  bool running();
  // Waits up to `timeout` for the child to end; its wait status, or nothing
  // if it is still running.
  std::optional<int> wait(Milliseconds timeout);
  void signal(int number) const;
  // SIGTERM, a short wait, then SIGKILL; always reaps.
  void stop(Milliseconds grace = Milliseconds(1500));

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

struct CommandResult {
  bool started = false;
  bool timedOut = false;
  int status = -1;  // wait status
  std::string out;  // standard output
  std::string err;  // standard error
  bool ok() const;  // started, ended by itself with exit status 0
};

// Runs a command to its end (killed after `timeout`), collecting its output.
CommandResult runCommand(const std::vector<std::string>& argv,
                         const Environment& env,
                         Milliseconds timeout = Milliseconds(10000));

// "exited with 0", "killed by signal 9", ...
std::string describeStatus(int waitStatus);

}  // namespace xharness
