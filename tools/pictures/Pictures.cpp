#include "Pictures.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace pictures {

std::uint16_t pack565(Rgb colour) {
  return static_cast<std::uint16_t>(
      (colour.red >> 3) << 11 | (colour.green >> 2) << 5 | (colour.blue >> 3));
}

std::uint16_t pack555(Rgb colour) {
  return static_cast<std::uint16_t>(
      (colour.red >> 3) << 10 | (colour.green >> 3) << 5 | (colour.blue >> 3));
}

bool isTransparent(Rgb colour) {
  return pack565(colour) == 0 || pack555(colour) == 0;
}

ParseError::ParseError(std::string_view fileName, int line,
                       const std::string& what)
    : std::runtime_error(std::string(fileName) + ":" + std::to_string(line) +
                         ": " + what),
      line_(line) {}

Image::Image(int width, int height, Rgb fill)
    : width(width),
      height(height),
      pixels(static_cast<std::size_t>(width) * height, fill) {}

namespace {

// Splits text into lines, numbered from 1, without their line endings.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isSpace(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !isSpace(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A line that carries nothing: blank or a comment.
bool isIgnored(std::string_view line) {
  line = trim(line);
  return line.empty() || line.front() == '#';
}

bool parseInt(std::string_view word, int& value) {
  auto [end, error] =
      std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size();
}

std::string quoted(char key) { return std::string("'") + key + "'"; }

}  // namespace

Palette Palette::parse(std::string_view text, std::string_view fileName) {
  Palette palette;
  std::vector<std::string_view> lines = splitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int lineNumber = static_cast<int>(i) + 1;
    if (isIgnored(lines[i])) continue;
    std::vector<std::string_view> words = splitWords(lines[i]);
    if (words.size() != 5) {
      throw ParseError(fileName, lineNumber,
                       "expected: key red green blue name");
    }
    if (words[0].size() != 1 || words[0][0] == '[') {
      throw ParseError(fileName, lineNumber,
                       "a key is one character other than '#' and '['");
    }
    PaletteEntry entry{words[0][0], std::string(words[4]), {}};
    int channels[3];
    for (int c = 0; c < 3; ++c) {
      if (!parseInt(words[1 + c], channels[c]) || channels[c] < 0 ||
          channels[c] > 255) {
        throw ParseError(fileName, lineNumber,
                         "a channel is a number from 0 to 255, not '" +
                             std::string(words[1 + c]) + "'");
      }
    }
    entry.colour = {static_cast<std::uint8_t>(channels[0]),
                    static_cast<std::uint8_t>(channels[1]),
                    static_cast<std::uint8_t>(channels[2])};
    if (entry.colour != Rgb{0, 0, 0} && isTransparent(entry.colour)) {
      throw ParseError(fileName, lineNumber,
                       "colour " + entry.name +
                           " packs to 0 and would show as transparent; "
                           "make red, green or blue at least 8");
    }
    for (const PaletteEntry& other : palette.entries_) {
      if (other.key == entry.key) {
        throw ParseError(
            fileName, lineNumber,
            "key " + quoted(entry.key) + " is already " + other.name);
      }
      if (other.name == entry.name) {
        throw ParseError(fileName, lineNumber,
                         "name " + entry.name + " is used twice");
      }
    }
    palette.entries_.push_back(std::move(entry));
  }
  if (palette.entries_.empty()) {
    throw ParseError(fileName, static_cast<int>(lines.size()),
                     "the palette has no colours");
  }
  return palette;
}

