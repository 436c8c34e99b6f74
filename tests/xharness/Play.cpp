#include "tests/xharness/Play.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace xharness {

using namespace std::chrono_literals;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

void wait(Milliseconds ms) { std::this_thread::sleep_for(ms); }

std::string where(int column, int row) {
  return "(" + std::to_string(column) + ", " + std::to_string(row) + ")";
}

bool isBombTile(int tile) {
  return tile >= firstBombTile && tile < firstFlameTile;
}

// ------------------------------------------------------------ first picture

void expectWholeNumberScale(Session& s, const WindowInfo& g) {
  if (build().windowed) {
    EXPECT_EQ(g.width, 2 * pictureWidth);
    EXPECT_EQ(g.height, 2 * pictureHeight);
    EXPECT_EQ(s.pictureScale(), 2);
  } else {
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, 960);
    EXPECT_EQ(g.height, 720);
    EXPECT_EQ(s.pictureScale(), 3);
    EXPECT_EQ(s.pictureX(), 0);
    EXPECT_EQ(s.pictureY(), 0);
  }
}

bool expectStartingArena(const Look& first) {
  if (!first.picture) {
    ADD_FAILURE() << "no picture";
    return false;
  }
  const ArenaView& a = first.arena;
  const bool ok = first.picture->unevenBlocks == 0 && a.layoutShown &&
                  a.statusBar && !a.paused() && a.player.found &&
                  a.player.x == 56 && a.player.y == 40 && a.player.frame == 0;
  EXPECT_EQ(first.picture->unevenBlocks, 0);
  EXPECT_TRUE(a.layoutShown) << a.map();
  EXPECT_TRUE(a.statusBar) << a.map();
  EXPECT_FALSE(a.paused()) << a.map();
  EXPECT_TRUE(a.player.found) << a.map();
  EXPECT_EQ(a.player.x, 56) << a.map();
  EXPECT_EQ(a.player.y, 40) << a.map();
  EXPECT_EQ(a.player.frame, 0) << a.map();
  return ok;
}

AssertionResult escapeEndsWithStatusZero(Session& s, Milliseconds timeout) {
  s.keyDown("Escape");
  const auto status = s.waitGameExit(timeout);
  s.keyUp("Escape");
  if (!status) return AssertionFailure() << "the game did not end on Escape";
  if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
    return AssertionFailure() << describeStatus(*status);
  return AssertionSuccess();
}

// ------------------------------------------------------------ walking

// Holds a direction key for `ms`, then looks where the player went.
PlayerView walk(Session& s, const std::string& key, Milliseconds ms) {
  s.keyDown(key);
  wait(ms);
  s.keyUp(key);
  wait(50ms);  // a frame or two to show the last step
  return s.glance().arena.player;
}

// Walks right from the start into cell (3, 1), where the bomb goes.
AssertionResult walkIntoBombCell(Session& s) {
  PlayerView p = walk(s, "Right", 200ms);
  const Look walked = s.look("walked-right");
  if (!p.found || p.x <= 56 || p.y != 39 || p.facing() != 33)
    return AssertionFailure()
           << "Right should walk the player right from (56, 40), lifting it "
              "to y 39 and facing right\n"
           << walked.arena.map();
  for (int tries = 0; p.found && p.column() != bombColumn && tries < 10;
       ++tries)
    p = walk(s, p.column() < bombColumn ? "Right" : "Left", 50ms);
  if (!p.found || p.column() != bombColumn || p.row() != bombRow)
    return AssertionFailure() << "could not bring the player into cell "
                              << where(bombColumn, bombRow);
  return AssertionSuccess();
}

// ------------------------------------------------------------ watching

Step press(double after, const char* key) {
  return {after, [key](Session& s) { s.keyDown(key); }};
}

Step release(double after, const char* key,
             std::function<bool(const ArenaView&)> ready) {
  return {after, [key](Session& s) { s.keyUp(key); }, std::move(ready)};
}

bool playerBackAtTheWall(const ArenaView& a) {
  return a.player.found && a.player.x == 56 && a.player.y == 39;
}

