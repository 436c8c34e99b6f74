#include "tests/xharness/Harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/WindowedRun.h"

namespace xharness {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds() {
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string testName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info == nullptr ? "no-test"
                                     : std::string(info->test_suite_name()) +
                                           "." + info->name();
  for (char& c : name)
    if (c == '/') c = '-';
  return name;
}

bool keepArtifacts() {
  const char* keep = std::getenv("E2E_KEEP_SCREENSHOTS");
  return keep != nullptr && *keep != '\0' && std::string(keep) != "0";
}

// The first window id in xdotool's output (decimal, one a line).
unsigned long firstId(const std::string& out) {
  std::istringstream in(out);
  unsigned long id = 0;
  in >> id;
  return id;
}

// "WxH+X+Y" at `text`; false if it is not there.
bool parseGeometry(const std::string& text, WindowInfo* info) {
  int w = 0, h = 0, x = 0, y = 0;
  char sx = 0, sy = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c%d%c%d", &w, &h, &sx, &x, &sy, &y) != 6)
    return false;
  info->width = w;
  info->height = h;
  return true;
}

}  // namespace

const BuildInfo& build() {
  static const BuildInfo info{XHARNESS_GAME_BINARY, XHARNESS_SOURCE_DIR,
                              XHARNESS_ARTIFACT_DIR, windowedRun()};
  return info;
}

::testing::AssertionResult startPlaying(Session& s, Look* first,
                                        bool newServer) {
  if (newServer && !s.startServer())
    return ::testing::AssertionFailure() << "the X server did not start";
  if (!s.startGame())
    return ::testing::AssertionFailure() << "the game did not start";
  if (!s.waitForFirstPicture(std::chrono::seconds(15), first))
    return ::testing::AssertionFailure() << "the game showed no arena";
  return ::testing::AssertionSuccess();
}

std::string hexId(unsigned long window) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%lx", window);
  return buffer;
}

Session::Session() : testName_(testName()), start_(seconds()) {
  artifactDir_ = build().artifactDir + "/" + testName_;
  std::error_code ignored;
  fs::remove_all(artifactDir_, ignored);
  fs::create_directories(artifactDir_, ignored);
  std::string error;
  if (!art_.load(build().sourceDir + "/data", &error))
    ADD_FAILURE() << "cannot read the game's pictures: " << error;
}

Session::~Session() {
  // The game first (it is the X server's client), then the helpers, then
  // the server itself.
  if (game_.pid() > 0 && game_.running()) log("stopping the game");
  game_.stop(Milliseconds(2000));
  for (Child& helper : helpers_) helper.stop(Milliseconds(500));
  grabber_.reset();
  server_.stop(Milliseconds(2000));
  std::error_code ignored;
  if (!runtimeDir_.empty()) fs::remove_all(runtimeDir_, ignored);
  const bool failed = ::testing::Test::HasFailure();
  {
    std::ofstream out(artifactDir_ + "/log.txt");
    for (const std::string& line : logLines_) out << line << '\n';
  }
  if (failed) {
    std::printf("---- scenario log (%s)\n", artifactDir_.c_str());
    for (const std::string& line : logLines_) std::printf("%s\n", line.c_str());
    std::printf("---- screenshots and logs kept in %s\n", artifactDir_.c_str());
  } else if (!keepArtifacts()) {
    fs::remove_all(artifactDir_, ignored);
  }
}

double Session::now() const { return seconds() - start_; }

void Session::log(const std::string& line) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%7.3f] ", now());
  logLines_.push_back(stamp + line);
}

std::string Session::artifactPath(const std::string& label,
                                  const char* extension) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%02d-", ++artifactCount_);
  return artifactDir_ + "/" + prefix + label + extension;
}

CommandResult Session::x(const std::vector<std::string>& argv,
                         Milliseconds timeout) {
  Environment env;
  env.set.push_back({"DISPLAY", display_});
  CommandResult result = runCommand(argv, env, timeout);
  if (!result.ok()) {
    std::string line = "command failed (" +
                       (result.timedOut ? std::string("timed out")
                                        : describeStatus(result.status)) +
                       "):";
    for (const std::string& a : argv) line += " " + a;
    if (!result.err.empty()) line += " -- " + trim(result.err);
    log(line);
  }
  return result;
}

// ------------------------------------------------------------ X server

