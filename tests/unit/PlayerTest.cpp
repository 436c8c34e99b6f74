// The player's record: the cell it stands in, the walk animation, and the
// 44 frames cut from the picture file and drawn with their transparent black.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/AppWindow.h"
#include "input/InputDevices.h"
#include "player/Player.h"
#include "tests/unit/PlayerWorld.h"
#include "video/Graphics.h"

namespace {

TEST(PlayerCell, FollowsTheSpritesCentreTwentyPixelsBelowItsTop) {
  const Player start;
  EXPECT_EQ(start.x, 56);
  EXPECT_EQ(start.y, 40);
  EXPECT_EQ(start.facing + start.walkFrame, 0);  // standing, facing down

  Player p;
  struct {
    int x, y, column, row;
  } cases[] = {{56, 40, 2, 1}, {63, 40, 2, 1}, {64, 40, 3, 1},
               {56, 43, 2, 1}, {56, 44, 2, 2}, {248, 199, 14, 11},
               {71, 55, 3, 2}, {72, 59, 3, 2}, {79, 60, 3, 3}};
  for (auto c : cases) {
    p.x = c.x;
    p.y = c.y;
    EXPECT_EQ(p.cell().column, c.column) << c.x << "," << c.y;
    EXPECT_EQ(p.cell().row, c.row) << c.x << "," << c.y;
  }
}

// ---------------------------------------------------------- walk cycle

using WalkCycle = PlayerWorld;

// walkFrame after n passes with a direction held from standing: the standing
// frame for four passes, then each walk frame 1 to 10 for five passes.
int walkFrameAfter(int n) { return n < 5 ? 0 : (n / 5 - 1) % 10 + 1; }

TEST_F(WalkCycle, StandsFourPassesThenCyclesTenFramesOfFivePasses) {
  player = Player();  // as a new game starts
  placeAt(restX(6), restY(3));
  hold({DIK_RIGHT});
  for (int n = 1; n <= 130; ++n) {
    if (n == 60) hold({DIK_DOWN});  // a new direction keeps the counters
    pass();
    ASSERT_EQ(player.walkFrame, walkFrameAfter(n)) << "pass " << n;
    ASSERT_EQ(player.walkDelay, n % 5) << "pass " << n;
  }
  EXPECT_EQ(player.facing, facingDown);
}

TEST_F(WalkCycle, ReleasingShowsTheStandingFrameInTheSamePass) {
  for (int held : {4, 23, 24, 50}) {  // 24: walkDelay is 4 on release
    placeAt(restX(6), restY(3));
    player.walkFrame = player.walkDelay = 0;
    hold({DIK_LEFT});
    pass(held);
    EXPECT_EQ(player.walkFrame, walkFrameAfter(held));
    releaseAll();
    pass();
    EXPECT_EQ(player.walkFrame, 0) << held;
    EXPECT_EQ(player.walkDelay, 0) << held;
    EXPECT_EQ(player.facing, facingLeft);
  }
}

TEST_F(WalkCycle, AWallDoesNotStopTheAnimation) {
  placeAt(56, 39);
  hold({DIK_UP});
  pass(12);
  EXPECT_EQ(player.x, 56);
  EXPECT_EQ(player.y, 39);
  EXPECT_EQ(player.facing + player.walkFrame, facingUp + 2);
}

// ------------------------------------------------ frames from the picture

// Pixel p of frame f in the test picture, packed for a 5-6-5 display: the
// frame in green, the pixel's place in red and blue. Only pixel 0 of frame 0
// is black.
std::uint16_t testPixel(int f, int p) {
  return static_cast<std::uint16_t>((p / 32) << 11 | f << 5 | p % 32);
}

bool writeTestPicture(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  for (int f = 0; f < 44; ++f)
    for (int p = 0; p < 384; ++p) {
      std::fputc(p / 32 * 8, file);
      std::fputc(f * 4, file);
      std::fputc(p % 32 * 8, file);
    }
  return std::fclose(file) == 0;
}

// Cuts the frames from a picture written for the test and draws two of them;
// exits with 0, or with the number of the first check that failed.
[[noreturn]] void cutAndDraw() {
  char dir[] = "/tmp/fusebound-playerXXXXXX";
  if (!mkdtemp(dir)) std::exit(1);
  const std::string data = std::string(dir) + "/data";
  const std::string picture = data + "/player.raw";
  if (mkdir(data.c_str(), 0700) != 0 || !writeTestPicture(picture) ||
      chdir(dir) != 0)
    std::exit(1);

  appWindow.create(1);
  if (!graphics.init()) std::exit(2);
  player.loadFrames();
  std::remove(picture.c_str());
  rmdir(data.c_str());
  rmdir(dir);

  int fault = 0;
  for (int f = 0; f < 44 && !fault; ++f) {
    const Surface* s = player.frames[f];
    if (!s || s->width != 16 || s->height != 24 || !s->hasKey ||
        s->keyColour != 0 || s->locked)
      fault = 3;
    else
      for (int p = 0; p < 384; ++p)
        if (s->pixels[p] != testPixel(f, p)) fault = 4;
  }

  // Draw frame 36 (facing right, walk frame 3) and frame 0 over a marked
  // background: black stays transparent.
  Surface* target = graphics.compositionSurface;
  if (target->locked) fault = fault ? fault : 9;  // staging left locked
  const int pitch = target->width;
  for (int i = 0; i < pitch * 240; ++i) target->pixels[i] = 0x1234;
  player.x = 100;
  player.y = 50;
  player.facing = facingRight;
  player.walkFrame = 3;
  player.draw();
  if (blitSize.width != 16 || blitSize.height != 24) fault = fault ? fault : 5;
  player.x = 10;
  player.y = 100;
  player.facing = facingDown;
  player.walkFrame = 0;
  player.draw();
  for (int p = 0; p < 384 && !fault; ++p) {
    const int row = p / 16, column = p % 16;
    if (target->pixels[(50 + row) * pitch + 100 + column] != testPixel(36, p))
      fault = 6;
    const std::uint16_t expected = p == 0 ? 0x1234 : testPixel(0, p);
    if (target->pixels[(100 + row) * pitch + 10 + column] != expected)
      fault = 7;
  }
  if (target->pixels[50 * pitch + 99] != 0x1234 ||
      target->pixels[74 * pitch + 100] != 0x1234)
    fault = fault ? fault : 8;  // nothing outside the 16 by 24 block
  std::exit(fault);
}

TEST(PlayerFrames, AreCutFromTheStagedPictureAndDrawnWithTransparentBlack) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  fake::reset();
  EXPECT_EXIT(cutAndDraw(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
