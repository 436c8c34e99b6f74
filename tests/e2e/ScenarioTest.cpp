// The real game as a player meets it: the fusebound binary of this build,
// each scenario in a fresh process under its own X server, driven with
// xdotool and read back from screenshots cell by cell.
//
// Where a scenario needs timing it reads the game's own clock off the
// screen: a bomb pulses through thirteen phases of eight frames each, so
// seeing every phase in order is seeing the 104 frames of its fuse.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "tests/xharness/Harness.h"
#include "tests/xharness/Play.h"

namespace e2e {

using namespace xharness;
namespace {

using namespace std::chrono_literals;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// ------------------------------------------------------------ start

TEST(ScenarioStart, WindowCaptionArenaStatusBarAndPlayer) {
  Session s;
  ASSERT_TRUE(s.startServer());
  ASSERT_TRUE(s.startGame());
  ASSERT_TRUE(s.findGameWindow(10s));
  Look first;
  ASSERT_TRUE(s.waitForFirstPicture(15s, &first));

  // The window: its caption and class; found by its caption too, with the
  // brackets taken literally.
  const unsigned long window = s.gameWindow();
  EXPECT_EQ(s.windowName(window), gameCaption);
  const CommandResult byName =
      s.x({"xdotool", "search", "--name", "^\\[Kestrune\\] Fusebound PC 2k$"});
  EXPECT_EQ(std::to_string(window),
            byName.out.substr(0, byName.out.find('\n')));
  int withCaption = 0;
  for (const WindowInfo& w : s.topWindows())
    if (w.name == gameCaption) {
      ++withCaption;
      EXPECT_EQ(w.className, gameClass);
    }
  EXPECT_EQ(withCaption, 1);
  const auto g = s.geometry(window);
  ASSERT_TRUE(g);
  EXPECT_TRUE(g->viewable);
  expectWholeNumberScale(s, *g);
  if (build().windowed) {  // centred on the screen
    EXPECT_EQ(g->x, (1024 - 2 * pictureWidth) / 2);
    EXPECT_EQ(g->y, (768 - 2 * pictureHeight) / 2);
  }
  ASSERT_TRUE(expectStartingArena(first));
  const ArenaView& a = first.arena;

  // The twelve corner cells are empty; every other floor cell holds a block
  // or nothing, about three in four a block.
  int floorCells = 0;
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      const CellView& cell = a.cell(c, r);
      if (layoutTile(c, r) != floorTile) {
        EXPECT_TRUE(cell.hiddenPixels > 0 ? cell.couldBeEmpty()
                                          : cell.isEmpty())
            << "wall or pillar " << where(c, r);
      } else if (isStartCorner(c, r)) {
        EXPECT_TRUE(cell.couldBeEmpty() && !cell.couldBePiece(blockTile))
            << "corner " << where(c, r) << "\n"
            << a.map();
      } else {
        ++floorCells;
        EXPECT_TRUE(cell.isEmpty() || cell.piece() == blockTile)
            << where(c, r) << "\n"
            << a.map();
      }
    }
  EXPECT_EQ(floorCells, 101);
  // 3 in 4 of 101: 75.75 on average, 4.35 either way; these bounds are
  // nearly five of those away.
  EXPECT_GE(a.blockCount(), 55) << a.map();
  EXPECT_LE(a.blockCount(), 96) << a.map();

  // Left alone, nothing moves.
  wait(300ms);
  const Look later = s.look("left-alone");
  ASSERT_TRUE(later.picture);
  EXPECT_EQ(later.picture->difference(*first.picture), 0);
}

// ------------------------------------------------------------ controls

TEST(ScenarioControls, RightBeatsLeftUpBeatsDownSpaceLaysNoBomb) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  // Left and Right together: right wins (left would meet the wall at once).
  s.keyDown("Left");
  s.keyDown("Right");
  wait(200ms);
  // Left goes first: the moment Right is held alone changes nothing.
  s.keyUp("Left");
  s.keyUp("Right");
  wait(50ms);
  const Look both = s.look("left-and-right");
  const PlayerView& p = both.arena.player;
  ASSERT_TRUE(p.found) << both.arena.map();
  EXPECT_GT(p.x, 56) << both.arena.map();
  EXPECT_EQ(p.facing(), 33) << both.arena.map();