bool bombInItsCell(const ArenaView& a) {
  return isBombTile(a.cell(bombColumn, bombRow).tile());
}

// R until the bomb shows (the game reads the keys once a frame, and a busy
// machine can make a frame late), then Left until the player stands against
// the wall at (56, 39), beside the bomb (a late frame or two would leave
// it short of the wall, so Left stays down until it is there). R is up before
// the player leaves the bomb's cell: held, it would lay another bomb in the
// next empty cell.
const std::vector<Step> layBombAndStepBack = {
    press(0, "r"),
    release(0.06, "r", bombInItsCell),
    press(0.03, "Left"),
    release(0.58, "Left", playerBackAtTheWall),
};

// Glances at the upper arena as often as it can, making `steps` meanwhile,
// until `done` holds (once every step is made) or `seconds` have passed.
// Steps left then are made at the end. With a `label`, a glance at the whole
// picture ends the samples and is kept among the artifacts.
std::vector<Sample> watch(Session& s, double seconds,
                          const std::function<bool(const ArenaView&)>& done,
                          const std::string& label,
                          const std::vector<Step>& steps) {
  std::vector<Sample> samples;
  const double start = s.now();
  double previous = start;  // when the last step was made
  std::size_t next = 0;
  while (s.now() < start + seconds) {
    while (next < steps.size() && s.now() >= previous + steps[next].after &&
           (!steps[next].ready ||
            (!samples.empty() && steps[next].ready(samples.back().arena)))) {
      steps[next++].act(s);
      previous = s.now();
    }
    const Look g = s.glance({}, upperArena);
    wait(2ms);  // leave the machine to the game for a moment
    if (!g.picture) continue;
    samples.push_back({g.time, g.arena});
    if (next == steps.size() && done(g.arena)) break;
  }
  for (; next < steps.size(); ++next) steps[next].act(s);
  if (!label.empty()) {
    // The whole picture at the end, kept: the last sample.
    const Look g = s.glance(label);
    if (g.picture) samples.push_back({g.time, g.arena});
  }
  s.log("watched " + std::to_string(samples.size()) + " glances" +
        (label.empty() ? "" : " until " + label));
  return samples;
}

bool flamesAtTheBomb(const ArenaView& a) {
  return a.cell(bombColumn, bombRow).piece() == flameCentre;
}

std::vector<Stretch> runsOf(const std::vector<Sample>& samples, int column,
                            int row) {
  std::vector<Stretch> runs;
  for (const Sample& sample : samples) {
    // Under the player a cell can be too hidden to tell: such glances
    // neither end nor start a stretch.
    const int tile = sample.arena.cell(column, row).tile();
    if (tile < 0) continue;
    if (runs.empty() || runs.back().tile != tile)
      runs.push_back({tile, sample.time});
  }
  return runs;
}

std::string describe(const std::vector<Stretch>& runs) {
  std::string out;
  for (const Stretch& run : runs) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, " %d@%.3f", run.tile, run.start);
    out += buffer;
  }
  return out;
}

// The bomb's stretches in its cell: from the first bomb tile on, each of
// its phases, up to the first tile that is not a bomb's.
std::vector<Stretch> phasesOf(const std::vector<Stretch>& stretches) {
  std::vector<Stretch> phases;
  for (const Stretch& stretch : stretches) {
    if (isBombTile(stretch.tile))
      phases.push_back(stretch);
    else if (!phases.empty())
      break;
  }
  return phases;
}

