#include "bench/ProposedBlits.h"

#include <cstring>

#include "app/Globals.h"

namespace bench {
namespace {

// Sixteen pixels, one row of a tile or sprite: one AVX2 register, or two
// SSE2 ones where AVX2 is missing.
using Pixels16 = std::uint16_t __attribute__((vector_size(32)));
using Pixels8 = std::uint16_t __attribute__((vector_size(16)));

template <class V>
inline V load(const std::uint16_t* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class V>
inline void store(std::uint16_t* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

// Where source pixels equal the key the destination keeps its own.
template <class V>
inline void keyedPixels(std::uint16_t* to, const std::uint16_t* from,
                        std::uint16_t key) {
  const V s = load<V>(from);
  const V d = load<V>(to);
  const V transparent = s == (V{} + key);
  store<V>(to, (d & transparent) | (s & ~transparent));
}

struct Block {
  std::uint16_t* to;
  int toPitch;
  const std::uint16_t* from;
  int fromPitch;
  int width, height;
};

// Sixteen pixels: one AVX2 register, or two SSE2 ones.
template <bool wide>
inline void keyed16(std::uint16_t* to, const std::uint16_t* from,
                    std::uint16_t key) {
  if constexpr (wide) {
    keyedPixels<Pixels16>(to, from, key);
  } else {
    keyedPixels<Pixels8>(to, from, key);
    keyedPixels<Pixels8>(to + 8, from + 8, key);
  }
}

template <bool wide>
inline void copy16(std::uint16_t* to, const std::uint16_t* from) {
  if constexpr (wide) {
    store<Pixels16>(to, load<Pixels16>(from));
  } else {
    store<Pixels8>(to, load<Pixels8>(from));
    store<Pixels8>(to + 8, load<Pixels8>(from + 8));
  }
}

template <bool wide>
[[gnu::always_inline]] inline void keyedBlock(Block b, std::uint16_t key) {
  if (b.width == 16) {
    for (int row = 0; row < b.height; ++row) {
      keyed16<wide>(b.to, b.from, key);
      b.to += b.toPitch;
      b.from += b.fromPitch;
    }
    return;
  }
  for (int row = 0; row < b.height; ++row) {
    int x = 0;
    for (; x + 8 <= b.width; x += 8)
      keyedPixels<Pixels8>(b.to + x, b.from + x, key);
    for (; x < b.width; ++x)
      if (b.from[x] != key) b.to[x] = b.from[x];
    b.to += b.toPitch;
    b.from += b.fromPitch;
  }
}

template <bool wide>
[[gnu::always_inline]] inline void opaqueBlock(Block b) {
  if (b.width == 16) {
    for (int row = 0; row < b.height; ++row) {
      copy16<wide>(b.to, b.from);
      b.to += b.toPitch;
      b.from += b.fromPitch;
    }
    return;
  }
  for (int row = 0; row < b.height; ++row) {
    std::memcpy(b.to, b.from, static_cast<std::size_t>(b.width) * 2);
    b.to += b.toPitch;
    b.from += b.fromPitch;
  }
}

void keyedDefault(Block b, std::uint16_t key) { keyedBlock<false>(b, key); }
void opaqueDefault(Block b) { opaqueBlock<false>(b); }
[[gnu::target("avx2")]] void keyedAvx2(Block b, std::uint16_t key) {
  keyedBlock<true>(b, key);
}
[[gnu::target("avx2")]] void opaqueAvx2(Block b) { opaqueBlock<true>(b); }

const bool haveAvx2 = __builtin_cpu_supports("avx2");

Picture tiles[40], statusBar, frames[44];

Picture pictureOf(const Surface* s) {
  bool keyFound = false;
  for (int i = 0; i < s->width * s->height; ++i)
    keyFound |= s->pixels[i] == s->keyColour;
  return {s->pixels, s->width,     s->height,
          s->hasKey, s->keyColour, s->hasKey && !keyFound};
}

bool clip(int x, int y, int width, int height, const Picture* source,
          Block* b) {
  const Surface* target = graphics.compositionSurface;
  if (target == nullptr || source == nullptr || source->pixels == nullptr)
    return false;
  if (width > source->width) width = source->width;
  if (height > source->height) height = source->height;
  int sourceX = 0, sourceY = 0;
  if (x < 0) sourceX = -x, width += x, x = 0;
  if (y < 0) sourceY = -y, height += y, y = 0;
  if (x + width > target->width) width = target->width - x;
  if (y + height > target->height) height = target->height - y;
  if (width <= 0 || height <= 0) return false;
  *b = {target->pixels + y * target->width + x,
        target->width,
        source->pixels + sourceY * source->width + sourceX,
        source->width,
        width,
        height};
  return true;
}

bool avx2(Kernel k) {
  return haveAvx2 && (k == Kernel::rowsAvx2 || k == Kernel::opaqueAvx2);
}

}  // namespace

const char* kernelName(Kernel k) {
  switch (k) {
    case Kernel::rows:
      return "rows";
    case Kernel::opaque:
      return "opaque";
    case Kernel::rowsAvx2:
      return "rows-avx2";
    case Kernel::opaqueAvx2:
      return "opaque-avx2";
  }
  return "?";
}

void notePictures() {
  for (int i = 0; i < 40; ++i) tiles[i] = pictureOf(arena.tileSet.tiles[i]);
  statusBar = pictureOf(arena.tileSet.statusBar);
  for (int i = 0; i < 44; ++i) frames[i] = pictureOf(player.frames[i]);
}

void blitOpaque(Kernel k, int width, int height, int x, int y,
                const Picture* source) {
  Block b;
  if (!clip(x, y, width, height, source, &b)) return;
  if (avx2(k))
    opaqueAvx2(b);
  else
    opaqueDefault(b);
}

void blitKeyed(Kernel k, int width, int height, int x, int y,
               const Picture* source) {
  const bool copy =
      !source->hasKey ||
      ((k == Kernel::opaque || k == Kernel::opaqueAvx2) && source->keyUnused);
  if (copy) return blitOpaque(k, width, height, x, y, source);
  Block b;
  if (!clip(x, y, width, height, source, &b)) return;
  if (avx2(k))
    keyedAvx2(b, source->keyColour);
  else
    keyedDefault(b, source->keyColour);
}

const Picture* tilePicture(int index) { return &tiles[index]; }
const Picture* framePicture(int index) { return &frames[index]; }
const Picture* statusBarPicture() { return &statusBar; }

void drawLayers(Kernel k) {
  const LevelLayout& level = Arena::layout();
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column) {
      const int tile = level[row][column];
      if (tile >= 0 && tile < 40)
        blitKeyed(k, 16, 16, arenaLeft + cellSize * column,
                  arenaTop + cellSize * row, &tiles[tile]);
    }
  for (int row = 0; row < arenaRows; ++row)
    for (int column = 0; column < arenaColumns; ++column) {
      const Cell& cell = Arena::grid[column][row];
      if (cell.type == cellEmpty) continue;
      const int tile = static_cast<std::int8_t>(cell.type + cell.frame);
      if (tile >= 0 && tile < 40)
        blitKeyed(k, 16, 16, arenaLeft + cellSize * column,
                  arenaTop + cellSize * row, &tiles[tile]);
    }
  blitOpaque(k, 256, 23, 32, 4, &statusBar);
  blitKeyed(k, 16, 24, player.x, player.y,
            &frames[player.facing + player.walkFrame]);
}

}  // namespace bench