  // Up and Down together: up wins. The wall above stops the player; it
  // turns to face up and at most slides along the wall.
  s.keyDown("Down");
  s.keyDown("Up");
  wait(200ms);
  s.keyUp("Down");
  s.keyUp("Up");
  wait(50ms);
  const Look upDown = s.look("up-and-down");
  const PlayerView& q = upDown.arena.player;
  ASSERT_TRUE(q.found) << upDown.arena.map();
  EXPECT_EQ(q.facing(), 11) << upDown.arena.map();
  EXPECT_EQ(q.y, 39) << upDown.arena.map();

  // Space is not the bomb key.
  s.tap("space");
  wait(100ms);
  const Look space = s.look("space");
  const CellView& under = space.arena.cell(q.column(), q.row());
  EXPECT_FALSE(under.couldBePiece(firstBombTile)) << space.arena.map();
  EXPECT_EQ(space.picture->difference(*upDown.picture), 0);
}

// ------------------------------------------------------------ a bomb

TEST(ScenarioBomb, WalkLayABombItPulsesExplodesAndBlocksCrumble) {
  Session s;
  ASSERT_TRUE(s.startServer());
  // The bomb goes off beside the start, at (3, 1); its right arm reaches
  // (4, 1) and (5, 1). An arena with no block there shows no crumbling:
  // start again (one time in sixteen).
  Look first;
  for (int attempt = 0;; ++attempt) {
    ASSERT_TRUE(startPlaying(s, &first, false));
    const ArenaView& a = first.arena;
    if (a.cell(4, 1).piece() == blockTile || a.cell(5, 1).piece() == blockTile)
      break;
    ASSERT_LT(attempt, 6) << "no arena with a block in reach";
    s.log("no block in reach: starting again");
    s.stopGame();
  }
  ASSERT_TRUE(walkIntoBombCell(s));
  const Look before = s.look("before-bomb");

  // R, a step back to the wall, and the bomb's whole fuse, until the cross
  // of flames appears.
  const std::vector<Sample> fuse =
      watch(s, 5.0, flamesAtTheBomb, "first-flames", layBombAndStepBack);
  ASSERT_FALSE(fuse.empty());
  const ArenaView& burst = fuse.back().arena;
  ASSERT_TRUE(flamesAtTheBomb(burst)) << "no explosion within 5 s of R\n"
                                      << burst.map();
  EXPECT_TRUE(playerBackAtTheWall(burst)) << burst.map();
  const std::vector<Stretch> stretches = runsOf(fuse, bombColumn, bombRow);
  s.log("bomb cell:" + describe(stretches));
  const std::vector<Stretch> phases = phasesOf(stretches);
  const double flames =
      std::find_if(fuse.begin(), fuse.end(), [](const Sample& sample) {
        return flamesAtTheBomb(sample.arena);
      })->time;
  // The pulse, phase by phase, none missing or repeated: thirteen phases of
  // eight frames, 104 frames.
  ASSERT_TRUE(isPulse(s, phases, flames))
      << "the bomb's tiles:" << describe(stretches);
  // The bomb was laid while R was down, in the player's cell (the steps
  // wait for it there), and its pulse is counted in frames above: thirteen
  // phases of eight. At 60 frames a second 104 frames take 1.73 s, a phase
  // 0.133 s; the game never runs faster. A busy machine only makes it
  // slower, so the clock bounds it from below alone.
  const double laid = phases.front().start;
  std::vector<double> lengths;
  for (std::size_t i = 0; i < phases.size(); ++i)
    lengths.push_back((i + 1 < phases.size() ? phases[i + 1].start : flames) -
                      phases[i].start);
  std::sort(lengths.begin(), lengths.end());
  const double typical = lengths[lengths.size() / 2];
  const double fuseSeconds = flames - laid;
  s.log("fuse " + std::to_string(fuseSeconds) + " s (" +
        std::to_string(fuseSeconds * 60) + " frames at 60 Hz), typical phase " +
        std::to_string(typical) + " s");
  EXPECT_GT(fuseSeconds, 1.65);
  EXPECT_GT(typical, 0.11);

  // The cross: centre, arms stopped by the wall, the pillar and the first
  // block, which starts crumbling; nothing else touched.
  const ArenaView& old = before.arena;
  const auto cross = expectedCross(old, bombColumn, bombRow);
  for (const auto& [at, piece] : cross)
    EXPECT_TRUE(shows(burst.cell(at.first, at.second), piece))
        << where(at.first, at.second) << " should show piece " << piece << "\n"
        << burst.map();
  const auto changed = changedCells(old, burst, cross);
  EXPECT_TRUE(changed.empty())
      << "cells out of reach changed:" << listCells(changed) << "\n"
      << burst.map();

  // Flames burn out, blocks crumble through their stages and vanish.
  const std::vector<Sample> after = watch(
      s, 3.0,
      [&](const ArenaView& a) {
        for (const auto& [at, piece] : cross)
          if (!a.cell(at.first, at.second).couldBeEmpty()) return false;
        return true;
      },
      "burnt-out");
  for (const auto& [at, piece] : cross) {
    if (piece != firstCrumbleTile) continue;
    const std::vector<Stretch> stages = runsOf(after, at.first, at.second);
    s.log("crumbling " + where(at.first, at.second) + ":" + describe(stages));
    // At least one stage of crumbling seen, then the empty floor.
    ASSERT_GE(stages.size(), 2u) << describe(stages);
    EXPECT_EQ(stages.back().tile, nothing) << describe(stages);
    for (std::size_t i = 0; i + 1 < stages.size(); ++i) {
      EXPECT_GE(stages[i].tile, firstCrumbleTile) << describe(stages);
      EXPECT_LT(stages[i].tile, firstBombTile) << describe(stages);
      if (i > 0) {
        EXPECT_GT(stages[i].tile, stages[i - 1].tile) << describe(stages);
      }
    }
  }
  const Look end = s.look("after-explosion");
  for (const auto& [at, piece] : cross)
    EXPECT_TRUE(end.arena.cell(at.first, at.second).couldBeEmpty())
        << where(at.first, at.second) << "\n"
        << end.arena.map();
  EXPECT_TRUE(changedCells(old, end.arena, cross).empty())
      << listCells(changedCells(old, end.arena, cross)) << "\n"
      << end.arena.map();
  EXPECT_TRUE(playerBackAtTheWall(end.arena)) << end.arena.map();
}

