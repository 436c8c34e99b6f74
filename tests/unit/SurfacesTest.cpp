// Surfaces, colour packing, picture files and blits on the scripted display.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/unit/VideoFixture.h"

namespace {

using ::testing::ExitedWithCode;

class Surfaces : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    char pattern[] = "/tmp/fusebound-videoXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    for (const auto& file : files) std::remove(file.c_str());
    rmdir(dir.c_str());
    VideoTest::TearDown();
  }

  // Writes the bytes as a picture file and answers its path.
  std::string pictureFile(std::initializer_list<int> bytes) {
    const std::string path =
        dir + "/picture" + std::to_string(files.size()) + ".raw";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (int b : bytes) std::fputc(b, file);
    std::fclose(file);
    files.push_back(path);
    return path;
  }

  static void useMasks(std::uint32_t red, std::uint32_t green) {
    fake::state().masks = {red, green, 0x001F};
    ASSERT_EQ(graphics.readPixelFormat(fake::handles::primary), 1);
  }

  static Surface* filled(int width, int height, int useKey,
                         std::uint16_t (*pixel)(int x, int y)) {
    Surface* s = graphics.createSurface(width, height, useKey, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) s->pixels[y * width + x] = pixel(x, y);
    return s;
  }

  static std::uint16_t at(int x, int y) {
    const Surface* c = graphics.compositionSurface;
    return c->pixels[y * c->width + x];
  }

  static void fillComposition(std::uint16_t value) {
    Surface* c = graphics.compositionSurface;
    for (int i = 0; i < c->width * c->height; ++i) c->pixels[i] = value;
  }

  std::string dir;
  std::vector<std::string> files;
};

TEST_F(Surfaces, FiveSixFiveAndFiveFiveFiveGiveTheirChannelValues) {
  useMasks(0xF800, 0x07E0);
  EXPECT_EQ(graphics.channelShift[channelRed], 11);
  EXPECT_EQ(graphics.channelShift[channelGreen], 5);
  EXPECT_EQ(graphics.channelShift[channelBlue], 0);
  EXPECT_EQ(graphics.channelMax[channelRed], 31);
  EXPECT_EQ(graphics.channelMax[channelGreen], 63);
  EXPECT_EQ(graphics.channelMax[channelBlue], 31);
  EXPECT_EQ(graphics.channelDownShift[channelRed], 3);
  EXPECT_EQ(graphics.channelDownShift[channelGreen], 2);
  EXPECT_EQ(graphics.channelDownShift[channelBlue], 3);

  useMasks(0x7C00, 0x03E0);
  EXPECT_EQ(graphics.channelShift[channelRed], 10);
  EXPECT_EQ(graphics.channelShift[channelGreen], 5);
  EXPECT_EQ(graphics.channelShift[channelBlue], 0);
  for (int channel : {channelBlue, channelGreen, channelRed}) {
    EXPECT_EQ(graphics.channelMax[channel], 31);
    EXPECT_EQ(graphics.channelDownShift[channel], 3);
  }
  EXPECT_EQ(graphics.redMask, 0x7C00u);
}

TEST_F(Surfaces, AFormatWithoutMasksOrUnreadableIsRefused) {
  for (platform::PixelMasks masks : {platform::PixelMasks{0, 0, 0},
                                     {0, 0x07E0, 0x001F},
                                     {0xF800, 0, 0x001F},
                                     {0xF800, 0x07E0, 0}}) {
    fake::state().masks = masks;
    EXPECT_EQ(graphics.readPixelFormat(fake::handles::primary), 0);
  }
  fake::state().masks = {0xF800, 0x07E0, 0x001F};
  fake::fail(fake::Fault::pixelFormat);
  EXPECT_EQ(graphics.readPixelFormat(fake::handles::primary), 0);
}

TEST_F(Surfaces, PictureBytesArePackedForEitherLayout) {
  startDisplay();
  Surface* s = graphics.createSurface(2, 1, 0, 0);
  const std::string path = pictureFile({255, 128, 0, 18, 52, 86});

  useMasks(0xF800, 0x07E0);
  loadRawImage(path.c_str(), s, 2);
  EXPECT_EQ(s->pixels[0], 0xFC00);
  EXPECT_EQ(s->pixels[1], 0x11AA);
  EXPECT_EQ(packColour(31, 63, 31), 0xFFFF);

  useMasks(0x7C00, 0x03E0);
  loadRawImage(path.c_str(), s, 1);
  EXPECT_EQ(s->pixels[0], 0x7E00);
  EXPECT_EQ(packColour(31, 31, 31), 0x7FFF);
}

