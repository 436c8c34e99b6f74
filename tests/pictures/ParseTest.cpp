// The picture tool's own behaviour: packing, parsing and reporting errors,
// the raw layout, and PNG output.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Pictures.h"
#include "Png.h"
#include "Preview.h"

namespace pictures {
namespace {

TEST(Packing, TransparentWhenEitherPackingLosesEveryChannel) {
  EXPECT_TRUE(isTransparent({0, 0, 0}));
  EXPECT_TRUE(isTransparent({7, 7, 7}));  // green 4-7 is lost in 5-5-5 only
  EXPECT_FALSE(isTransparent({8, 0, 0}));
  EXPECT_FALSE(isTransparent({0, 8, 0}));
  EXPECT_FALSE(isTransparent({0, 0, 8}));
  EXPECT_EQ(pack565({8, 4, 8}), (1 << 11) | (1 << 5) | 1);
  EXPECT_EQ(pack555({8, 8, 8}), (1 << 10) | (1 << 5) | 1);
}

const char* const smallPalette =
    "# test colours\n"
    ".  0 0 0  clear\n"
    "\n"
    "a  255 0 0  red\n"
    "b  0 0 255  blue\n";

// Parses text expecting a ParseError and returns its line.
template <typename Parse>
int errorLine(Parse parse, std::string* message = nullptr) {
  try {
    parse();
  } catch (const ParseError& error) {
    if (message != nullptr) *message = error.what();
    return error.line();
  }
  return -1;
}

TEST(Palette, ReportsMalformedLinesWithTheirNumber) {
  struct Case {
    const char* text;
    int line;
  };
  const Case cases[] = {
      {"a 9 9 9 one\nb 9 9 two\n", 2},        // a channel missing
      {"a 9 9 9 one\nab 9 9 9 two\n", 2},     // key too long
      {"a 9 9 9 one\n\nb 9 9 300 two\n", 3},  // channel out of range
      {"a 9 9 9 one\nb 9 x 9 two\n", 2},      // not a number
      {"a 9 9 9 one\na 20 20 20 two\n", 2},   // key used twice
      {"a 9 9 9 one\nb 20 20 20 one\n", 2},   // name used twice
      {"# nothing\n\na 4 3 7 murk\n", 3},     // packs to transparent
      {"[ 9 9 9 bracket\n", 1},               // reserved key
      {"# only comments\n", 1},               // no colours at all
  };
  for (const Case& c : cases) {
    std::string message;
    int line =
        errorLine([&] { Palette::parse(c.text, "palette.txt"); }, &message);
    EXPECT_EQ(line, c.line) << c.text;
    EXPECT_NE(message.find("palette.txt:" + std::to_string(c.line) + ":"),
              std::string::npos)
        << message;
  }
}

constexpr SheetShape smallShape{3, 2, 3};

TEST(Sheet, ReadsSectionsSideBySideInIndexOrder) {
  Palette palette = Palette::parse(smallPalette, "palette.txt");
  Sheet sheet = parseSheet(
      "# three pictures of 3x2\n"
      "[0-1 first two]\n"
      "a.b  bbb\n"
      "...  aaa\n"
      "\n"
      "[2 last]\n"
      "# a comment inside a section\n"
      "aaa\n"
      "bbb\n",
      "small.txt", palette, smallShape);
  ASSERT_EQ(sheet.frames.size(), 3u);
  EXPECT_EQ(sheet.labels[1], "first two");
  EXPECT_EQ(sheet.labels[2], "last");
  EXPECT_EQ(sheet.frames[0].at(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(sheet.frames[0].at(1, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(sheet.frames[0].at(2, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(sheet.frames[1].at(2, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(sheet.frames[2].at(0, 1), (Rgb{0, 0, 255}));

  // Pictures one after another, each row by row, red, green, blue.
  std::vector<std::uint8_t> raw = toRaw(sheet);
  ASSERT_EQ(raw.size(), 3u * 3 * 2 * 3);
  EXPECT_EQ((std::vector<std::uint8_t>(raw.begin(), raw.begin() + 9)),
            (std::vector<std::uint8_t>{255, 0, 0, 0, 0, 0, 0, 0, 255}));
  EXPECT_EQ((std::vector<std::uint8_t>(raw.begin() + 18, raw.begin() + 21)),
            (std::vector<std::uint8_t>{0, 0, 255}));
}

TEST(Sheet, ReportsMalformedMapsWithTheLineAtFault) {
  Palette palette = Palette::parse(smallPalette, "palette.txt");
  struct Case {
    const char* text;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"[0-2 all]\naaa aaa aza\naaa aaa aaa\n", 2, "unknown colour 'z'"},
      {"[0-2 all]\naaa aaa aaa\naaa aaaa aaa\n", 3, "4 pixels wide"},
      {"[0-2 all]\naaa aaa\n", 2, "expected 3 pictures side by side"},
      {"[0-2 all]\naaa aaa aaa\naaa aaa aaa\naaa aaa aaa\n", 4,
       "more than 2 rows"},
      {"[0-1 two]\naaa aaa\n[2 last]\naaa\naaa\n", 3, "has 1 rows"},
      {"[0-1 two]\naaa aaa\naaa aaa\n[3 skipped]\naaa\naaa\n", 4,
       "next picture is 2"},
      {"[0-1 two]\naaa aaa\naaa aaa\n", 4, "expected 3 pictures, found 2"},
      {"aaa\n[0-2 all]\n", 1, "before the first section"},
      {"[0-3 too many]\n", 1, "not within 0-2"},
      {"[x all]\n", 1, "index"},
      {"[0-2 all\n", 1, "ends with ']'"},
  };
  for (const Case& c : cases) {
    std::string message;
    int line = errorLine(
        [&] { parseSheet(c.text, "map.txt", palette, smallShape); }, &message);
    EXPECT_EQ(line, c.line) << c.text << "\n" << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_EQ(message.rfind("map.txt:" + std::to_string(c.line) + ": ", 0), 0u)
        << message;
  }
}

// The one PNG codec: exact both ways, RGB or RGBA, and a damaged file is
// refused with its name.
TEST(Png, WritesWhatReadsBack) {
  Image image(5, 3, {10, 20, 30});
  image.at(4, 2) = {250, 128, 1};
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / "pictures_tests_roundtrip.png";
  writePng(path, image);
  Image back = readPng(path);
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.pixels, image.pixels);

  const std::vector<std::uint8_t> rgba = {1, 2, 3, 255, 4, 5, 6, 0};
  writePngFile(path, 2, 1, 4, rgba.data());
  EXPECT_EQ(readPngFile(path, 4).bytes, rgba);
  // Read as RGB, the alpha goes (an opaque pixel keeps its colour).
  const PngPixels rgb = readPngFile(path, 3);
  ASSERT_EQ(rgb.bytes.size(), 6u);
  EXPECT_EQ(rgb.bytes[0], 1);
  EXPECT_EQ(rgb.bytes[2], 3);

  std::filesystem::resize_file(path, 40);
  try {
    readPngFile(path, 3);
    ADD_FAILURE() << "a damaged file was read";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos)
        << e.what();
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace pictures
