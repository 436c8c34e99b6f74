// The sound device's set-up and release on the scripted platform, and the
// sample name table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "sound/SoundSystem.h"

namespace {

using Calls = std::vector<std::string>;

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  void TearDown() override { fake::reset(); }
};

TEST_F(SoundSystemTest, OpensTheDefaultDeviceAtNormalLevel) {
  {
    SoundSystem sound;
    EXPECT_EQ(sound.init(), 1);
    EXPECT_EQ(sound.initialised, 1);
    EXPECT_TRUE(fake::state().soundOpen);
    EXPECT_EQ(fake::state().calls,
              (Calls{"directSoundCreate", "dsSetCooperativeLevel 1"}));
  }
  EXPECT_EQ(fake::state().calls.back(), "dsRelease directSound");
  EXPECT_FALSE(fake::state().soundOpen);
}

TEST_F(SoundSystemTest, EachFailureShowsItsMessageAndAnswersZero) {
  struct Case {
    fake::Fault failing;
    const char* message;
    Calls releases;
  };
  const Case cases[] = {
      {fake::Fault::soundCreate, "Couldn't Access Soundcard!", {}},
      // The object made before the failure is kept and released at the end.
      {fake::Fault::soundLevel,
       "Couldn't Set Soundcard Access Level!",
       {"dsRelease directSound"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fake::nameOf(c.failing));
    fake::reset();
    fake::fail(c.failing);
    {
      SoundSystem sound;
      EXPECT_EQ(sound.init(), 0);
      EXPECT_EQ(sound.initialised, 0);
      ASSERT_EQ(fake::state().messageBoxes.size(), 1u);
      EXPECT_EQ(fake::state().messageBoxes[0].text, c.message);
      EXPECT_EQ(fake::state().messageBoxes[0].caption, "Error, Quiting..");
      fake::state().calls.clear();
    }
    EXPECT_EQ(fake::state().calls, c.releases);
  }
}

TEST_F(SoundSystemTest, EndReleasesTheBuffersFirstToLastThenTheDevice) {
  {
    SoundSystem sound;
    ASSERT_EQ(sound.init(), 1);
    sound.soundBuffers[29] = fake::handles::keyboard;  // stand-in handles
    sound.soundBuffers[4] = fake::handles::window;
    fake::state().calls.clear();
  }
  EXPECT_EQ(fake::state().calls,
            (Calls{"dsRelease window", "dsRelease keyboard",
                   "dsRelease directSound"}));
}

class SampleNames : public ::testing::Test {
 protected:
  // The table is large; keep it off the stack.
  std::unique_ptr<SampleNameTable> table = std::make_unique<SampleNameTable>();

  bool slotIsEmpty(int slot) const {
    for (char c : table->names[slot])
      if (c != 0) return false;
    return table->useCounts[slot] == 0;
  }
};

TEST_F(SampleNames, NewTableHoldsNothingOnce) {
  EXPECT_EQ(table->count, 1);
  EXPECT_STREQ(table->names[0], "Nothing");
  EXPECT_EQ(table->useCounts[0], 1);
  for (int slot = 1; slot < SampleNameTable::capacity; ++slot)
    ASSERT_TRUE(slotIsEmpty(slot)) << slot;
}

TEST_F(SampleNames, NothingInAnyCaseIsTheSameName) {
  table->add("nOTHINg");
  table->add("NOTHING");
  EXPECT_EQ(table->useCounts[0], 3);
  EXPECT_EQ(table->count, 1);
  EXPECT_STREQ(table->names[0], "Nothing");  // the first spelling stays
}

TEST_F(SampleNames, NewNameTakesTheNextSlot) {
  table->add("Fuse");
  EXPECT_EQ(table->count, 2);
  EXPECT_STREQ(table->names[1], "Fuse");
  EXPECT_EQ(table->useCounts[1], 1);
  table->add("FUSE");
  EXPECT_EQ(table->useCounts[1], 2);
  EXPECT_EQ(table->count, 2);
  table->add("R");  // one letter is a name, not an empty slot
  table->add("X");
  EXPECT_EQ(table->count, 4);
  EXPECT_STREQ(table->names[2], "R");
}

TEST_F(SampleNames, EmptyNameTakesASlotThatTheNextNewNameReuses) {
  table->add("");
  EXPECT_EQ(table->count, 2);
  EXPECT_EQ(table->names[1][0], '\0');
  EXPECT_EQ(table->useCounts[1], 1);
  table->add("Crumble");
  EXPECT_EQ(table->count, 2);
  EXPECT_STREQ(table->names[1], "Crumble");
  EXPECT_EQ(table->useCounts[1], 2);  // the earlier count goes on
}

TEST_F(SampleNames, UseCountWrapsFrom255ToZero) {
  for (int i = 0; i < 254; ++i) table->add("nothing");
  EXPECT_EQ(table->useCounts[0], 255);
  table->add("nothing");
  EXPECT_EQ(table->useCounts[0], 0);
  EXPECT_EQ(table->count, 1);
}

TEST_F(SampleNames, NamesTooLongForASlotAreRefusedWithoutATrace) {
  const SampleNameTable before = *table;
  table->add(std::string(30, 'x').c_str());
  table->add(std::string(300, 'y').c_str());
  EXPECT_EQ(std::memcmp(&before, table.get(), sizeof before), 0);
  const std::string longest(29, 'z');
  table->add(longest.c_str());
  EXPECT_EQ(table->count, 2);
  EXPECT_EQ(table->names[1], longest);
}

TEST_F(SampleNames, FullTableRefusesANewNameButCountsKnownOnes) {
  for (int i = 1; i < SampleNameTable::capacity; ++i)
    table->add(("sample" + std::to_string(i)).c_str());
  ASSERT_EQ(table->count, SampleNameTable::capacity);
  const SampleNameTable full = *table;
  table->add("one too many");
  EXPECT_EQ(std::memcmp(&full, table.get(), sizeof full), 0);
  table->add("SAMPLE199");
  EXPECT_EQ(table->useCounts[199], 2);
}

TEST(NamesEqual, FoldsOnlyTheLettersAToZ) {
  EXPECT_TRUE(namesEqual("", ""));
  EXPECT_TRUE(namesEqual("Bomb-2", "bOMB-2"));
  EXPECT_TRUE(namesEqual("Az", "aZ"));
  EXPECT_FALSE(namesEqual("bomb", "bombs"));
  EXPECT_FALSE(namesEqual("", "x"));
  // Pairs that a fold by flipping bit 5 would wrongly call equal.
  EXPECT_FALSE(namesEqual("[", "{"));
  EXPECT_FALSE(namesEqual("@", "`"));
  EXPECT_FALSE(namesEqual("1", "\x11"));
  // Bytes beyond ASCII compare exactly.
  EXPECT_FALSE(namesEqual("\xe4", "\xc4"));
  EXPECT_TRUE(namesEqual("\xe4x", "\xe4X"));
}

}  // namespace
