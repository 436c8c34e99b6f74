// The benchmark cases: one frame of the game's own work in three arenas, the
// same frame through SDL_BlitSurface, a memcpy floor of the same size, and
// the blits alone. Names are "group/variant/scene"; the table after the run
// is built from them (bench/main.cpp).
#include "bench/Cases.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "arena/Arena.h"
#include "bench/Scenes.h"
#include "bench/SdlFrame.h"
#include "player/Player.h"
#include "video/Graphics.h"

namespace bench {
namespace {

constexpr double minTime = 0.1;  // seconds per repetition

SdlPictures sdlPlain, sdlRle;

void keepComposition() {
  benchmark::DoNotOptimize(graphics.compositionSurface->pixels);
  benchmark::ClobberMemory();
}

void countFrame(benchmark::State& state, const Scene& s) {
  state.SetBytesProcessed(state.iterations() * frameBytes(s));
  state.counters["blits"] = frameBlits(s);
  state.counters["cells"] = s.cellsDrawn;
}

// Update mutates the grid: every iteration starts from the scene again. The
// copy is timed with the frame; "frame/restore" measures it on its own.
void gameFrameCase(benchmark::State& state, SceneId id) {
  const Scene& s = scene(id);
  for (auto _ : state) {
    loadGrid(s);
    gameFrame();
    keepComposition();
  }
  countFrame(state, s);
}

void gameUpdateCase(benchmark::State& state, SceneId id) {
  const Scene& s = scene(id);
  for (auto _ : state) {
    loadGrid(s);
    Arena::update();
    benchmark::DoNotOptimize(Arena::grid);
    benchmark::ClobberMemory();
  }
}

void gameDrawCase(benchmark::State& state, SceneId id) {
  const Scene& s = scene(id);
  loadGrid(s);
  for (auto _ : state) {
    drawGameLayers();
    keepComposition();
  }
  countFrame(state, s);
}

void restoreCase(benchmark::State& state) {
  const Scene& s = scene(sceneBusy);
  for (auto _ : state) {
    loadGrid(s);
    benchmark::DoNotOptimize(Arena::grid);
    benchmark::ClobberMemory();
  }
}

void sdlFrameCase(benchmark::State& state, SceneId id, bool rle) {
  const Scene& s = scene(id);
  const SdlPictures& p = rle ? sdlRle : sdlPlain;
  for (auto _ : state) {
    loadGrid(s);
    sdlFrame(p);
    benchmark::DoNotOptimize(p.composition->pixels);
    benchmark::ClobberMemory();
  }
  countFrame(state, s);
}

// The same number of bytes in one memcpy, from one buffer to another of
// about the frame's footprint: the least a frame can cost.
alignas(64) char floorSource[256 * 1024];
alignas(64) char floorTarget[256 * 1024];

void memcpyFloorCase(benchmark::State& state, SceneId id) {
  const Scene& s = scene(id);
  const auto bytes = static_cast<std::size_t>(frameBytes(s));
  for (auto _ : state) {
    std::memcpy(floorTarget, floorSource, bytes);
    benchmark::DoNotOptimize(floorTarget);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(bytes));
}

// --- Is the frame the one on the screen already? ---

// The display layers compare each presented picture (320 by 240, 16 bits)
// with the last one shown before they upload it. Two equal pictures of the
// typical arena, so that the whole of both is read: the most it costs. The
// whole frame in one memcmp, or row by row.
alignas(64) std::uint16_t shownPicture[frameWidth * frameHeight];
alignas(64) std::uint16_t nextPicture[frameWidth * frameHeight];

void compareCase(benchmark::State& state, bool byRows) {
  for (auto _ : state) {
    bool same = true;
    if (byRows) {
      for (int y = 0; y < frameHeight && same; ++y)
        same = std::memcmp(shownPicture + y * frameWidth,
                           nextPicture + y * frameWidth, frameWidth * 2) == 0;
    } else {
      same = std::memcmp(shownPicture, nextPicture, sizeof shownPicture) == 0;
    }
    benchmark::DoNotOptimize(same);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 2 *
                          static_cast<long>(sizeof shownPicture));
}

// --- The blits alone, each at a place of the visible frame. ---

constexpr int tileX = arenaLeft + cellSize * 8, tileY = arenaTop + cellSize * 5;
constexpr int blockTile = 3;  // a block: keyed, with transparent pixels

void blitCase(benchmark::State& state, int width, int height, int x, int y,
              const Surface* source, bool keyed) {
  for (auto _ : state) {
    blitSize.set(width, height);
    if (keyed)
      blitSize.blitKeyed(x, y, source);
    else
      blitSize.blitOpaque(x, y, source);
    keepComposition();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
}

void sdlBlitCase(benchmark::State& state, SDL_Surface* source,
                 SDL_Surface* target, int x, int y) {
  for (auto _ : state) {
    SDL_Rect at{x, y, 0, 0};
    SDL_BlitSurface(source, nullptr, target, &at);
    benchmark::DoNotOptimize(target->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * source->w * source->h * 2);
}

template <class F>
void add(const std::string& name, F&& f) {
  benchmark::RegisterBenchmark(name.c_str(), std::forward<F>(f))
      ->Unit(benchmark::kNanosecond)
      ->MinTime(minTime)
      ->Repetitions(caseRepetitions)
      ->ReportAggregatesOnly(true);
}

}  // namespace

const char* sceneName(int id) { return scene(static_cast<SceneId>(id)).name; }

void registerCases() {
  sdlPlain = makeSdlPictures(false);
  sdlRle = makeSdlPictures(true);

  for (int i = 0; i < sceneCount; ++i) {
    const auto id = static_cast<SceneId>(i);
    const std::string n = sceneName(i);
    add("frame/game/" + n, [id](benchmark::State& s) { gameFrameCase(s, id); });
    add("frame/sdl/" + n,
        [id](benchmark::State& s) { sdlFrameCase(s, id, false); });
    add("frame/sdl-rle/" + n,
        [id](benchmark::State& s) { sdlFrameCase(s, id, true); });
    add("frame/memcpy/" + n,
        [id](benchmark::State& s) { memcpyFloorCase(s, id); });
    add("update/game/" + n,
        [id](benchmark::State& s) { gameUpdateCase(s, id); });
    add("draw/game/" + n, [id](benchmark::State& s) { gameDrawCase(s, id); });
  }
  add("frame/restore/busy", restoreCase);

  loadGrid(scene(sceneTypical));
  gameFrame();
  const Surface* frame = graphics.compositionSurface;
  for (int y = 0; y < frameHeight; ++y)
    for (int x = 0; x < frameWidth; ++x)
      shownPicture[y * frameWidth + x] = nextPicture[y * frameWidth + x] =
          frame->pixels[y * frame->width + x];
  add("compare/frame", [](benchmark::State& s) { compareCase(s, false); });
  add("compare/rows", [](benchmark::State& s) { compareCase(s, true); });

  const Surface* tile = arena.tileSet.tiles[blockTile];
  const Surface* sprite = player.frames[0];
  const Surface* bar = arena.tileSet.statusBar;
  SDL_Surface* target = sdlPlain.composition;
  add("blit/game/keyed 16x16", [=](benchmark::State& s) {
    blitCase(s, 16, 16, tileX, tileY, tile, true);
  });
  add("blit/game/opaque 16x16", [=](benchmark::State& s) {
    blitCase(s, 16, 16, tileX, tileY, tile, false);
  });
  add("blit/game/sprite 16x24", [=](benchmark::State& s) {
    blitCase(s, 16, 24, tileX, tileY, sprite, true);
  });
  add("blit/game/bar 256x23",
      [=](benchmark::State& s) { blitCase(s, 256, 23, 32, 4, bar, false); });

  // SDL: an opaque tile is a tile surface without its key.
  static SDL_Surface* opaqueTile = nullptr;
  opaqueTile = SDL_ConvertSurface(sdlPlain.tiles[blockTile],
                                  sdlPlain.tiles[blockTile]->format, 0);
  SDL_SetColorKey(opaqueTile, SDL_FALSE, 0);
  for (int rle = 0; rle < 2; ++rle) {
    const SdlPictures& p = rle ? sdlRle : sdlPlain;
    const std::string v = rle ? "sdl-rle" : "sdl";
    add("blit/" + v + "/keyed 16x16", [=, &p](benchmark::State& s) {
      sdlBlitCase(s, p.tiles[blockTile], target, tileX, tileY);
    });
    add("blit/" + v + "/sprite 16x24", [=, &p](benchmark::State& s) {
      sdlBlitCase(s, p.frames[0], target, tileX, tileY);
    });
  }
  add("blit/game/keyed floor 16x16", [=](benchmark::State& s) {
    blitCase(s, 16, 16, tileX, tileY, arena.tileSet.tiles[0], true);
  });
  add("blit/sdl/opaque 16x16", [=](benchmark::State& s) {
    sdlBlitCase(s, opaqueTile, target, tileX, tileY);
  });
  add("blit/sdl/bar 256x23", [=](benchmark::State& s) {
    sdlBlitCase(s, sdlPlain.statusBar, target, 32, 4);
  });
}

}  // namespace bench
