#include "bench/SdlFrame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "arena/Arena.h"
#include "player/Player.h"
#include "video/Graphics.h"

namespace bench {
namespace {

SDL_Surface* copyOf(const Surface* source, bool keyed, bool runLengthEncoded) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(
      0, source->width, source->height, 16, SDL_PIXELFORMAT_RGB565);
  if (s == nullptr) {
    std::fprintf(stderr, "bench: SDL surface: %s\n", SDL_GetError());
    std::exit(1);
  }
  for (int row = 0; row < source->height; ++row)
    std::memcpy(static_cast<char*>(s->pixels) + row * s->pitch,
                source->pixels + row * source->width, source->width * 2);
  if (keyed) SDL_SetColorKey(s, SDL_TRUE, 0);
  if (runLengthEncoded) SDL_SetSurfaceRLE(s, 1);
  return s;
}

inline void blit(SDL_Surface* source, SDL_Surface* target, int x, int y) {
  SDL_Rect at{x, y, 0, 0};  // SDL_BlitSurface takes the size from the source
  SDL_BlitSurface(source, nullptr, target, &at);
}

}  // namespace

SdlPictures makeSdlPictures(bool runLengthEncoded) {
  SdlPictures p{};
  p.composition = SDL_CreateRGBSurfaceWithFormat(
      0, compositionWidth, compositionHeight, 16, SDL_PIXELFORMAT_RGB565);
  if (p.composition == nullptr) {
    std::fprintf(stderr, "bench: SDL surface: %s\n", SDL_GetError());
    std::exit(1);
  }
  for (int i = 0; i < 40; ++i)
    p.tiles[i] = copyOf(arena.tileSet.tiles[i], true, runLengthEncoded);
  p.statusBar = copyOf(arena.tileSet.statusBar, false, false);
  for (int i = 0; i < 44; ++i)
    p.frames[i] = copyOf(player.frames[i], true, runLengthEncoded);
  // The first blit of a surface builds its blit map (and its RLE form).
  drawSdlLayers(p);
  return p;
}

void drawSdlLayers(const SdlPictures& p) {
  const LevelLayout& level = Arena::layout();
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column) {
      const int tile = level[row][column];
      if (tile >= 0 && tile < 40)
        blit(p.tiles[tile], p.composition, arenaLeft + cellSize * column,
             arenaTop + cellSize * row);
    }
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column) {
      const Cell& cell = Arena::grid[column][row];
      if (cell.type == cellEmpty) continue;
      const int tile = static_cast<std::int8_t>(cell.type + cell.frame);
      if (tile >= 0 && tile < 40)
        blit(p.tiles[tile], p.composition, arenaLeft + cellSize * column,
             arenaTop + cellSize * row);
    }
  blit(p.statusBar, p.composition, 32, 4);
  blit(p.frames[player.facing + player.walkFrame], p.composition, player.x,
       player.y);
}

void sdlFrame(const SdlPictures& p) {
  Arena::update();
  drawSdlLayers(p);
}

}  // namespace bench
