// The browser's key table against the desktop's: every key both know has
// the same number in the game's keyboard on both sides.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/sdl/KeyTable.h"
#include "platform/web/KeyCodes.h"

namespace {

using platform::web::BrowserKey;
using platform::web::browserKeys;

TEST(BrowserKeys, EveryKeyHasTheNumberTheDesktopGivesIt) {
  for (const BrowserKey& key : browserKeys) {
    const std::uint8_t desktop =
        platform::dikFromScancode(static_cast<SDL_Scancode>(key.usage));
    EXPECT_NE(desktop, 0) << key.code << ": the desktop does not know it";
    EXPECT_EQ(key.dik, desktop) << key.code;
  }
}

TEST(BrowserKeys, TheDesktopsKeyboardKeysAreAllThere) {
  // Keys of the keyboard page (the rest are media keys, which browsers name
  // differently or not at all).
  std::set<int> usages;
  for (const BrowserKey& key : browserKeys) usages.insert(key.usage);
  for (int i = 0; i < platform::keyTableSize; ++i) {
    const int scancode = platform::keyTable[i].scancode;
    if (scancode >= SDL_SCANCODE_AUDIONEXT) continue;
    if (scancode == SDL_SCANCODE_NONUSHASH) continue;  // the browser: Backslash
    EXPECT_EQ(usages.count(scancode), 1u)
        << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
  }
}

TEST(BrowserKeys, NamesAndNumbersAreEachUsedOnce) {
  std::set<std::string> codes;
  std::set<int> usages;
  for (const BrowserKey& key : browserKeys) {
    EXPECT_TRUE(codes.insert(key.code).second) << key.code;
    EXPECT_TRUE(usages.insert(key.usage).second) << key.code;
  }
}

TEST(BrowserKeys, TheGamesControls) {
  auto dikOf = [](const std::string& code) {
    for (const BrowserKey& key : browserKeys)
      if (code == key.code) return static_cast<int>(key.dik);
    return -1;
  };
  EXPECT_EQ(dikOf("Escape"), 0x01);
  EXPECT_EQ(dikOf("Enter"), 0x1C);
  EXPECT_EQ(dikOf("KeyR"), 0x13);
  EXPECT_EQ(dikOf("ArrowUp"), 0xC8);
  EXPECT_EQ(dikOf("ArrowLeft"), 0xCB);
  EXPECT_EQ(dikOf("ArrowRight"), 0xCD);
  EXPECT_EQ(dikOf("ArrowDown"), 0xD0);
}

}  // namespace