bool Session::startServer() {
  screenWidth_ = build().windowed ? 1024 : 960;
  screenHeight_ = build().windowed ? 768 : 720;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  const std::string screen = std::to_string(screenWidth_) + "x" +
                             std::to_string(screenHeight_) + "x24";
  // Xvfb picks a free display number itself and writes it to the pipe once
  // it takes connections.
  const bool started =
      server_.start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen",
                     "0", screen, "-nolisten", "tcp", "-noreset"},
                    {}, {}, artifactDir_ + "/xvfb.log", fds[1]);
  close(fds[1]);
  if (!started) {
    close(fds[0]);
    log("cannot start Xvfb");
    return false;
  }
  std::string number;
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) > 0) {
      char buffer[16];
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<std::size_t>(n));
    }
    if (!server_.running()) break;
  }
  close(fds[0]);
  number = trim(number);
  if (number.empty()) {
    log("Xvfb did not report a display");
    return false;
  }
  display_ = ":" + number;
  log("Xvfb on " + display_ + ", screen " + screen);
  // It says it is ready; make sure a client gets through.
  const CommandResult size = x({"xdotool", "getdisplaygeometry"});
  if (!size.ok() || trim(size.out) != std::to_string(screenWidth_) + " " +
                                          std::to_string(screenHeight_)) {
    log("the X server answers '" + trim(size.out) + "'");
    return false;
  }
  grabber_.emplace(display_);
  return grabber_->ok();
}

// ------------------------------------------------------------ the game

bool Session::startGame(bool dummyAudio, const std::string& program,
                        const std::string& workDir) {
  Environment env;
  env.set.push_back({"DISPLAY", display_});
  env.unset = {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "AUDIODEV"};
  if (dummyAudio) {
    env.set.push_back({"SDL_AUDIODRIVER", "dummy"});
  } else {
    // No sound card and no sound server: an empty runtime folder (no
    // PulseAudio or PipeWire socket), no server address, and an ALSA
    // configuration that names no device.
    env.unset.push_back("SDL_AUDIODRIVER");
    runtimeDir_ = artifactDir_ + "/no-audio";
    std::error_code ignored;
    fs::create_directories(runtimeDir_ + "/runtime", ignored);
    std::ofstream(runtimeDir_ + "/asound.conf").close();
    env.set.push_back({"XDG_RUNTIME_DIR", runtimeDir_ + "/runtime"});
    env.set.push_back({"PIPEWIRE_RUNTIME_DIR", runtimeDir_ + "/runtime"});
    env.set.push_back({"PULSE_SERVER", "unix:" + runtimeDir_ + "/no-server"});
    env.set.push_back({"ALSA_CONFIG_PATH", runtimeDir_ + "/asound.conf"});
  }
  const std::string& binary = program.empty() ? build().gameBinary : program;
  const std::string& folder = workDir.empty() ? build().sourceDir : workDir;
  std::vector<std::string> command{binary};
  if (build().windowed) command.push_back("--window");
  if (!launch(command, env, folder)) return false;
  if (!program.empty()) log("started " + binary + " in " + folder);
  log("game pid " + std::to_string(game_.pid()) +
      (dummyAudio ? ", dummy audio" : ", no audio device"));
  return true;
}

bool Session::startProgram(const std::vector<std::string>& argv,
                           const Environment& extra,
                           const std::string& workDir) {
  Environment env = extra;
  env.set.push_back({"DISPLAY", display_});
  if (!launch(argv, env, workDir)) return false;
  log("started " + argv.front() + " in " + workDir + ", pid " +
      std::to_string(game_.pid()));
  return true;
}

bool Session::launch(const std::vector<std::string>& argv,
                     const Environment& env, const std::string& workDir) {
  start_ = seconds();
  logLines_.push_back("---- game started (times from here)");
  if (!game_.start(argv, env, workDir, artifactDir_ + "/game.log")) {
    log("cannot start " + argv.front());
    return false;
  }
  return true;
}

void Session::stopGame() {
  log("stopping the game");
  game_.stop(Milliseconds(3000));
  gameWindow_ = 0;
  pictureScale_ = 0;
}

std::optional<int> Session::waitGameExit(Milliseconds timeout) {
  const auto status = game_.wait(timeout);
  if (status)
    log("game " + describeStatus(*status));
  else
    log("game still running after " + std::to_string(timeout.count()) + " ms");
  return status;
}