// ------------------------------------------------------------ regenerate

TEST(ScenarioRegenerate, EnterHeldFreezesThenANewArenaWithoutTheBomb) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  ASSERT_TRUE(walkIntoBombCell(s));
  const double keyTime = s.now();
  watch(
      s, 2.0,
      [](const ArenaView& a) {
        return playerBackAtTheWall(a) &&
               a.cell(bombColumn, bombRow).piece() == firstBombTile;
      },
      "", layBombAndStepBack);
  const Look laid = s.look("bomb-laid");
  ASSERT_EQ(laid.arena.cell(bombColumn, bombRow).piece(), firstBombTile)
      << laid.arena.map();
  const ArenaView old = laid.arena;

  s.keyDown("Return");
  wait(150ms);
  const Look held1 = s.glance("enter-held");
  wait(400ms);  // three phases of the bomb's pulse
  const Look held2 = s.glance("enter-held-later");
  wait(300ms);
  const Look held3 = s.look("enter-held-longer");
  ASSERT_TRUE(held1.picture && held2.picture && held3.picture);
  EXPECT_TRUE(isBombTile(held1.arena.cell(bombColumn, bombRow).tile()))
      << held1.arena.map();
  EXPECT_EQ(held2.picture->difference(*held1.picture), 0)
      << "the picture changed while Enter was held";
  EXPECT_EQ(held3.picture->difference(*held1.picture), 0)
      << "the picture changed while Enter was held";

  s.keyUp("Return");
  wait(150ms);
  const Look fresh = s.look("released");
  const ArenaView& a = fresh.arena;
  ASSERT_TRUE(fresh.arenaShown()) << a.map();
  EXPECT_TRUE(a.statusBar);
  // The bomb is gone: its cell is empty or holds a new block.
  const int left = a.cell(bombColumn, bombRow).piece();
  EXPECT_TRUE(left == nothing || left == blockTile) << a.map();
  // A new arena: floor cells hold blocks or nothing, other than before.
  const auto changed = changedCells(old, a);
  EXPECT_GE(changed.size(), 10u) << "hardly anything changed\n" << a.map();
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      const CellView& cell = a.cell(c, r);
      if (cell.hiddenPixels > 0) continue;
      EXPECT_TRUE(cell.isEmpty() || cell.piece() == blockTile)
          << where(c, r) << "\n"
          << a.map();
    }
  // The player stays where it stood.
  EXPECT_TRUE(playerBackAtTheWall(a)) << a.map();

  // Past the old bomb's fuse: no explosion, and no second new arena.
  const double sinceLaying = s.now() - keyTime;
  if (sinceLaying < 2.5)
    wait(Milliseconds(static_cast<int>((2.5 - sinceLaying) * 1000)));
  const Look later = s.look("after-old-fuse");
  ASSERT_TRUE(later.picture);
  EXPECT_EQ(later.picture->difference(*fresh.picture), 0) << later.arena.map();
}