TEST_F(Surfaces, AShortFileGivesWhiteForEveryMissingByte) {
  startDisplay();
  Surface* s = graphics.createSurface(4, 1, 0, 0);
  // One whole black pixel, then a pixel cut after its red byte.
  const std::string path = pictureFile({0, 0, 0, 0});

  useMasks(0xF800, 0x07E0);
  loadRawImage(path.c_str(), s, 3);
  EXPECT_EQ(s->pixels[0], 0x0000);
  EXPECT_EQ(s->pixels[1], 0x07FF);  // red 0 from the file, green, blue 255
  EXPECT_EQ(s->pixels[2], 0xFFFF);
  EXPECT_EQ(s->pixels[3], 0x0000);  // not asked for

  useMasks(0x7C00, 0x03E0);
  loadRawImage(path.c_str(), s, 3);
  EXPECT_EQ(s->pixels[1], 0x03FF);
  EXPECT_EQ(s->pixels[2], 0x7FFF);
}

TEST_F(Surfaces, AMissingFileLeavesTheMemoryAsItWas) {
  startDisplay();
  Surface* s = graphics.createSurface(2, 2, 0, 0);
  loadRawImage(pictureFile({255, 255, 255, 0, 0, 0}).c_str(), s, 2);
  loadRawImage((dir + "/missing.raw").c_str(), s, 4);
  EXPECT_EQ(s->pixels[0], 0xFFFF);
  EXPECT_EQ(s->pixels[1], 0x0000);
  EXPECT_FALSE(s->locked);
  EXPECT_TRUE(fake::state().messageBoxes.empty());
  loadRawImage(pictureFile({}).c_str(), s, 0);  // nothing asked, nothing read
  EXPECT_EQ(s->pixels[0], 0xFFFF);
}

TEST_F(Surfaces, AFolderOrADeviceInPlaceOfAFileIsSkipped) {
  startDisplay();
  Surface* s = graphics.createSurface(2, 1, 0, 0);
  for (const char* path : {dir.c_str(), "/dev/null"}) {
    SCOPED_TRACE(path);
    s->pixels[0] = 0x1234;
    s->pixels[1] = 0x0000;
    loadRawImage(path, s, 2);
    EXPECT_EQ(s->pixels[0], 0x1234);
    EXPECT_EQ(s->pixels[1], 0x0000);
    EXPECT_FALSE(s->locked);
  }
}

TEST_F(Surfaces, TheReaderStopsAtTheEndOfTheSurface) {
  startDisplay();
  Surface* s = graphics.createSurface(2, 2, 0, 0);
  Surface* after = graphics.createSurface(2, 2, 0, 0);
  loadRawImage(pictureFile({}).c_str(), s, 1000);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s->pixels[i], 0xFFFF);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(after->pixels[i], 0);
  // Without a surface there is no address to write through.
  EXPECT_EQ(graphics.lockSurface(nullptr), nullptr);
  loadRawImage(pictureFile({1, 2, 3}).c_str(), nullptr, 1);
}

TEST_F(Surfaces, TheCompositionSurfaceIsLargeUnkeyedAndClearedInItsFrame) {
  startDisplay();
  const Surface* c = graphics.compositionSurface;
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->width, 640);
  EXPECT_EQ(c->height, 960);
  EXPECT_FALSE(c->hasKey);
  fillComposition(0x5555);
  graphics.clearComposition();
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_EQ(at(319, 239), 0);
  EXPECT_EQ(at(320, 0), 0x5555);
  EXPECT_EQ(at(0, 240), 0x5555);
}

