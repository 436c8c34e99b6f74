// The real-X harness shared by the SDL, fault and end-to-end suites. One
// scenario's world: its own X server (Xvfb), the real game binary
// started in it from the repository root, xdotool for the keyboard and the
// focus, import for screenshots, and the screen decoder to read them. The
// Session stops everything it started when it ends, whatever the outcome,
// and keeps the screenshots of a failed scenario in the build folder
// (e2e-artifacts/<suite>.<test>/).
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/xharness/Image.h"
#include "tests/xharness/Process.h"
#include "tests/xharness/ScreenDecoder.h"
#include "tests/xharness/XClient.h"

namespace xharness {

// What this build of the suite was made for.
struct BuildInfo {
  std::string gameBinary;   // the fusebound executable
  std::string sourceDir;    // the repository root: the game's working folder
  std::string artifactDir;  // where screenshots of failed scenarios go
  bool windowed = false;    // the windowed variant, else full screen
};
const BuildInfo& build();

constexpr const char* gameCaption = "[Kestrune] Fusebound PC 2k";
constexpr const char* gameClass = "WINXCLASS";
constexpr const char* boxCaption = "Error, Quiting..";

// How long a key is held: the game reads the keyboard once or twice a frame,
// so a key pressed and released at once is mostly missed.
constexpr Milliseconds keyHold(60);

struct WindowInfo {
  unsigned long id = 0;
  std::string name;       // "" when it has none
  std::string className;  // first part of WM_CLASS, "" when none
  int x = 0, y = 0, width = 0, height = 0;  // position on the screen
  bool viewable = false;  // mapped, and so are its ancestors (geometry only)
};

// One look at the screen, decoded.
struct Look {
  std::string label;
  double time = 0;  // seconds since the game started, when the look began
  Screenshot screen;
  std::optional<Picture> picture;  // the game's picture, when it was found
  ArenaView arena;                 // meaningful when picture is set
  bool arenaShown() const { return picture && arena.layoutShown; }
};

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // ---- the X server
  // Starts Xvfb on a free display, sized for the build's variant, and waits
  // until it takes connections.
  bool startServer();
  const std::string& display() const { return display_; }
  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }

  // ---- the game
  // Starts the game from the repository root. With `dummyAudio` SDL's dummy
  // audio driver stands in for a sound card; without it no audio device or
  // server is reachable. `program` and `workDir`, when given, start another
  // build of the game (an installed one) in another folder.
  bool startGame(bool dummyAudio = true, const std::string& program = {},
                 const std::string& workDir = {});
  // Starts another program as the game (the Windows build under Wine):
  // `argv` in `workDir`, with `extra` added to the environment.
  bool startProgram(const std::vector<std::string>& argv,
                    const Environment& extra, const std::string& workDir);
  // Ends the game (SIGTERM, then SIGKILL) and forgets its window, so that
  // it can be started again on the same server.
  void stopGame();
  Child& game() { return game_; }
  // The game's wait status once it has ended within `timeout`.
  std::optional<int> waitGameExit(Milliseconds timeout);
  // Waits for the game's window (by the game's process id).
  bool findGameWindow(Milliseconds timeout);
  unsigned long gameWindow() const { return gameWindow_; }
  // Waits until the screen shows the arena: the game's first picture.
  bool waitForFirstPicture(Milliseconds timeout, Look* first = nullptr);

  // ---- windows
  // The windows directly under the root (xwininfo -root -tree).
  std::vector<WindowInfo> topWindows();
  std::optional<WindowInfo> geometry(unsigned long window);
  std::string windowName(unsigned long window);
  unsigned long focusedWindow();
  bool focus(unsigned long window);
  bool raise(unsigned long window);
  // Starts xmessage, a window to take the focus away; its window id.
  unsigned long openOtherWindow();

  // ---- keyboard
  bool keyDown(const std::string& key);
  bool keyUp(const std::string& key);
  bool tap(const std::string& key, Milliseconds hold = keyHold);

  // ---- screen
  // A screenshot with import, kept under `label` among the artifacts.
  Look look(const std::string& label);
  // A quick grab of the picture (or of an area of it; the rest stays
  // black), decoded; not kept unless `keepAs` is given.
  Look glance(const std::string& keepAs = {}, Area area = wholePicture);
  // Where the game's picture lies on the screen, and its scale.
  bool locatePicture();
  int pictureX() const { return pictureX_; }
  int pictureY() const { return pictureY_; }
  int pictureScale() const { return pictureScale_; }

  // ---- helpers
  // A command with this session's DISPLAY.
  CommandResult x(const std::vector<std::string>& argv,
                  Milliseconds timeout = Milliseconds(10000));
  // Seconds since the game started (since the session began before that).
  double now() const;
  void log(const std::string& line);
  const Artwork& art() const { return art_; }
  const std::string& artifactDir() const { return artifactDir_; }
  // A file name among the artifacts, numbered in order of taking.
  std::string artifactPath(const std::string& label, const char* extension);

 private:
  Look decodeLook(Look look);
  bool launch(const std::vector<std::string>& argv, const Environment& env,
              const std::string& workDir);

  std::string testName_;
  std::string artifactDir_;
  std::string display_;
  int screenWidth_ = 0, screenHeight_ = 0;
  Child server_;
  Child game_;
  std::vector<Child> helpers_;
  std::optional<x11::Grabber> grabber_;
  unsigned long gameWindow_ = 0;
  int pictureX_ = -1, pictureY_ = -1, pictureScale_ = 0;
  Artwork art_;
  std::string runtimeDir_;  // empty XDG_RUNTIME_DIR for the game
  std::vector<std::string> logLines_;
  int artifactCount_ = 0;
  double start_ = 0;
};

// Starts an X server (unless `newServer` is false: the session's own is
// still running), then the game, and waits for its first picture.
::testing::AssertionResult startPlaying(Session& s, Look* first = nullptr,
                                        bool newServer = true);

// Hex form of a window id, as X tools print it.
std::string hexId(unsigned long window);

}  // namespace xharness