// ------------------------------------------------------------ pause

TEST(ScenarioPause, AnotherWindowFocusedPausesThenResumesWhereItStood) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  // Another program's window, for taking the focus away later. It does not
  // take the focus when it appears.
  const unsigned long other = s.openOtherWindow();
  ASSERT_NE(other, 0u);
  EXPECT_TRUE(s.raise(s.gameWindow()));
  ASSERT_TRUE(walkIntoBombCell(s));

  // The bomb, its pulse for a while, then the focus to the other window;
  // watched without a gap, so that every phase before the pause is seen.
  std::vector<Step> steps = layBombAndStepBack;
  double pausedAt = 0;
  steps.push_back({0.3, [&](Session& session) {
                     pausedAt = session.now();
                     session.focus(other);
                   }});
  const std::vector<Sample> running = watch(
      s, 4.0, [](const ArenaView& a) { return a.paused(); }, "", steps);
  ASSERT_FALSE(running.empty());
  ASSERT_TRUE(running.back().arena.paused()) << "no pause message\n"
                                             << running.back().arena.map();
  const auto last =
      std::find_if(running.rbegin(), running.rend(),
                   [](const Sample& sample) { return !sample.arena.paused(); });
  ASSERT_NE(last, running.rend());
  const ArenaView before = last->arena;
  ASSERT_EQ(before.cell(bombColumn, bombRow).piece(), firstBombTile)
      << before.map();
  ASSERT_TRUE(playerBackAtTheWall(before)) << before.map();
  EXPECT_EQ(s.focusedWindow(), other);
  // The game's window raised over the other one, so that its whole picture
  // can be read.
  EXPECT_TRUE(s.raise(s.gameWindow()));
  wait(200ms);
  const Look paused = s.look("paused");
  ASSERT_TRUE(paused.picture);
  EXPECT_TRUE(paused.arena.paused()) << "no pause message\n"
                                     << paused.arena.map();
  EXPECT_EQ(paused.arena.cell(bombColumn, bombRow).tile(),
            running.back().arena.cell(bombColumn, bombRow).tile())
      << paused.arena.map();
  EXPECT_TRUE(playerBackAtTheWall(paused.arena)) << paused.arena.map();

  // Frozen, past the end of the fuse.
  wait(700ms);
  const Look still = s.glance("still-paused");
  wait(1500ms);
  const Look stillLater = s.look("still-paused-later");
  ASSERT_TRUE(still.picture && stillLater.picture);
  EXPECT_EQ(still.picture->difference(*paused.picture), 0)
      << "the picture changed while paused";
  EXPECT_EQ(stillLater.picture->difference(*paused.picture), 0)
      << "the picture changed while paused\n"
      << stillLater.arena.map();

  // The focus back: the pulse goes on from the phase it stood in.
  ASSERT_TRUE(s.focus(s.gameWindow()));
  const double resumedAt = s.now();
  const std::vector<Sample> resumed =
      watch(s, 3.0, flamesAtTheBomb, "flames-after-pause");
  ASSERT_FALSE(resumed.empty());
  // The message goes with the next frame: the first picture without it
  // shows the arena as it was, the bomb still in the phase it stood in, so
  // it went within that phase's eight frames.
  const auto going =
      std::find_if(resumed.begin(), resumed.end(),
                   [](const Sample& sample) { return !sample.arena.paused(); });
  ASSERT_NE(going, resumed.end()) << "the pause message stayed";
  const auto changed = changedCells(before, going->arena);
  EXPECT_TRUE(changed.empty()) << listCells(changed) << "\n"
                               << going->arena.map();
  ASSERT_TRUE(flamesAtTheBomb(resumed.back().arena))
      << "no explosion after the pause\n"
      << resumed.back().arena.map();

  // Before and after the pause together make one whole pulse, no phase
  // skipped or repeated: the stretch the pause cut in two counts once.
  std::vector<Sample> all = running;
  all.insert(all.end(), resumed.begin(), resumed.end());
  const std::vector<Stretch> stretches = runsOf(all, bombColumn, bombRow);
  s.log("bomb cell:" + describe(stretches));
  s.log("paused for " + std::to_string(resumedAt - pausedAt) + " s");
  const double flames =
      std::find_if(resumed.begin(), resumed.end(), [](const Sample& sample) {
        return flamesAtTheBomb(sample.arena);
      })->time;
  EXPECT_TRUE(isPulse(s, phasesOf(stretches), flames, pausedAt, resumedAt))
      << "not one pulse:" << describe(stretches);
}

