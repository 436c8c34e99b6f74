#include "Preview.h"

#include <cstring>

#include "Png.h"

namespace pictures {

namespace {

constexpr Rgb backgroundColour{64, 64, 72};
constexpr Rgb labelColour{224, 224, 232};
constexpr Rgb checkerLight{168, 168, 176};
constexpr Rgb checkerDark{136, 136, 144};

constexpr int margin = 16;
constexpr int scale = 4;
constexpr int labelScale = 2;
constexpr int labelHeight = 5 * labelScale + 4;
constexpr int gap = 16;

// 3x5 digits, one bit a pixel, top row in the high bits.
constexpr std::uint16_t digitGlyphs[10] = {
    0b111'101'101'101'111, 0b010'110'010'010'111, 0b111'001'111'100'111,
    0b111'001'111'001'111, 0b101'101'111'001'001, 0b111'100'111'001'111,
    0b111'100'111'101'111, 0b111'001'001'001'001, 0b111'101'111'101'111,
    0b111'101'111'001'111};

void fill(Image& image, int x, int y, int width, int height, Rgb colour) {
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      int px = x + i;
      int py = y + j;
      if (px >= 0 && py >= 0 && px < image.width && py < image.height) {
        image.at(px, py) = colour;
      }
    }
  }
}

// A checkerboard of two-pixel squares at the given scale.
void fillChecker(Image& image, int x, int y, int width, int height) {
  int square = 2 * scale;
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      bool light = ((i / square) + (j / square)) % 2 == 0;
      fill(image, x + i, y + j, 1, 1, light ? checkerLight : checkerDark);
    }
  }
}

// Copies source enlarged by factor to (x, y); keyed leaves the destination
// where the source is transparent, as the game's keyed blits do.
void blit(Image& target, const Image& source, int x, int y, int factor,
          bool keyed) {
  for (int j = 0; j < source.height; ++j) {
    for (int i = 0; i < source.width; ++i) {
      Rgb pixel = source.at(i, j);
      if (keyed && isTransparent(pixel)) continue;
      fill(target, x + i * factor, y + j * factor, factor, factor, pixel);
    }
  }
}

void drawNumber(Image& image, int x, int y, int number) {
  std::string digits = std::to_string(number);
  for (char digit : digits) {
    std::uint16_t glyph = digitGlyphs[digit - '0'];
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) {
        if (glyph & (1 << (14 - row * 3 - column))) {
          fill(image, x + column * labelScale, y + row * labelScale, labelScale,
               labelScale, labelColour);
        }
      }
    }
    x += 4 * labelScale;
  }
}

// A labelled picture at (x, y): the label above, the picture enlarged on a
// checkerboard (or on the floor tile, when one is given) below.
void drawLabelled(Image& image, const Image& picture, int x, int y, int index,
                  const Image* floor) {
  drawNumber(image, x, y, index);
  y += labelHeight;
  if (floor != nullptr) {
    for (int j = 0; j < picture.height; j += floor->height) {
      for (int i = 0; i < picture.width; i += floor->width) {
        blit(image, *floor, x + i * scale, y + j * scale, scale, false);
      }
    }
  } else {
    fillChecker(image, x, y, picture.width * scale, picture.height * scale);
  }
  blit(image, picture, x, y, scale, true);
}

// A cross of flames with arms two cells long, cell by cell, at one frame.
void drawFlameCross(Image& image, const Sheet& tiles, int x, int y, int factor,
                    int frame) {
  int cell = tileShape.width * factor;
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) {
      blit(image, tiles.frames[floorTile], x + c * cell, y + r * cell, factor,
           false);
    }
  }
  const int row[5] = {flameLeftEnd, flameHorizontal, flameCentre,
                      flameHorizontal, flameRightEnd};
  const int column[5] = {flameTopEnd, flameVertical, flameCentre, flameVertical,
                         flameBottomEnd};
  for (int i = 0; i < 5; ++i) {
    blit(image, tiles.frames[row[i] + frame], x + i * cell, y + 2 * cell,
         factor, true);
    if (i != 2) {
      blit(image, tiles.frames[column[i] + frame], x + 2 * cell, y + i * cell,
           factor, true);
    }
  }
}

}  // namespace