// A 16-wide sprite row exercises the vector path, odd widths the tail.
TEST_F(Surfaces, KeyedBlitsLeaveTheBackgroundWhereTheSourceIsBlack) {
  startDisplay();
  for (int width : {16, 24, 13, 3}) {
    Surface* sprite = filled(width, 5, 1, [](int x, int y) {
      return static_cast<std::uint16_t>((x + y) % 3 == 0 ? 0 : 0x100 + x + y);
    });
    ASSERT_TRUE(sprite->hasKey);
    EXPECT_EQ(sprite->keyColour, 0);
    fillComposition(0x7777);
    blitSize.set(width, 5);
    EXPECT_EQ(blitSize.blitKeyed(40, 30, sprite), 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint16_t s = sprite->pixels[y * width + x];
        ASSERT_EQ(at(40 + x, 30 + y), s == 0 ? 0x7777 : s)
            << "width " << width << " at " << x << "," << y;
      }
    EXPECT_EQ(at(39, 30), 0x7777);
    EXPECT_EQ(at(40 + width, 30), 0x7777);
    EXPECT_EQ(at(40, 35), 0x7777);
  }
}

TEST_F(Surfaces, OpaqueBlitsCopyBlackToo) {
  startDisplay();
  Surface* tile = filled(16, 16, 1, [](int x, int y) {
    return static_cast<std::uint16_t>(x == y ? 0 : 0x2000 + x * 16 + y);
  });
  fillComposition(0x7777);
  blitSize.set(16, 16);
  blitSize.blitOpaque(100, 200, tile);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(at(100 + x, 200 + y), tile->pixels[y * 16 + x]);
  EXPECT_EQ(at(116, 200), 0x7777);
}

TEST_F(Surfaces, ASurfaceAskedForWithoutAKeyHasNone) {
  startDisplay();
  Surface* plain = graphics.createSurface(8, 2, 0, 0x1234);
  EXPECT_FALSE(plain->hasKey);
  // Keyed blits of it copy every pixel, black included.
  fillComposition(0x7777);
  blitSize.set(8, 2);
  blitSize.blitKeyed(0, 0, plain);
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_EQ(at(7, 1), 0);
}

TEST_F(Surfaces, BlitsAreCutAtTheEdgesOfTheCompositionSurface) {
  startDisplay();
  Surface* tile = filled(16, 16, 1, [](int x, int y) {
    return static_cast<std::uint16_t>(1 + x + y * 16);
  });
  fillComposition(0x7777);
  blitSize.set(16, 16);
  blitSize.blitKeyed(-4, -2, tile);
  EXPECT_EQ(at(0, 0), tile->pixels[2 * 16 + 4]);
  EXPECT_EQ(at(11, 13), tile->pixels[15 * 16 + 15]);
  EXPECT_EQ(at(12, 0), 0x7777);
  blitSize.blitOpaque(632, 952, tile);
  EXPECT_EQ(at(639, 959), tile->pixels[7 * 16 + 7]);
  // A size larger than the source copies no more than the source holds.
  blitSize.set(64, 64);
  blitSize.blitOpaque(200, 200, tile);
  EXPECT_EQ(at(215, 215), tile->pixels[255]);
  EXPECT_EQ(at(216, 200), 0x7777);
  EXPECT_NE(blitSize.blitOpaque(0, 0, nullptr), 0);
  // A block wholly beyond an edge draws nothing.
  blitSize.set(16, 16);
  EXPECT_NE(blitSize.blitOpaque(-20, 0, tile), 0);
  EXPECT_NE(blitSize.blitOpaque(0, 970, tile), 0);
  EXPECT_EQ(at(0, 0), tile->pixels[2 * 16 + 4]);
}

TEST_F(Surfaces, ASurfaceThatCannotBeMadeEndsTheProgram) {
  EXPECT_EXIT(
      {
        startDisplay();
        fake::state().echo = true;
        fake::fail(fake::Fault::surfaceCreate);
        graphics.createSurface(16, 24, 1, 0);
        std::exit(3);
      },
      ExitedWithCode(1),
      "fake: ddCreateOffscreenSurface 16x24\n"
      "fake: messageBox No memory to create Surface!\n");
  // Running out of surface records is the same failure.
  EXPECT_EXIT(
      {
        startDisplay();
        fake::state().echo = true;
        for (int i = 0; i < 1000; ++i) graphics.createSurface(1, 1, 0, 0);
        std::exit(3);
      },
      ExitedWithCode(1),
      "fake: ddCreateOffscreenSurface 1x1\n"
      "fake: messageBox No memory to create Surface!\n");
}

}  // namespace