// Whether the bomb's phases seen, up to `end` (the flames), are its pulse.
// Where the screen kept up with the game, all thirteen are seen, in order:
// 104 frames. A machine too busy to keep up can leave a phase off the
// screen; that shows as a phase seen far longer than the typical one, and
// then the phases seen must still come in the pulse's order and end with
// its last. Time in [pauseFrom, pauseTo) was spent paused on purpose.
AssertionResult isPulse(Session& s, const std::vector<Stretch>& phases,
                        double end, double pauseFrom, double pauseTo) {
  if (phases.empty()) return AssertionFailure() << "no bomb was seen";
  std::vector<double> lengths;
  for (std::size_t i = 0; i < phases.size(); ++i) {
    const double from = phases[i].start;
    const double to = i + 1 < phases.size() ? phases[i + 1].start : end;
    const double paused =
        std::max(0.0, std::min(to, pauseTo) - std::max(from, pauseFrom));
    lengths.push_back(to - from - paused);
  }
  std::vector<double> sorted = lengths;
  std::sort(sorted.begin(), sorted.end());
  const double typical = sorted[sorted.size() / 2];
  const bool keptUp = sorted.back() < 1.6 * typical;
  std::string seen;
  for (std::size_t i = 0; i < phases.size(); ++i) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, " %d (%.3f s)", phases[i].tile,
                  lengths[i]);
    seen += buffer;
  }
  s.log("pulse seen:" + seen + (keptUp ? "" : ", the screen fell behind"));
  if (keptUp) {
    if (phases.size() != std::size(pulseTiles))
      return AssertionFailure() << phases.size() << " phases, not 13:" << seen;
    for (std::size_t i = 0; i < phases.size(); ++i)
      if (phases[i].tile != pulseTiles[i])
        return AssertionFailure() << "not the pulse:" << seen;
    return AssertionSuccess();
  }
  // Matched from the end, each phase seen to the latest place it can take.
  int place = static_cast<int>(std::size(pulseTiles));
  for (auto it = phases.rbegin(); it != phases.rend(); ++it) {
    --place;
    if (it == phases.rbegin() && it->tile != pulseTiles[place])
      return AssertionFailure() << "the last phase is not the pulse's:" << seen;
    while (place >= 0 && pulseTiles[place] != it->tile) --place;
    if (place < 0)
      return AssertionFailure() << "not in the pulse's order:" << seen;
  }
  return AssertionSuccess();
}

// The explosion of a power-2 bomb at (column, row) over `arena` as it stood
// before: the piece each cell of the cross shows (4 for a block that starts
// crumbling). No other bombs are on the field.
std::map<std::pair<int, int>, int> expectedCross(const ArenaView& arena,
                                                 int column, int row) {
  std::map<std::pair<int, int>, int> cross;
  cross[{column, row}] = flameCentre;
  struct Arm {
    int dc, dr, middle, end;
  };
  constexpr Arm arms[] = {{-1, 0, flameHorizontal, flameLeftEnd},
                          {1, 0, flameHorizontal, flameRightEnd},
                          {0, -1, flameVertical, flameTopEnd},
                          {0, 1, flameVertical, flameBottomEnd}};
  for (const Arm& arm : arms)
    for (int d = 1; d <= 2; ++d) {
      const int c = column + arm.dc * d, r = row + arm.dr * d;
      if (layoutTile(c, r) != floorTile) break;
      if (arena.cell(c, r).couldBePiece(blockTile)) {
        cross[{c, r}] = firstCrumbleTile;
        break;
      }
      cross[{c, r}] = d == 2 ? arm.end : arm.middle;
    }
  return cross;
}

// Whether a cell shows `piece`, or, under the player, may show it.
bool shows(const CellView& cell, int piece) {
  if (cell.hiddenPixels > 0) return cell.couldBePiece(piece);
  return cell.piece() == piece;
}

// Cells whose piece differs between two views, ignoring those the player
// covers in either and those in `skip`.
std::vector<std::pair<int, int>> changedCells(
    const ArenaView& a, const ArenaView& b,
    const std::map<std::pair<int, int>, int>& skip) {
  std::vector<std::pair<int, int>> out;
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      if (skip.count({c, r}) != 0) continue;
      const CellView &x = a.cell(c, r), &y = b.cell(c, r);
      if (x.hiddenPixels > 0 || y.hiddenPixels > 0) continue;
      if (x.piece() != y.piece()) out.push_back({c, r});
    }
  return out;
}

std::string listCells(const std::vector<std::pair<int, int>>& cells) {
  std::string out;
  for (const auto& [c, r] : cells) out += " " + where(c, r);
  return out;
}

}  // namespace xharness
