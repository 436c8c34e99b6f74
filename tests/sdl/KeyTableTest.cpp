// The table from SDL's scan codes to the game's key numbering.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "input/InputDevices.h"
#include "platform/sdl/KeyTable.h"

namespace {

using platform::dikFromScancode;

// The keys the game reads reach it under the numbers it reads them by.
TEST(KeyTable, TheGamesControlsHaveTheirCodes) {
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_ESCAPE), DIK_ESCAPE);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_RETURN), DIK_RETURN);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_SPACE), DIK_SPACE);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_R), DIK_R);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_UP), DIK_UP);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_LEFT), DIK_LEFT);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_RIGHT), DIK_RIGHT);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_DOWN), DIK_DOWN);
  EXPECT_EQ(dikFromScancode(SDL_SCANCODE_UNKNOWN), 0);
}

TEST(KeyTable, EvdevCodesGiveTheSameKeysAsSdlScanCodes) {
  using platform::dikFromEvdev;
  // Linux input codes of the game's controls and their neighbours.
  EXPECT_EQ(dikFromEvdev(1), dikFromScancode(SDL_SCANCODE_ESCAPE));
  EXPECT_EQ(dikFromEvdev(28), dikFromScancode(SDL_SCANCODE_RETURN));
  EXPECT_EQ(dikFromEvdev(19), dikFromScancode(SDL_SCANCODE_R));
  EXPECT_EQ(dikFromEvdev(57), dikFromScancode(SDL_SCANCODE_SPACE));
  EXPECT_EQ(dikFromEvdev(103), dikFromScancode(SDL_SCANCODE_UP));
  EXPECT_EQ(dikFromEvdev(105), dikFromScancode(SDL_SCANCODE_LEFT));
  EXPECT_EQ(dikFromEvdev(106), dikFromScancode(SDL_SCANCODE_RIGHT));
  EXPECT_EQ(dikFromEvdev(108), dikFromScancode(SDL_SCANCODE_DOWN));
  EXPECT_EQ(dikFromEvdev(96), dikFromScancode(SDL_SCANCODE_KP_ENTER));
  EXPECT_EQ(dikFromEvdev(0), 0);
  EXPECT_EQ(dikFromEvdev(84), 0);
  // Each code given is one the table knows, and no two keys share one.
  std::set<int> known, given;
  for (int i = 0; i < platform::keyTableSize; ++i)
    known.insert(platform::keyTable[i].dik);
  for (int code = 0; code < 256; ++code) {
    const int dik = dikFromEvdev(code);
    if (dik == 0) continue;
    EXPECT_TRUE(known.count(dik)) << "evdev " << code;
    EXPECT_TRUE(given.insert(dik).second) << "evdev " << code;
  }
}

// An extended key shares its scan code with a key of the main block or the
// keypad, and sits 128 above it.
TEST(KeyTable, ExtendedKeysSitAtTheirScanCodePlus128) {
  const std::pair<SDL_Scancode, SDL_Scancode> pairs[] = {
      {SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_RETURN},
      {SDL_SCANCODE_RCTRL, SDL_SCANCODE_LCTRL},
      {SDL_SCANCODE_RALT, SDL_SCANCODE_LALT},
      {SDL_SCANCODE_KP_DIVIDE, SDL_SCANCODE_SLASH},
      {SDL_SCANCODE_UP, SDL_SCANCODE_KP_8},
      {SDL_SCANCODE_DOWN, SDL_SCANCODE_KP_2},
      {SDL_SCANCODE_LEFT, SDL_SCANCODE_KP_4},
      {SDL_SCANCODE_RIGHT, SDL_SCANCODE_KP_6},
      {SDL_SCANCODE_HOME, SDL_SCANCODE_KP_7},
      {SDL_SCANCODE_END, SDL_SCANCODE_KP_1},
      {SDL_SCANCODE_PAGEUP, SDL_SCANCODE_KP_9},
      {SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_KP_3},
      {SDL_SCANCODE_INSERT, SDL_SCANCODE_KP_0},
      {SDL_SCANCODE_DELETE, SDL_SCANCODE_KP_PERIOD},
      {SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_KP_MULTIPLY},
  };
  for (const auto& [extended, base] : pairs) {
    SCOPED_TRACE(SDL_GetScancodeName(extended));
    ASSERT_NE(dikFromScancode(base), 0);
    EXPECT_EQ(dikFromScancode(extended), dikFromScancode(base) + 128);
  }
}

TEST(KeyTable, EveryStandardKeyIsThereOnceWithACodeOfItsOwn) {
  std::set<SDL_Scancode> standard;
  for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_KP_PERIOD; ++s)
    standard.insert(static_cast<SDL_Scancode>(s));
  for (int s = SDL_SCANCODE_LCTRL; s <= SDL_SCANCODE_RGUI; ++s)
    standard.insert(static_cast<SDL_Scancode>(s));
  standard.erase(SDL_SCANCODE_NONUSHASH);  // the backslash key of ISO boards

  std::map<int, SDL_Scancode> owner;
  std::set<SDL_Scancode> seen;
  for (int i = 0; i < platform::keyTableSize; ++i) {
    const auto& key = platform::keyTable[i];
    EXPECT_TRUE(seen.insert(key.scancode).second)
        << SDL_GetScancodeName(key.scancode) << " twice";
    EXPECT_NE(key.dik, 0);
    if (standard.count(key.scancode) == 0) continue;
    const auto [it, fresh] = owner.emplace(key.dik, key.scancode);
    EXPECT_TRUE(fresh) << SDL_GetScancodeName(key.scancode) << " and "
                       << SDL_GetScancodeName(it->second) << " share "
                       << int{key.dik};
  }
  for (SDL_Scancode s : standard)
    EXPECT_NE(dikFromScancode(s), 0) << SDL_GetScancodeName(s);
}

TEST(KeyTable, SnapshotMarksExactlyTheKeysDown) {
  Uint8 sdlKeys[SDL_NUM_SCANCODES] = {};
  sdlKeys[SDL_SCANCODE_R] = 1;
  sdlKeys[SDL_SCANCODE_UP] = 1;
  sdlKeys[SDL_SCANCODE_KP_ENTER] = 1;
  std::uint8_t snapshot[256];
  std::fill(std::begin(snapshot), std::end(snapshot), 0x55);
  platform::fillKeyboardSnapshot(sdlKeys, SDL_NUM_SCANCODES, snapshot);
  for (int code = 0; code < 256; ++code) {
    const bool down = code == 19 || code == 200 || code == 0x9C;
    EXPECT_EQ(snapshot[code], down ? 0x80 : 0) << code;
  }
}

}  // namespace
