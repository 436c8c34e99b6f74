#include "bench/Scenes.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/AppWindow.h"
#include "app/Random.h"
#include "arena/Arena.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"
#include "video/Graphics.h"

#ifndef FUSEBOUND_SOURCE_DIR
#error "FUSEBOUND_SOURCE_DIR must name the source tree (its data/ is read)"
#endif

namespace bench {
namespace {

constexpr int tileBytes = cellSize * cellSize * 2;
constexpr int statusBarBytes = 256 * 23 * 2;
constexpr int spriteBytes = 16 * 24 * 2;
constexpr int layoutCells = arenaColumns * arenaRows;

Scene scenes[sceneCount];

void count(Scene& s) {
  s.cellsDrawn = s.bombs = s.flames = s.crumbling = s.blocks = 0;
  for (const auto& column : s.grid)
    for (const Cell& cell : column) {
      if (cell.type == cellEmpty) continue;
      ++s.cellsDrawn;
      if (cell.type == cellBomb)
        ++s.bombs;
      else if (cell.type == cellCrumbling)
        ++s.crumbling;
      else if (cell.type == cellBlock)
        ++s.blocks;
      else
        ++s.flames;
    }
}

void keep(Scene& s, const char* name) {
  s.name = name;
  std::memcpy(s.grid, Arena::grid, sizeof s.grid);
  count(s);
}

bool isFloor(int column, int row) {
  return Arena::layout()[row][column] == layoutFloor;
}

// A fresh arena where a bomb is laid on a random empty floor cell every other
// frame; of the frames after the first explosions, the one with the most
// flames is kept (then the most cells to draw).
void makeBusy() {
  runtime::srand(2000);
  arena.generate();
  Scene best{};
  Scene candidate{};
  for (int frame = 0; frame < 240; ++frame) {
    Arena::update();
    if (frame % 2 == 0) {
      for (int attempt = 0; attempt < 50; ++attempt) {
        const int column = runtime::rand() % arenaColumns;
        const int row = runtime::rand() % arenaRows;
        if (isFloor(column, row) &&
            Arena::grid[column][row].type == cellEmpty) {
          placeBomb(static_cast<std::int8_t>(column),
                    static_cast<std::int8_t>(row), 2);
          break;
        }
      }
    }
    keep(candidate, "busy");
    if (candidate.flames > best.flames ||
        (candidate.flames == best.flames &&
         candidate.cellsDrawn > best.cellsDrawn))
      best = candidate;
  }
  scenes[sceneBusy] = best;
}

// Every floor cell holds a bomb, a flame piece, a crumbling block or a block,
// in turn, each in the middle of its life (no bomb goes off in the frame).
void makeWorst() {
  static constexpr std::int8_t flameTypes[7] = {
      flameLeftEnd, flameHorizontal, flameRightEnd, flameCentre,
      flameTopEnd,  flameVertical,   flameBottomEnd};
  int i = 0;
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column) {
      if (!isFloor(column, row)) continue;
      Cell& cell = Arena::grid[column][row];
      switch (i % 4) {
        case 0:
          cell = {cellBomb, static_cast<std::int8_t>(i % 3), 5, 2, 3};
          break;
        case 1:
          cell = {flameTypes[(i / 4) % 7], static_cast<std::int8_t>(i % 4), 3,
                  0, 2};
          break;
        case 2:
          cell = {cellCrumbling, static_cast<std::int8_t>(i % 5), 4, 0, 0};
          break;
        default:
          cell = {cellBlock, 0, 0, 0, 0};
          break;
      }
      ++i;
    }
  keep(scenes[sceneWorst], "worst");
}

}  // namespace

void startGame() {
  if (chdir(FUSEBOUND_SOURCE_DIR) != 0) {
    std::perror("bench: cannot enter the source tree");
    std::exit(1);
  }
  fake::reset();
  fake::state().logCalls = false;
  windowedMode = 0;
  appWindow.create(1);
  if (!graphics.init()) {
    std::fprintf(stderr, "bench: the display did not start\n");
    std::exit(1);
  }
  player.loadFrames();
  arena.tileSet.load();
  graphics.clearComposition();
  runtime::srand(1);
  arena.generate();
  keep(scenes[sceneTypical], "typical");
  makeBusy();
  makeWorst();
  loadGrid(scenes[sceneTypical]);
}

const Scene& scene(SceneId id) { return scenes[id]; }

void drawGameLayers() {
  arena.drawLayout();
  arena.drawCells();
  arena.drawStatusBar();
  player.draw();
}

void gameFrame() {
  Arena::update();
  drawGameLayers();
}

long frameBytes(const Scene& s) {
  return static_cast<long>(layoutCells + s.cellsDrawn) * tileBytes +
         statusBarBytes + spriteBytes;
}

int frameBlits(const Scene& s) { return layoutCells + s.cellsDrawn + 2; }

}  // namespace bench
