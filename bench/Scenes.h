// The game on the scripted machine, ready to draw frames without showing
// them: the display brought up, the pictures cut from data/, and three arenas
// to draw: the one the game starts with, a busy one full of bombs and flames,
// and the worst case, where every floor cell holds something to draw.
#pragma once

#include <cstdint>

#include "arena/Arena.h"

namespace bench {

enum SceneId { sceneTypical, sceneBusy, sceneWorst, sceneCount };

struct Scene {
  const char* name;
  Cell grid[arenaColumns][arenaRows];
  // What the grid holds, for the report.
  int cellsDrawn;  // non-empty cells: one tile each on top of the layout
  int bombs, flames, crumbling, blocks;
};

// Brings the game up on the scripted machine once: display, player frames,
// tiles and status bar, the first arena. Reads the pictures from the source
// tree's data/.
void startGame();

const Scene& scene(SceneId id);

// Puts a scene's grid into the arena (1,105 bytes).
inline void loadGrid(const Scene& s) {
  static_assert(sizeof Arena::grid == sizeof s.grid);
  __builtin_memcpy(Arena::grid, s.grid, sizeof Arena::grid);
}

// One frame of the game's own work, presentation left out: the cells advance
// and the four layers are drawn onto the composition surface.
void drawGameLayers();
void gameFrame();

// Bytes one frame writes onto the composition surface in this scene: every
// layout tile, one tile per non-empty cell, the status bar and the player.
long frameBytes(const Scene& s);
// The number of blits of one frame.
int frameBlits(const Scene& s);

}  // namespace bench
