// The picture files as they may really be found: missing, empty, cut short
// (within a pixel), longer than the game reads, or folders in their place.
// Each case runs the whole game in a process of its own, started in a
// folder of its own whose data/ holds the files made for the case from the
// game's own pictures. The game must start without a message, play its
// frames and end with status 0 on Escape; the last frame it shows is then
// compared with the frame the untouched pictures give.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/Game.h"
#include "input/InputDevices.h"
#include "platform/fake/FakePlatform.h"
#include "player/Player.h"
#include "tests/support/WindowedRun.h"
#include "video/Graphics.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;
using Frame = std::vector<std::uint16_t>;

const char* const pictureNames[] = {"player.raw", "tiles.raw", "top.raw"};
constexpr int framesShown = 20;  // the start-up frame and 19 passes

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)),
               std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
}

class FaultPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::reset();
    // The child of a death test runs this too: both must find the same
    // folder, named after the parent and the test.
    const bool child = !GTEST_FLAG_GET(internal_run_death_test).empty();
    folder =
        fs::path("/tmp") /
        ("fusebound-pictures-" + std::to_string(child ? getppid() : getpid()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    for (const char* name : pictureNames) {
      original[name] = readFile(fs::path(FUSEBOUND_SOURCE_DIR) / "data" / name);
      ASSERT_FALSE(original[name].empty()) << name;
    }
  }
  void TearDown() override { fs::remove_all(folder); }

  // The case's data/ folder: each picture made from the original by `make`
  // (nothing written when it returns false).
  template <typename Make>
  void pictures(Make make) {
    fs::remove_all(folder / "data");
    fs::create_directory(folder / "data");
    for (const char* name : pictureNames) {
      Bytes bytes = original[name];
      if (make(folder / "data" / name, bytes))
        writeFile(folder / "data" / name, bytes);
    }
  }

  // Runs the game in the case's folder and returns the last frame shown.
  Frame play() {
    const fs::path frameFile = folder / "frame.bin";
    fs::remove(frameFile);
    EXPECT_EXIT(runIn(folder), ::testing::ExitedWithCode(0), "");
    const Bytes bytes = readFile(frameFile);
    Frame frame(bytes.size() / 2);
    if (!frame.empty())
      std::memcpy(frame.data(), bytes.data(), frame.size() * 2);
    EXPECT_EQ(frame.size(), static_cast<std::size_t>(frameWidth * frameHeight));
    return frame;
  }

  Frame reference() {
    pictures([](const fs::path&, Bytes&) { return true; });
    const Frame frame = play();
    EXPECT_NE(frame, Frame(frame.size(), 0)) << "the pictures show nothing";
    return frame;
  }

  fs::path folder;
  std::map<std::string, Bytes> original;

 private:
  [[noreturn]] static void runIn(const fs::path& where) {
    if (chdir(where.c_str()) != 0) std::exit(101);
    static Frame last(frameWidth * frameHeight);
    auto& s = fake::state();
    s.onPresent = [](const std::uint16_t* pixels) {
      std::copy(pixels, pixels + last.size(), last.begin());
      if (fake::state().presented == framesShown) fake::pressKey(DIK_ESCAPE);
    };
    const int status = winMain(1, windowedRun());
    if (!fake::state().messageBoxes.empty()) std::exit(102);
    if (fake::state().presented != framesShown) std::exit(103);
    std::ofstream("frame.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(last.data()), last.size() * 2);
    std::exit(status);
  }
};

// Whether every pixel of the block (x, y, width, height) of the frame is
// `colour`.
bool blockIs(const Frame& frame, int x, int y, int width, int height,
             std::uint16_t colour) {
  for (int row = y; row < y + height; ++row)
    for (int column = x; column < x + width; ++column)
      if (frame[row * frameWidth + column] != colour) return false;
  return true;
}

bool sameBlock(const Frame& a, const Frame& b, int x, int y, int width,
               int height) {
  for (int row = y; row < y + height; ++row)
    for (int column = x; column < x + width; ++column)
      if (a[row * frameWidth + column] != b[row * frameWidth + column])
        return false;
  return true;
}

// Where the arena and the status bar are drawn.
constexpr int arenaX = 24, arenaY = 32, arenaW = 272, arenaH = 208;
constexpr int barX = 32, barY = 4, barW = 256, barH = 23;

TEST_F(FaultPictures, MissingPicturesLeaveEverythingBlack) {
  pictures([](const fs::path&, Bytes&) { return false; });
  const Frame frame = play();
  EXPECT_TRUE(blockIs(frame, 0, 0, frameWidth, frameHeight, 0));
}

TEST_F(FaultPictures, EmptyPicturesReadAsWhite) {
  pictures([](const fs::path&, Bytes& bytes) {
    bytes.clear();
    return true;
  });
  const Frame frame = play();
  EXPECT_TRUE(blockIs(frame, arenaX, arenaY, arenaW, arenaH, 0xFFFF));
  EXPECT_TRUE(blockIs(frame, barX, barY, barW, barH, 0xFFFF));
}

TEST_F(FaultPictures, FoldersInPlaceOfThePicturesAreSkippedAsMissing) {
  pictures([](const fs::path& path, Bytes&) {
    fs::create_directory(path);
    return false;
  });
  const Frame frame = play();
  EXPECT_TRUE(blockIs(frame, 0, 0, frameWidth, frameHeight, 0));
}

TEST_F(FaultPictures, PicturesCutShortKeepTheirFirstPartAndTurnWhite) {
  const Frame whole = reference();
  // Each file keeps its first half, cut one byte into a pixel. The frame
  // shows only the first tiles (floor, wall, pillar, block) and the first
  // player frame, all within the halves kept.
  pictures([](const fs::path&, Bytes& bytes) {
    bytes.resize((bytes.size() / 3) / 2 * 3 + 1);
    return true;
  });
  const Frame frame = play();
  EXPECT_TRUE(sameBlock(frame, whole, arenaX, arenaY, arenaW, arenaH));
  // The status bar: its first 2,944 pixels (11 whole rows and half of the
  // twelfth) as before, the rows after the cut white.
  EXPECT_TRUE(sameBlock(frame, whole, barX, barY, barW, 11));
  EXPECT_TRUE(blockIs(frame, barX, barY + 12, barW, barH - 12, 0xFFFF));
  EXPECT_FALSE(sameBlock(frame, whole, barX, barY, barW, barH));
}

TEST_F(FaultPictures, BytesBeyondThePicturesAreIgnored) {
  const Frame whole = reference();
  pictures([](const fs::path&, Bytes& bytes) {
    bytes.insert(bytes.end(), 4096, '\x5A');
    return true;
  });
  EXPECT_EQ(play(), whole);
}

}  // namespace
