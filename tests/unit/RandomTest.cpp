#include <gtest/gtest.h>

#include "app/Random.h"

TEST(Random, SeedOneGivesTheKnownSequence) {
  runtime::srand(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478};
  for (int value : expected) EXPECT_EQ(runtime::rand(), value);
}

TEST(Random, ResultsStayWithinFifteenBits) {
  runtime::srand(0xFFFFFFFFu);
  for (int i = 0; i < 100000; ++i) {
    const int r = runtime::rand();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, runtime::randMax);
  }
}
