#include "tests/xharness/ScreenDecoder.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <iterator>

namespace xharness {
namespace {

// The stored layout, rows top to bottom: 1 wall, 2 pillar, 9 a start corner
// (floor once the first arena is made), 0 floor.
constexpr const char* layoutRows[arenaRows] = {
    "11111111111111111", "11990000000009911", "11920202020202911",
    "11000000000000011", "11020202020202011", "11000000000000011",
    "11020202020202011", "11000000000000011", "11020202020202011",
    "11000000000000011", "11920202020202911", "11990000000009911",
    "11111111111111111",
};

char layoutChar(int column, int row) { return layoutRows[row][column]; }

bool readRaw(const std::string& path, std::uint16_t* out, std::size_t pixels,
             std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  if (bytes.size() != pixels * 3) {
    if (error)
      *error = path + ": expected " + std::to_string(pixels * 3) +
               " bytes, read " + std::to_string(bytes.size());
    return false;
  }
  for (std::size_t i = 0; i < pixels; ++i)
    out[i] = pack565(bytes[i * 3], bytes[i * 3 + 1], bytes[i * 3 + 2]);
  return true;
}

// Marks the pixels that the player's opaque sprite pixels cover.
std::vector<bool> playerMask(const PlayerView& player, const Artwork& art) {
  std::vector<bool> mask(pictureWidth * pictureHeight, false);
  if (!player.found) return mask;
  const auto& frame = art.playerFrames[static_cast<std::size_t>(player.frame)];
  for (int dy = 0; dy < playerHeight; ++dy)
    for (int dx = 0; dx < playerWidth; ++dx) {
      const int x = player.x + dx, y = player.y + dy;
      if (frame[static_cast<std::size_t>(dy * playerWidth + dx)] != 0 &&
          x >= 0 && y >= 0 && x < pictureWidth && y < pictureHeight)
        mask[static_cast<std::size_t>(y * pictureWidth + x)] = true;
    }
  return mask;
}

CellView decodeCell(const Picture& picture, const Artwork& art,
                    const std::vector<bool>& hidden, int column, int row) {
  CellView view;
  const int x0 = arenaLeft + column * cellSize, y0 = arenaTop + row * cellSize;
  const auto& base =
      art.tiles[static_cast<std::size_t>(layoutTile(column, row))];
  std::array<int, 256> visible{};
  int visibleCount = 0;
  for (int i = 0; i < 256; ++i) {
    const int x = x0 + i % 16, y = y0 + i / 16;
    if (hidden[static_cast<std::size_t>(y * pictureWidth + x)])
      ++view.hiddenPixels;
    else
      visible[static_cast<std::size_t>(visibleCount++)] = i;
  }
  auto fits = [&](int tile) {
    for (int k = 0; k < visibleCount; ++k) {
      const int i = visible[static_cast<std::size_t>(k)];
      std::uint16_t expected = base[static_cast<std::size_t>(i)];
      if (tile != nothing) {
        const std::uint16_t p = art.tiles[static_cast<std::size_t>(tile)]
                                         [static_cast<std::size_t>(i)];
        if (p != 0) expected = p;
      }
      // A layout pixel of colour 0 would keep the previous frame's pixel.
      if (expected == 0) continue;
      if (picture.at(x0 + i % 16, y0 + i / 16) != expected) return false;
    }
    return true;
  };
  if (fits(nothing)) view.fits |= 1;
  for (int tile = blockTile; tile < tileCount; ++tile)
    if (fits(tile)) view.fits |= std::uint64_t{1} << tile;
  return view;
}

}  // namespace

int layoutTile(int column, int row) {
  const char c = layoutChar(column, row);
  return c == '1' ? wallTile : c == '2' ? pillarTile : floorTile;
}

bool isStartCorner(int column, int row) {
  return layoutChar(column, row) == '9';
}

int pieceOf(int tile) {
  if (tile < blockTile) return 0;
  if (tile == blockTile) return blockTile;
  if (tile < firstBombTile) return firstCrumbleTile;
  if (tile < firstFlameTile) return firstBombTile;
  return firstFlameTile + (tile - firstFlameTile) / 4 * 4;
}

bool Artwork::load(const std::string& dataDir, std::string* error) {
  std::array<std::uint16_t, 256 * tileCount> tilePixels{};
  std::array<std::uint16_t, 384 * playerFrameCount> framePixels{};
  if (!readRaw(dataDir + "/tiles.raw", tilePixels.data(), tilePixels.size(),
               error) ||
      !readRaw(dataDir + "/player.raw", framePixels.data(), framePixels.size(),
               error) ||
      !readRaw(dataDir + "/top.raw", statusBar.data(), statusBar.size(), error))
    return false;
  for (std::size_t t = 0; t < tiles.size(); ++t)
    std::copy_n(&tilePixels[t * 256], 256, tiles[t].begin());
  for (std::size_t f = 0; f < playerFrames.size(); ++f)
    std::copy_n(&framePixels[f * 384], 384, playerFrames[f].begin());
  prepareSearch();
  return true;
}

int Picture::difference(const Picture& other) const {
  int n = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i)
    if (pixels[i] != other.pixels[i]) ++n;
  return n;
}