bool Session::findGameWindow(Milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  do {
    const CommandResult r =
        runCommand({"xdotool", "search", "--pid", std::to_string(game_.pid())},
                   {{{"DISPLAY", display_}}, {}});
    std::vector<unsigned long> ids;
    std::istringstream in(r.out);
    for (unsigned long id = 0; in >> id;) ids.push_back(id);
    // While SDL starts up an old window can linger beside the new one:
    // the newest that is shown, else the newest.
    unsigned long chosen = ids.empty() ? 0 : ids.back();
    if (ids.size() > 1)
      for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const auto info = geometry(*it);
        if (info && info->viewable) {
          chosen = *it;
          break;
        }
      }
    if (chosen != 0) {
      if (chosen != gameWindow_) log("game window " + hexId(chosen));
      gameWindow_ = chosen;
      return true;
    }
    if (!game_.running()) break;
    std::this_thread::sleep_for(Milliseconds(30));
  } while (Clock::now() < deadline);
  log("no game window found");
  return false;
}

bool Session::locatePicture() {
  const auto info = geometry(gameWindow_);
  if (!info) return false;
  // Full screen and windowed alike: scaled by the largest whole factor that
  // fits the window, centred.
  pictureScale_ =
      std::min(info->width / pictureWidth, info->height / pictureHeight);
  if (pictureScale_ < 1) return false;
  pictureX_ = info->x + (info->width - pictureWidth * pictureScale_) / 2;
  pictureY_ = info->y + (info->height - pictureHeight * pictureScale_) / 2;
  return true;
}

bool Session::waitForFirstPicture(Milliseconds timeout, Look* first) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    // SDL may make the window anew while it starts up: look it up each
    // time until the arena shows.
    if (findGameWindow(Milliseconds(1000)) && locatePicture()) {
      const Look quick = glance();
      if (quick.arenaShown()) {
        log("first picture of the arena seen");
        // The window can be made anew while SDL starts up: look again.
        if (now() < 0.5)
          std::this_thread::sleep_for(
              std::chrono::duration<double>(0.5 - now()));
        if (!findGameWindow(Milliseconds(2000)) || !locatePicture())
          return false;
        const Look shot = look("first-picture");
        if (first != nullptr) *first = shot;
        return shot.arenaShown();
      }
    }
    if (!game_.running()) {
      log("the game ended before showing a picture");
      return false;
    }
    std::this_thread::sleep_for(Milliseconds(20));
  }
  look("no-first-picture");
  log("no picture of the arena in time");
  return false;
}

// ------------------------------------------------------------ windows

std::vector<WindowInfo> Session::topWindows() {
  std::vector<WindowInfo> out;
  const CommandResult r = x({"xwininfo", "-root", "-tree"});
  std::istringstream in(r.out);
  std::string line;
  while (std::getline(in, line)) {
    // Direct children of the root are indented by five spaces exactly.
    if (line.rfind("     0x", 0) != 0) continue;
    WindowInfo info;
    std::size_t used = 0;
    info.id = std::stoul(line.substr(5), &used, 16);
    std::size_t pos = 5 + used + 1;  // past the id and the space
    if (pos < line.size() && line[pos] == '"') {
      const std::size_t end = line.find("\": (", pos + 1);
      if (end == std::string::npos) continue;
      info.name = line.substr(pos + 1, end - pos - 1);
      pos = end + 3;
    } else {
      pos = line.find("): (", pos);
      if (pos == std::string::npos) continue;
      pos += 3;
    }
    const std::size_t classEnd = line.find(')', pos);
    if (classEnd == std::string::npos) continue;
    const std::string classes = line.substr(pos + 1, classEnd - pos - 1);
    if (classes.size() > 2 && classes[0] == '"')
      info.className = classes.substr(1, classes.find('"', 1) - 1);
    std::istringstream rest(line.substr(classEnd + 1));
    std::string size, absolute;
    rest >> size >> absolute;
    if (!parseGeometry(size, &info)) continue;
    int ax = 0, ay = 0;
    if (std::sscanf(absolute.c_str(), "%d%d", &ax, &ay) == 2) {
      info.x = ax;
      info.y = ay;
    }
    out.push_back(info);
  }
  return out;
}

std::optional<WindowInfo> Session::geometry(unsigned long window) {
  const CommandResult r = x({"xwininfo", "-id", hexId(window)});
  if (!r.ok()) return std::nullopt;
  WindowInfo info;
  info.id = window;
  std::istringstream in(r.out);
  std::string line;
  int found = 0;
  while (std::getline(in, line)) {
    const std::string t = trim(line);
    auto value = [&](const char* key, int* out) {
      const std::string k = key;
      if (t.rfind(k, 0) == 0) {
        *out = std::atoi(t.c_str() + k.size());
        ++found;
      }
    };
    value("Absolute upper-left X:", &info.x);
    value("Absolute upper-left Y:", &info.y);
    value("Width:", &info.width);
    value("Height:", &info.height);
    if (t.rfind("Map State:", 0) == 0)
      info.viewable = t.find("IsViewable") != std::string::npos;
  }
  const auto quote = r.out.find('"');
  if (quote != std::string::npos)
    info.name = r.out.substr(quote + 1, r.out.find('"', quote + 1) - quote - 1);
  if (found != 4) return std::nullopt;
  return info;
}

