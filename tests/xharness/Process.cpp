#include "tests/xharness/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

extern char** environ;

namespace xharness {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> buildEnvironment(const Environment& env) {
  std::map<std::string, std::string> vars;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const char* eq = std::strchr(*entry, '=');
    if (eq == nullptr) continue;
    vars[std::string(*entry, static_cast<std::size_t>(eq - *entry))] = eq + 1;
  }
  for (const std::string& name : env.unset) vars.erase(name);
  for (const auto& [name, value] : env.set) vars[name] = value;
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// In the child, before exec: die with the test process, and take the
// standard streams given.
void prepareChild(pid_t parent, int outFd, int errFd) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  const int devNull = open("/dev/null", O_RDWR);
  dup2(devNull, 0);
  dup2(outFd >= 0 ? outFd : devNull, 1);
  dup2(errFd >= 0 ? errFd : devNull, 2);
}

}  // namespace

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      status_(std::exchange(other.status_, std::nullopt)) {}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    stop(Milliseconds(0));
    pid_ = std::exchange(other.pid_, -1);
    status_ = std::exchange(other.status_, std::nullopt);
  }
  return *this;
}

Child::~Child() { stop(Milliseconds(500)); }

bool Child::start(const std::vector<std::string>& argv, const Environment& env,
                  const std::string& workDir, const std::string& outputFile,
                  int keepFd) {
  if (argv.empty() || pid_ > 0) return false;
  std::vector<std::string> args = argv;
  std::vector<std::string> vars = buildEnvironment(env);
  std::vector<char*> argp = pointers(args);
  std::vector<char*> envp = pointers(vars);
  int outFd = -1;
  if (!outputFile.empty()) {
    outFd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                 0644);
    if (outFd < 0) return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    if (outFd >= 0) close(outFd);
    return false;
  }
  if (pid == 0) {
    prepareChild(parent, outFd, outFd);
    if (keepFd >= 0) fcntl(keepFd, F_SETFD, 0);  // survives exec
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
    execvpe(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  if (outFd >= 0) close(outFd);
  pid_ = pid;
  status_.reset();
  return true;
}

bool Child::fork(const std::function<void()>& body) {
  if (pid_ > 0) return false;
  std::fflush(stdout);  // or the child prints it again on its way out
  std::fflush(stderr);
  const pid_t parent = getpid();
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    body();
    _exit(125);
  }
  pid_ = pid;
  status_.reset();
  return true;
}

bool Child::running() {
  if (pid_ <= 0 || status_) return false;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    status_ = status;
    return false;
  }
  return r == 0;
}

std::optional<int> Child::wait(Milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (!running()) return status_;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(Milliseconds(5));
  }
}

void Child::signal(int number) const {
  if (pid_ > 0 && !status_) kill(pid_, number);
}

void Child::stop(Milliseconds grace) {
  if (pid_ <= 0) return;
  if (running()) {
    kill(pid_, SIGTERM);
    if (!wait(grace)) {
      kill(pid_, SIGKILL);
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      status_ = status;
    }
  }
  pid_ = -1;
}

bool CommandResult::ok() const {
  return started && !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

CommandResult runCommand(const std::vector<std::string>& argv,
                         const Environment& env, Milliseconds timeout) {
  CommandResult result;
  if (argv.empty()) return result;
  std::vector<std::string> args = argv;
  std::vector<std::string> vars = buildEnvironment(env);
  std::vector<char*> argp = pointers(args);
  std::vector<char*> envp = pointers(vars);
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  const pid_t parent = getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    prepareChild(parent, outPipe[1], errPipe[1]);
    execvpe(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }
  result.started = true;
  const auto deadline = Clock::now() + timeout;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int openCount = 2;
  while (openCount > 0) {
    const auto left =
        std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    const int n = poll(fds, 2, static_cast<int>(left.count()));
    if (n < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openCount;
      }
    }
  }
  for (pollfd& fd : fds)
    if (fd.fd >= 0) close(fd.fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = status;
  return result;
}

std::string describeStatus(int waitStatus) {
  if (WIFEXITED(waitStatus))
    return "exited with " + std::to_string(WEXITSTATUS(waitStatus));
  if (WIFSIGNALED(waitStatus))
    return "killed by signal " + std::to_string(WTERMSIG(waitStatus));
  return "wait status " + std::to_string(waitStatus);
}

}  // namespace xharness
