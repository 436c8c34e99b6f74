// The game's pictures: the palette and the text pixel maps in assets/, and
// the headerless 24-bit RGB files in data/ that the game reads.
//
// palette.txt holds one colour a line: a single key character, red, green
// and blue (0 to 255) and a one-word name. tiles.txt, player.txt and
// statusbar.txt hold sections: a header "[first label]" or
// "[first-last label]" followed by the rows of those pictures, one key
// character per pixel; a section of several pictures lays them side by side,
// separated by spaces. Lines starting with '#' and blank lines are ignored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pictures {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The 16-bit pixels the game packs every colour to.
std::uint16_t pack565(Rgb colour);
std::uint16_t pack555(Rgb colour);
// The game treats a colour as transparent when either packing gives 0.
bool isTransparent(Rgb colour);

// A malformed asset: the message names the file and the line.
class ParseError : public std::runtime_error {
 public:
  ParseError(std::string_view fileName, int line, const std::string& what);
  int line() const { return line_; }

 private:
  int line_;
};

struct PaletteEntry {
  char key;
  std::string name;
  Rgb colour;
};

class Palette {
 public:
  // Throws ParseError on a malformed line, a repeated key or name, or a
  // colour that would pack to transparent without being pure black.
  static Palette parse(std::string_view text, std::string_view fileName);

  const std::vector<PaletteEntry>& entries() const { return entries_; }
  // nullptr when the key is not in the palette.
  const PaletteEntry* find(char key) const;

 private:
  std::vector<PaletteEntry> entries_;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row, top to bottom

  Image() = default;
  Image(int width, int height, Rgb fill = {0, 0, 0});
  Rgb& at(int x, int y) { return pixels[y * width + x]; }
  Rgb at(int x, int y) const { return pixels[y * width + x]; }
};

// The shape a pixel map must have: how many pictures, each how large.
struct SheetShape {
  int width;
  int height;
  int count;
};

inline constexpr SheetShape playerShape{16, 24, 44};
inline constexpr SheetShape tileShape{16, 16, 40};
inline constexpr SheetShape statusBarShape{256, 23, 1};

// Where the tiles sit in tiles.raw. The crumbling stages, the bomb's pulse
// and each flame piece's four frames follow their first tile.
enum TileIndex : int {
  floorTile = 0,
  wallTile = 1,
  pillarTile = 2,
  blockTile = 3,
  firstCrumbleTile = 4,
  firstBombTile = 9,
  flameLeftEnd = 12,
  flameHorizontal = 16,
  flameRightEnd = 20,
  flameCentre = 24,
  flameTopEnd = 28,
  flameVertical = 32,
  flameBottomEnd = 36,
};

struct Sheet {
  SheetShape shape;
  std::vector<Image> frames;
  std::vector<std::string> labels;  // each section's label, per frame
};

// Throws ParseError when a section is out of order, a row has the wrong
// width, a section has too few or too many rows, a key is not in the palette,
// or the file does not hold exactly shape.count pictures.
Sheet parseSheet(std::string_view text, std::string_view fileName,
                 const Palette& palette, SheetShape shape);

// The pictures one after another, 3 bytes (red, green, blue) a pixel.
std::vector<std::uint8_t> toRaw(const Sheet& sheet);

// Everything in assets/, parsed.
struct PictureSet {
  Palette palette;
  Sheet player;
  Sheet tiles;
  Sheet statusBar;
};

// Throws ParseError for a malformed asset and std::runtime_error for a file
// that cannot be read.
PictureSet loadPictures(const std::filesystem::path& root);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path,
               const std::vector<std::uint8_t>& bytes);

// Where each picture lives, relative to the repository root.
inline constexpr const char* playerRawPath = "data/player.raw";
inline constexpr const char* tilesRawPath = "data/tiles.raw";
inline constexpr const char* statusBarRawPath = "data/top.raw";

}  // namespace pictures