std::string Session::windowName(unsigned long window) {
  const CommandResult r =
      x({"xdotool", "getwindowname", std::to_string(window)});
  std::string name = r.out;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

unsigned long Session::focusedWindow() {
  return firstId(x({"xdotool", "getwindowfocus", "-f"}).out);
}

bool Session::focus(unsigned long window) {
  log("focus to " + hexId(window));
  return x({"xdotool", "windowfocus", "--sync", std::to_string(window)},
           Milliseconds(5000))
      .ok();
}

bool Session::raise(unsigned long window) {
  return x({"xdotool", "windowraise", std::to_string(window)}).ok();
}

unsigned long Session::openOtherWindow() {
  Child other;
  Environment env;
  env.set.push_back({"DISPLAY", display_});
  const std::string title = "e2e-other-window";
  if (!other.start({"xmessage", "-title", title, "-geometry", "+0+0",
                    "another program's window"},
                   env))
    return 0;
  helpers_.push_back(std::move(other));
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline) {
    const unsigned long id = firstId(
        runCommand({"xdotool", "search", "--name", "^" + title + "$"}, env)
            .out);
    if (id != 0) {
      const auto info = geometry(id);
      if (info && info->viewable) {
        log("other window " + hexId(id));
        return id;
      }
    }
    std::this_thread::sleep_for(Milliseconds(30));
  }
  log("xmessage showed no window");
  return 0;
}

// ------------------------------------------------------------ keyboard

bool Session::keyDown(const std::string& key) {
  log("key down " + key);
  return x({"xdotool", "keydown", key}).ok();
}

bool Session::keyUp(const std::string& key) {
  log("key up " + key);
  return x({"xdotool", "keyup", key}).ok();
}

bool Session::tap(const std::string& key, Milliseconds hold) {
  const bool down = keyDown(key);
  std::this_thread::sleep_for(hold);
  return keyUp(key) && down;
}

// ------------------------------------------------------------ screen

Look Session::decodeLook(Look look) {
  if (pictureScale_ > 0 && !look.screen.empty()) {
    look.picture =
        extractPicture(look.screen, pictureX_, pictureY_, pictureScale_);
    if (look.picture) look.arena = decode(*look.picture, art_);
  }
  return look;
}

Look Session::look(const std::string& label) {
  Look look;
  look.label = label;
  look.time = now();
  const std::string path = artifactPath(label, ".png");
  const CommandResult r =
      x({"import", "-silent", "-window", "root", "PNG24:" + path});
  std::string error;
  if (r.ok()) look.screen = readPng(path, &error);
  if (look.screen.empty()) {
    log("screenshot " + label + " failed " + error);
    return look;
  }
  look = decodeLook(std::move(look));
  log("screenshot " + path.substr(artifactDir_.size() + 1) +
      (look.arenaShown() ? "" : " (no arena)") +
      (look.arena.paused() ? " (paused)" : ""));
  if (look.picture) logLines_.push_back(look.arena.map());
  return look;
}

Look Session::glance(const std::string& keepAs, Area area) {
  Look look;
  look.label = keepAs;
  look.time = now();
  if (grabber_ && grabber_->ok() && pictureScale_ > 0) {
    // Only what is asked for: the less, the finer the timing.
    const int s = pictureScale_;
    look.screen = grabber_->grab(pictureX_ + area.x * s, pictureY_ + area.y * s,
                                 area.width * s, area.height * s);
    if (!look.screen.empty()) {
      look.picture =
          extractPicture(look.screen, -area.x * s, -area.y * s, s, area);
      if (look.picture) look.arena = decode(*look.picture, art_);
    }
  }
  if (!keepAs.empty() && !look.screen.empty()) {
    const std::string path = artifactPath(keepAs, ".png");
    writePng(path, look.screen);
    log("grabbed " + path.substr(artifactDir_.size() + 1) +
        (look.arenaShown() ? "" : " (no arena)") +
        (look.arena.paused() ? " (paused)" : ""));
    if (look.picture) logLines_.push_back(look.arena.map());
  }
  return look;
}

}  // namespace xharness