// ------------------------------------------------------------ quitting

TEST(ScenarioQuit, EscapeEndsTheGameWithStatusZero) {
  Session s;
  ASSERT_TRUE(startPlaying(s));
  ASSERT_TRUE(escapeEndsWithStatusZero(s, 10s));
  for (const WindowInfo& w : s.topWindows()) EXPECT_NE(w.name, gameCaption);
}

// ------------------------------------------------------------ no sound

// Libraries and threads that only a started display or input device brings
// into the process.
std::vector<std::string> devicesStarted(pid_t pid) {
  const std::string proc = "/proc/" + std::to_string(pid);
  std::stringstream maps;
  maps << std::ifstream(proc + "/maps").rdbuf();
  std::vector<std::string> present;
  // The OpenGL renderer's driver, and the device library SDL loads when
  // it starts looking for joysticks.
  for (const char* library :
       {"libGLX_mesa", "swrast_dri", "libEGL_mesa", "libudev"})
    if (maps.str().find(library) != std::string::npos)
      present.push_back(library);
  for (const auto& task : std::filesystem::directory_iterator(proc + "/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind("llvmpipe", 0) == 0) present.push_back("thread " + name);
  }
  return present;
}

TEST(ScenarioFailure, NoSoundDeviceShowsTheBoxAndEndsWithStatusOne) {
  Session s;
  ASSERT_TRUE(s.startServer());
  ASSERT_TRUE(s.startGame(false));

  // The box appears, titled "Error, Quiting..".
  std::optional<WindowInfo> box;
  for (int i = 0; i < 200 && !box; ++i) {
    for (const WindowInfo& w : s.topWindows())
      if (w.name == boxCaption) box = w;
    if (!box) wait(50ms);
    if (!s.game().running()) break;
  }
  ASSERT_TRUE(box) << "no box titled " << boxCaption;
  wait(300ms);  // drawn
  const auto shown = s.geometry(box->id);
  ASSERT_TRUE(shown);
  EXPECT_TRUE(shown->viewable);
  const Look screen = s.look("message-box");
  ASSERT_FALSE(screen.screen.empty());

  // Its text, compared with the text drawn here in the box's font.
  const Screenshot inBox =
      screen.screen.crop(shown->x, shown->y, shown->width, shown->height);
  std::string error;
  const auto expected =
      x11::renderBoxText(s.display(), "Couldn't Access Soundcard!", &error);
  ASSERT_TRUE(expected) << error;
  // Light text on a dark box.
  EXPECT_TRUE(x11::containsText(inBox, *expected, 160))
      << "the box does not say \"Couldn't Access Soundcard!\"";
  const auto other = x11::renderBoxText(
      s.display(), "Couldn't Set Soundcard Access Level!", &error);
  ASSERT_TRUE(other) << error;
  EXPECT_FALSE(x11::containsText(inBox, *other, 160));

  // The window was made first; nothing after sound was started: one window
  // with the caption, no picture in it, no display or input device in the
  // process.
  int withCaption = 0;
  unsigned long gameWindow = 0;
  for (const WindowInfo& w : s.topWindows())
    if (w.name == gameCaption) {
      ++withCaption;
      gameWindow = w.id;
    }
  EXPECT_EQ(withCaption, 1);
  if (gameWindow != 0 && s.findGameWindow(2s) && s.locatePicture()) {
    const Look inside = s.glance("game-window-behind-box");
    EXPECT_FALSE(inside.arenaShown()) << inside.arena.map();
  }
  EXPECT_TRUE(s.game().running()) << "the game ended with the box up";
  const auto started = devicesStarted(s.game().pid());
  std::string names;
  for (const std::string& n : started) names += " " + n;
  EXPECT_TRUE(started.empty()) << "started after sound failed:" << names;

  // Return on the box ends the program with status 1: a failed start.
  ASSERT_TRUE(s.focus(box->id));
  s.tap("Return");
  const auto status = s.waitGameExit(10s);
  ASSERT_TRUE(status) << "the game did not end when the box was closed";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
      << describeStatus(*status);
  for (const WindowInfo& w : s.topWindows()) EXPECT_NE(w.name, boxCaption);
}

}  // namespace
}  // namespace e2e