Image previewSheet(const PictureSet& set) {
  const Sheet& tiles = set.tiles;
  const Sheet& player = set.player;
  const int tilePitch = tileShape.width * scale + gap;
  const int tileRowHeight = labelHeight + tileShape.height * scale + gap;
  const int playerPitch = playerShape.width * scale + gap;
  const int playerRowHeight = labelHeight + playerShape.height * scale + gap;
  const int crossFactor = 2;
  const int crossSize = 5 * tileShape.width * crossFactor;
  const int tilesPerRow = 10;
  const int tileRows = (tileShape.count + tilesPerRow - 1) / tilesPerRow;
  const int framesPerRow = 11;
  const int playerRows = playerShape.count / framesPerRow;

  int width = 2 * margin + statusBarShape.width * scale;
  int height = margin + tileRows * tileRowHeight  // every tile
               + tileRowHeight                    // the tiles over floor
               + labelHeight + crossSize + gap    // the flame crosses
               + playerRows * playerRowHeight     // the player
               + statusBarShape.height * scale + margin;
  Image image(width, height, backgroundColour);

  int y = margin;
  for (int i = 0; i < tileShape.count; ++i) {
    drawLabelled(image, tiles.frames[i], margin + (i % tilesPerRow) * tilePitch,
                 y + (i / tilesPerRow) * tileRowHeight, i, nullptr);
  }
  y += tileRows * tileRowHeight;

  // The block, its crumbling and the bomb's pulse as the game shows them.
  for (int i = blockTile; i < flameLeftEnd; ++i) {
    drawLabelled(image, tiles.frames[i], margin + (i - blockTile) * tilePitch,
                 y, i, &tiles.frames[floorTile]);
  }
  y += tileRowHeight;

  for (int frame = 0; frame < 4; ++frame) {
    int x = margin + frame * (crossSize + gap);
    drawNumber(image, x, y, frame);
    drawFlameCross(image, tiles, x, y + labelHeight, crossFactor, frame);
  }
  y += labelHeight + crossSize + gap;

  for (int i = 0; i < playerShape.count; ++i) {
    drawLabelled(image, player.frames[i],
                 margin + (i % framesPerRow) * playerPitch,
                 y + (i / framesPerRow) * playerRowHeight, i, nullptr);
  }
  y += playerRows * playerRowHeight;

  blit(image, set.statusBar.frames[0], margin, y, scale, false);
  return image;
}

Image arenaScene(const PictureSet& set) {
  constexpr int columns = 17;
  constexpr int rows = 13;
  constexpr int arenaX = 24;
  constexpr int arenaY = 32;
  constexpr int cell = 16;
  const Sheet& tiles = set.tiles;

  // The arena cell by cell: walls round the border, pillars on a grid, and
  // a few blocks, a crumbling block, a bomb and a cross of flames.
  int layout[rows][columns];
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      bool border = r == 0 || r == rows - 1 || c <= 1 || c >= columns - 2;
      bool pillar = r % 2 == 0 && c % 2 == 1 && c >= 3 && c <= 13;
      layout[r][c] = border ? wallTile : pillar ? pillarTile : floorTile;
    }
  }
  const int blocks[][2] = {{4, 1},  {6, 1},  {9, 1},   {12, 1}, {2, 4},
                           {4, 5},  {12, 3}, {14, 4},  {2, 8},  {6, 9},
                           {10, 9}, {13, 7}, {14, 10}, {3, 11}, {11, 11}};
  for (const auto& block : blocks) layout[block[1]][block[0]] = blockTile;
  for (int stage = 0; stage < 5; ++stage) {
    layout[11][5 + stage] = firstCrumbleTile + stage;
  }
  layout[3][4] = firstBombTile + 2;
  layout[7][12] = firstBombTile;
  const int flameFrame = 3;
  const int armRow[5] = {flameLeftEnd, flameHorizontal, flameCentre,
                         flameHorizontal, flameRightEnd};
  const int armColumn[5] = {flameTopEnd, flameVertical, flameCentre,
                            flameVertical, flameBottomEnd};
  for (int i = 0; i < 5; ++i) {
    layout[5][6 + i] = armRow[i] + flameFrame;
    layout[3 + i][8] = armColumn[i] + flameFrame;
  }

  Image image(320, 240, {0, 0, 0});
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      int x = arenaX + c * cell;
      int y = arenaY + r * cell;
      int tile = layout[r][c];
      if (tile > pillarTile)
        blit(image, tiles.frames[floorTile], x, y, 1, false);
      blit(image, tiles.frames[tile], x, y, 1, tile > pillarTile);
    }
  }
  blit(image, set.player.frames[0], 56, 40, 1, true);
  blit(image, set.statusBar.frames[0], 32, 4, 1, false);
  return image;
}

Image enlarge(const Image& image, int factor) {
  Image result(image.width * factor, image.height * factor);
  blit(result, image, 0, 0, factor, false);
  return result;
}

static_assert(sizeof(Rgb) == 3, "PNG rows are read and written as Image");

void writePng(const std::filesystem::path& path, const Image& image) {
  writePngFile(path, image.width, image.height, 3,
               reinterpret_cast<const std::uint8_t*>(image.pixels.data()));
}

Image readPng(const std::filesystem::path& path) {
  const PngPixels png = readPngFile(path, 3);
  Image image(png.width, png.height);
  std::memcpy(image.pixels.data(), png.bytes.data(), png.bytes.size());
  return image;
}

}  // namespace pictures
