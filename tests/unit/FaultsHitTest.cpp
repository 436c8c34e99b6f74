// The scripted platform's faults: one that no call hits is reported, in the
// test's own process and in a process of its own, so that a test cannot
// claim to check a failure it never provoked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/fake/FakePlatform.h"

namespace {

using fake::Fault;

TEST(FaultsHit, AFaultIsHitOnlyByItsOwnCallAndTheRestAreListed) {
  fake::reset();
  fake::fail(Fault::flip);
  fake::fail(Fault::blitToBack);
  EXPECT_EQ(platform::ddFlip(fake::handles::primary), platform::E_FAIL);
  // A blit onto the primary is not the back buffer's fault.
  EXPECT_EQ(fake::faultsNeverHit(), std::vector<Fault>{Fault::blitToBack});
  EXPECT_TRUE(fake::faultsNeverHit().empty());  // listed once, then forgotten
  // A reset between setting and checking does not hide a miss.
  fake::fail(Fault::soundLevel);
  fake::reset();
  EXPECT_EQ(fake::faultsNeverHit(), std::vector<Fault>{Fault::soundLevel});
}

TEST(FaultsHit, AProcessEndingWithAFaultNeverHitFails) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        fake::reset();
        fake::fail(Fault::keyboardAcquire);
        std::exit(0);
      },
      ::testing::ExitedWithCode(fake::neverHitStatus),
      "fake: fault never hit: keyboardAcquire\n");
  EXPECT_EXIT(
      {
        fake::reset();
        fake::fail(Fault::keyboardAcquire);
        platform::diAcquire(fake::handles::keyboard);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
