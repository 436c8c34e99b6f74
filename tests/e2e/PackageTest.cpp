// The game as players install it: the Debian package that tools/build-deb
// made (the package.build test, run first), unpacked into a scratch root,
// its files where Debian puts a game's, its desktop entry, AppStream data,
// manual page and the package itself passing their checkers, and the
// installed game started from a folder without pictures, showing the arena,
// the status bar and the player: it found its pictures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/xharness/Harness.h"

namespace e2e {

using namespace xharness;
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string appId = "io.github.fusebound.fusebound";
const std::string version = E2E_VERSION;

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every file and link under `root`, relative to it.
std::set<std::string> filesUnder(const fs::path& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory())
      files.insert(fs::relative(entry.path(), root).string());
  return files;
}

std::string lines(const std::set<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "  " + item + "\n";
  return out;
}

// Lines of a checker's output that start with one of `prefixes`.
std::string linesStartingWith(const std::string& text,
                              const std::vector<std::string>& prefixes) {
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);)
    for (const std::string& prefix : prefixes)
      if (line.rfind(prefix, 0) == 0) out += line + "\n";
  return out;
}

TEST(PackageScenario, InstalledGameFindsItsPicturesFromAnotherFolder) {
  Session s;
  const std::string arch =
      trimmed(runCommand({"dpkg", "--print-architecture"}, {}).out);
  const std::string deb = std::string(E2E_PACKAGE_DIR) + "/fusebound_" +
                          version + "_" + arch + ".deb";
  ASSERT_TRUE(fs::exists(deb)) << deb << " was not built (package.build)";

  // The package: its version is the project's, its libraries computed.
  const CommandResult fields =
      runCommand({"dpkg-deb", "-f", deb, "Version", "Depends"}, {});
  ASSERT_TRUE(fields.ok()) << fields.err;
  EXPECT_NE(fields.out.find("Version: " + version + "\n"), std::string::npos)
      << fields.out;
  EXPECT_NE(fields.out.find("libsdl2-2.0-0"), std::string::npos) << fields.out;
  EXPECT_NE(fields.out.find("libsdl2-ttf-2.0-0"), std::string::npos)
      << fields.out;

  // Unpacked, it holds these files and nothing else.
  const fs::path root = s.artifactDir() + "/root";
  const CommandResult unpacked =
      runCommand({"dpkg-deb", "-x", deb, root.string()}, {});
  ASSERT_TRUE(unpacked.ok()) << unpacked.err;
  std::set<std::string> expected = {
      "usr/games/fusebound",
      "usr/lib/games/fusebound/fusebound",
      "usr/share/games/fusebound/data/player.raw",
      "usr/share/games/fusebound/data/tiles.raw",
      "usr/share/games/fusebound/data/top.raw",
      "usr/share/applications/" + appId + ".desktop",
      "usr/share/metainfo/" + appId + ".metainfo.xml",
      "usr/share/man/man6/fusebound.6.gz",
      "usr/share/doc/fusebound/changelog.gz",
      "usr/share/doc/fusebound/copyright",
      "usr/share/lintian/overrides/fusebound"};
  for (int size : {16, 32, 48, 64, 128, 256})
    expected.insert("usr/share/icons/hicolor/" + std::to_string(size) + "x" +
                    std::to_string(size) + "/apps/fusebound.png");
  const std::set<std::string> found = filesUnder(root);
  EXPECT_EQ(found, expected) << "in the package:\n" << lines(found);
  for (const char* picture : {"player.raw", "tiles.raw", "top.raw"})
    EXPECT_TRUE(readAll(root / "usr/share/games/fusebound/data" / picture) ==
                readAll(fs::path(build().sourceDir) / "data" / picture))
        << picture << " differs from data/";

  // The menu entry starts the installed command.
  const fs::path desktop =
      root / ("usr/share/applications/" + appId + ".desktop");
  const std::string entry = readAll(desktop);
  EXPECT_NE(entry.find("\nExec=/usr/games/fusebound\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nCategories=Game;ArcadeGame;\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nIcon=fusebound\n"), std::string::npos) << entry;

  // The checkers.
  const CommandResult desktopCheck =
      runCommand({"desktop-file-validate", desktop.string()}, {});
  EXPECT_TRUE(desktopCheck.ok() && desktopCheck.out.empty())
      << desktopCheck.out << desktopCheck.err;
  const fs::path metainfo =
      root / ("usr/share/metainfo/" + appId + ".metainfo.xml");
  const CommandResult appstream = runCommand(
      {"appstreamcli", "validate", "--no-net", "--pedantic", metainfo.string()},
      {});
  EXPECT_TRUE(appstream.ok()) << appstream.out << appstream.err;
  EXPECT_NE(readAll(metainfo).find("<release version=\"" + version + "\""),
            std::string::npos);
  const CommandResult manual =
      runCommand({"man", "--warnings", "-l",
                  (root / "usr/share/man/man6/fusebound.6.gz").string()},
                 {{{"MANWIDTH", "80"}, {"MAN_DISABLE_SECCOMP", "1"}}, {}});
  EXPECT_TRUE(manual.ok()) << manual.err;
  for (const char* part :
       {"FUSEBOUND(6)", "CONTROLS", "FILES", "EXIT STATUS",
        "SDL_AUDIODRIVER=dummy", "/usr/share/games/fusebound/data/tiles.raw"})
    EXPECT_NE(manual.out.find(part), std::string::npos) << part;
  EXPECT_NE(manual.out.find("Fusebound " + version), std::string::npos);
  // groff's complaints about the page.
  EXPECT_EQ(linesStartingWith(manual.err, {"troff", "man:", "<standard"}), "")
      << manual.err;
  const CommandResult lint = runCommand(
      {"lintian", "--fail-on", "error,warning", deb}, {}, Milliseconds(120000));
  EXPECT_TRUE(lint.ok()) << lint.out << lint.err;
  EXPECT_EQ(linesStartingWith(lint.out, {"E:", "W:"}), "") << lint.out;

  // The installed game, started from a folder that has no pictures.
  const fs::path elsewhere = s.artifactDir() + "/elsewhere";
  fs::create_directories(elsewhere);
  ASSERT_TRUE(s.startServer());
  ASSERT_TRUE(
      s.startGame(true, (root / "usr/games/fusebound").string(), elsewhere));
  Look first;
  ASSERT_TRUE(s.waitForFirstPicture(15s, &first));
  const ArenaView& a = first.arena;
  EXPECT_TRUE(a.layoutShown) << a.map();
  EXPECT_TRUE(a.statusBar) << a.map();
  ASSERT_TRUE(a.player.found) << a.map();
  EXPECT_EQ(a.player.x, 56);
  EXPECT_EQ(a.player.y, 40);
  EXPECT_GE(a.blockCount(), 55) << a.map();
  s.keyDown("Escape");
  const auto status = s.waitGameExit(10s);
  s.keyUp("Escape");
  ASSERT_TRUE(status) << "the game did not end on Escape";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
      << describeStatus(*status);
}

}  // namespace
}  // namespace e2e