std::optional<Picture> extractPicture(const Screenshot& screen, int x, int y,
                                      int scale, Area area) {
  const int left = x + area.x * scale, top = y + area.y * scale;
  if (scale < 1 || area.x < 0 || area.y < 0 ||
      area.x + area.width > pictureWidth ||
      area.y + area.height > pictureHeight || left < 0 || top < 0 ||
      left + area.width * scale > screen.width ||
      top + area.height * scale > screen.height)
    return std::nullopt;
  Picture picture;
  for (int py = area.y; py < area.y + area.height; ++py)
    for (int px = area.x; px < area.x + area.width; ++px) {
      const std::uint8_t* first = screen.at(x + px * scale, y + py * scale);
      bool even = true;
      for (int dy = 0; dy < scale && even; ++dy)
        for (int dx = 0; dx < scale; ++dx) {
          const std::uint8_t* p =
              screen.at(x + px * scale + dx, y + py * scale + dy);
          if (p[0] != first[0] || p[1] != first[1] || p[2] != first[2]) {
            even = false;
            break;
          }
        }
      if (!even) ++picture.unevenBlocks;
      picture.set(px, py, pack565(first[0], first[1], first[2]));
    }
  return picture;
}

Screenshot showPicture(const Picture& picture, int screenWidth,
                       int screenHeight, int x, int y, int scale) {
  Screenshot screen(screenWidth, screenHeight);
  for (int py = 0; py < pictureHeight * scale; ++py)
    for (int px = 0; px < pictureWidth * scale; ++px) {
      const int sx = x + px, sy = y + py;
      if (sx < 0 || sy < 0 || sx >= screenWidth || sy >= screenHeight) continue;
      const std::uint16_t v = picture.at(px / scale, py / scale);
      // Widen as a display does: the top bits of each component.
      const int r = (v >> 11) << 3, g = ((v >> 5) & 63) << 2, b = (v & 31) << 3;
      screen.set(sx, sy, static_cast<std::uint8_t>(r | r >> 5),
                 static_cast<std::uint8_t>(g | g >> 6),
                 static_cast<std::uint8_t>(b | b >> 5));
    }
  return screen;
}

void Artwork::prepareSearch() {
  spriteSearch.assign(playerFrameCount, {});
  for (int f = 0; f < playerFrameCount; ++f) {
    const auto& sprite = playerFrames[static_cast<std::size_t>(f)];
    auto& list = spriteSearch[static_cast<std::size_t>(f)];
    for (int i = 0; i < playerWidth * playerHeight; ++i)
      if (sprite[static_cast<std::size_t>(i)] != 0)
        list.push_back({(i / playerWidth) * pictureWidth + i % playerWidth,
                        sprite[static_cast<std::size_t>(i)]});
    // The rarer colours first, so that a wrong place is rejected after a
    // comparison or two.
    std::vector<int> uses(65536, 0);
    for (std::uint16_t v : sprite) ++uses[v];
    std::stable_sort(list.begin(), list.end(),
                     [&](const OpaquePixel& a, const OpaquePixel& b) {
                       return uses[a.value] < uses[b.value];
                     });
  }
}

PlayerView findPlayer(const Picture& picture, const Artwork& art) {
  const auto& frames = art.spriteSearch;
  if (frames.size() != playerFrameCount) return {};
  const std::uint16_t* pixels = picture.pixels.data();
  for (int y = 0; y + playerHeight <= pictureHeight; ++y)
    for (int x = 0; x + playerWidth <= pictureWidth; ++x) {
      const std::uint16_t* origin = pixels + y * pictureWidth + x;
      for (int f = 0; f < playerFrameCount; ++f) {
        const auto& list = frames[static_cast<std::size_t>(f)];
        bool match = !list.empty();
        for (const Artwork::OpaquePixel& o : list)
          if (origin[o.offset] != o.value) {
            match = false;
            break;
          }
        if (match) return {true, x, y, f};
      }
    }
  return {};
}

int CellView::tile() const { return known() ? std::countr_zero(fits) : -1; }

int CellView::piece() const {
  if (fits == 0) return -1;
  int piece = -1;
  for (int t = 0; t < tileCount; ++t) {
    if (!couldBe(t)) continue;
    const int p = pieceOf(t);
    if (piece != -1 && p != piece) return -1;
    piece = p;
  }
  return piece;
}