const PaletteEntry* Palette::find(char key) const {
  for (const PaletteEntry& entry : entries_) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

namespace {

// Reads a pixel map section by section, checking it as it goes.
class SheetReader {
 public:
  SheetReader(std::string_view fileName, const Palette& palette,
              SheetShape shape)
      : fileName_(fileName), palette_(palette), shape_(shape) {
    sheet_.shape = shape;
  }

  Sheet read(std::string_view text) {
    std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      lineNumber_ = static_cast<int>(i) + 1;
      if (isIgnored(lines[i])) continue;
      std::string_view line = trim(lines[i]);
      if (line.front() == '[') {
        startSection(line);
      } else {
        addRow(line);
      }
    }
    ++lineNumber_;
    finishSection();
    if (static_cast<int>(sheet_.frames.size()) != shape_.count) {
      fail("expected " + std::to_string(shape_.count) + " pictures, found " +
           std::to_string(sheet_.frames.size()));
    }
    return std::move(sheet_);
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw ParseError(fileName_, lineNumber_, what);
  }

  void startSection(std::string_view header) {
    finishSection();
    if (header.back() != ']') fail("a section header ends with ']'");
    header = trim(header.substr(1, header.size() - 2));
    std::string_view range = header.substr(0, header.find_first_of(" \t"));
    std::string_view label = trim(header.substr(range.size()));
    std::size_t dash = range.find('-');
    int first = 0;
    int last = 0;
    if (!parseInt(range.substr(0, dash), first) ||
        (dash != std::string_view::npos &&
         !parseInt(range.substr(dash + 1), last))) {
      fail(
          "a section header starts with its index or index range, e.g. "
          "[3 block] or [4-8 crumbling]");
    }
    if (dash == std::string_view::npos) last = first;
    int expected = static_cast<int>(sheet_.frames.size());
    if (first != expected) {
      fail("section starts at picture " + std::to_string(first) +
           " but the next picture is " + std::to_string(expected));
    }
    if (last < first || last >= shape_.count) {
      fail("section range " + std::string(range) + " is not within 0-" +
           std::to_string(shape_.count - 1));
    }
    inSection_ = true;
    sectionLine_ = lineNumber_;
    sectionCount_ = last - first + 1;
    label_ = std::string(label);
    rows_ = 0;
    for (int i = 0; i < sectionCount_; ++i) {
      sheet_.frames.emplace_back(shape_.width, shape_.height);
      sheet_.labels.push_back(label_);
    }
  }

  void addRow(std::string_view line) {
    if (!inSection_) fail("pixels before the first section header");
    if (rows_ == shape_.height) {
      fail("section has more than " + std::to_string(shape_.height) + " rows");
    }
    std::vector<std::string_view> words = splitWords(line);
    if (static_cast<int>(words.size()) != sectionCount_) {
      fail("expected " + std::to_string(sectionCount_) +
           " pictures side by side, found " + std::to_string(words.size()));
    }
    std::size_t firstFrame = sheet_.frames.size() - sectionCount_;
    for (int f = 0; f < sectionCount_; ++f) {
      std::string_view word = words[f];
      if (static_cast<int>(word.size()) != shape_.width) {
        fail("row is " + std::to_string(word.size()) +
             " pixels wide, expected " + std::to_string(shape_.width));
      }
      Image& frame = sheet_.frames[firstFrame + f];
      for (int x = 0; x < shape_.width; ++x) {
        const PaletteEntry* entry = palette_.find(word[x]);
        if (entry == nullptr) {
          fail("unknown colour " + quoted(word[x]) + " in column " +
               std::to_string(x + 1) + " of picture " +
               std::to_string(firstFrame + f));
        }
        frame.at(x, rows_) = entry->colour;
      }
    }
    ++rows_;
  }

  void finishSection() {
    if (inSection_ && rows_ != shape_.height) {
      fail("section [" + label_ + "] from line " +
           std::to_string(sectionLine_) + " has " + std::to_string(rows_) +
           " rows, expected " + std::to_string(shape_.height));
    }
    inSection_ = false;
  }

  std::string_view fileName_;
  const Palette& palette_;
  SheetShape shape_;
  Sheet sheet_;
  int lineNumber_ = 0;
  bool inSection_ = false;
  int sectionLine_ = 0;
  int sectionCount_ = 0;
  int rows_ = 0;
  std::string label_;
};

}  // namespace

Sheet parseSheet(std::string_view text, std::string_view fileName,
                 const Palette& palette, SheetShape shape) {
  return SheetReader(fileName, palette, shape).read(text);
}

std::vector<std::uint8_t> toRaw(const Sheet& sheet) {
  std::vector<std::uint8_t> bytes;
  for (const Image& frame : sheet.frames) {
    for (Rgb pixel : frame.pixels) {
      bytes.push_back(pixel.red);
      bytes.push_back(pixel.green);
      bytes.push_back(pixel.blue);
    }
  }
  return bytes;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& path,
               const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

PictureSet loadPictures(const std::filesystem::path& root) {
  std::filesystem::path assets = root / "assets";
  Palette palette =
      Palette::parse(readFile(assets / "palette.txt"), "assets/palette.txt");
  Sheet player = parseSheet(readFile(assets / "player.txt"),
                            "assets/player.txt", palette, playerShape);
  Sheet tiles = parseSheet(readFile(assets / "tiles.txt"), "assets/tiles.txt",
                           palette, tileShape);
  Sheet statusBar = parseSheet(readFile(assets / "statusbar.txt"),
                               "assets/statusbar.txt", palette, statusBarShape);
  return {std::move(palette), std::move(player), std::move(tiles),
          std::move(statusBar)};
}

}  // namespace pictures
