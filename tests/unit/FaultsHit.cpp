// The unit tests' entry: GoogleTest, plus a check after every test that each
// fault it set on the scripted platform made a call fail. A fault never hit
// means the test did not test what it says.
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/FakePlatform.h"

namespace {

class FaultsHit : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    fake::forgetFaults();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (fake::Fault f : fake::faultsNeverHit())
      ADD_FAILURE() << "fault never hit: " << fake::nameOf(f);
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listeners hear a test's end last added first: this one runs before the
  // printer, so a failure it adds is reported as the test's own.
  ::testing::UnitTest::GetInstance()->listeners().Append(new FaultsHit);
  return RUN_ALL_TESTS();
}