bool CellView::couldBePiece(int piece) const {
  for (int t = 0; t < tileCount; ++t)
    if (couldBe(t) && pieceOf(t) == piece) return true;
  return false;
}

int ArenaView::blockCount() const {
  int n = 0;
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r)
      if (layoutTile(c, r) == floorTile && cell(c, r).piece() == blockTile) ++n;
  return n;
}

std::string ArenaView::map() const {
  std::string out;
  for (int r = 0; r < arenaRows; ++r) {
    for (int c = 0; c < arenaColumns; ++c) {
      const CellView& v = cell(c, r);
      char ch = '?';
      const int piece = v.piece();
      if (v.fits == 0) {
        ch = '!';
      } else if (piece == 0) {
        ch = "#o."[layoutTile(c, r) == wallTile     ? 0
                   : layoutTile(c, r) == pillarTile ? 1
                                                    : 2];
      } else if (piece > 0) {
        switch (piece) {
          case blockTile:
            ch = 'B';
            break;
          case firstCrumbleTile:
            ch = 'c';
            break;
          case firstBombTile:
            ch = '*';
            break;
          case flameLeftEnd:
            ch = '<';
            break;
          case flameHorizontal:
            ch = '-';
            break;
          case flameRightEnd:
            ch = '>';
            break;
          case flameCentre:
            ch = '+';
            break;
          case flameTopEnd:
            ch = '^';
            break;
          case flameVertical:
            ch = '|';
            break;
          case flameBottomEnd:
            ch = 'v';
            break;
        }
      } else if (player.found && player.column() == c && player.row() == r) {
        ch = 'P';
      }
      out += ch;
    }
    out += '\n';
  }
  if (player.found)
    out += "player at (" + std::to_string(player.x) + ", " +
           std::to_string(player.y) + ") frame " +
           std::to_string(player.frame) + ", cell (" +
           std::to_string(player.column()) + ", " +
           std::to_string(player.row()) + ")\n";
  else
    out += "no player\n";
  out += std::string("status bar ") + (statusBar ? "shown" : "not shown") +
         ", pause text pixels " + std::to_string(pauseTextPixels) + "\n";
  return out;
}

ArenaView decode(const Picture& picture, const Artwork& art) {
  ArenaView view;
  view.player = findPlayer(picture, art);
  const std::vector<bool> hidden = playerMask(view.player, art);
  view.layoutShown = true;
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      CellView cell = decodeCell(picture, art, hidden, c, r);
      if (layoutTile(c, r) != floorTile && !cell.couldBeEmpty())
        view.layoutShown = false;
      view.cells[static_cast<std::size_t>(c * arenaRows + r)] = cell;
    }
  view.statusBar = true;
  for (int y = 0; y < statusBarHeight && view.statusBar; ++y)
    for (int x = 0; x < statusBarWidth; ++x)
      if (picture.at(statusBarX + x, statusBarY + y) !=
          art.statusBar[static_cast<std::size_t>(y * statusBarWidth + x)]) {
        view.statusBar = false;
        break;
      }
  // The message's text is white; nothing the game draws is.
  for (int y = pauseTextY - 6; y < pauseTextY + 26; ++y)
    for (int x = pauseTextX - 4; x < pictureWidth; ++x)
      if (picture.at(x, y) == 0xFFFF) ++view.pauseTextPixels;
  return view;
}

Picture composeFrame(const Artwork& art, const std::array<int, 221>& tiles,
                     bool statusBar, const PlayerView* player) {
  Picture picture;
  auto blit = [&](const std::uint16_t* src, int w, int h, int x, int y,
                  bool keyed) {
    for (int dy = 0; dy < h; ++dy)
      for (int dx = 0; dx < w; ++dx) {
        const std::uint16_t v = src[dy * w + dx];
        if (keyed && v == 0) continue;
        picture.set(x + dx, y + dy, v);
      }
  };
  for (int c = 0; c < arenaColumns; ++c)
    for (int r = 0; r < arenaRows; ++r) {
      const int x = arenaLeft + c * cellSize, y = arenaTop + r * cellSize;
      blit(art.tiles[static_cast<std::size_t>(layoutTile(c, r))].data(), 16, 16,
           x, y, true);
      const int tile = tiles[static_cast<std::size_t>(c * arenaRows + r)];
      if (tile > 0 && tile < tileCount)
        blit(art.tiles[static_cast<std::size_t>(tile)].data(), 16, 16, x, y,
             true);
    }
  if (statusBar)
    blit(art.statusBar.data(), statusBarWidth, statusBarHeight, statusBarX,
         statusBarY, false);
  if (player != nullptr && player->found)
    blit(art.playerFrames[static_cast<std::size_t>(player->frame)].data(),
         playerWidth, playerHeight, player->x, player->y, true);
  return picture;
}

}  // namespace xharness
