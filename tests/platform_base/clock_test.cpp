#include <gtest/gtest.h>

#include "platform/base/clock.h"

namespace lumbra {
namespace {

TEST(VirtualClock, SleepingAdvancesTimeAtOnceAndIsCounted) {
  VirtualClock clock;
  EXPECT_EQ(clock.NowMs(), 0u);
  clock.SleepMs(500);
  clock.SleepMs(2000);
  EXPECT_EQ(clock.NowMs(), 2500u);
  EXPECT_EQ(clock.SleptMs(), 2500u);
  // Time that passes by itself is not a wait the code took.
  clock.Advance(1000);
  EXPECT_EQ(clock.NowMs(), 3500u);
  EXPECT_EQ(clock.SleptMs(), 2500u);
}

TEST(VirtualClock, APollingLoopWithATimeLimitEnds) {
  VirtualClock clock;
  const std::uint64_t deadline = clock.NowMs() + 30000;
  int polls = 0;
  while (clock.NowMs() < deadline) {
    ++polls;
    clock.SleepMs(1000);
  }
  EXPECT_EQ(polls, 30);
}

TEST(RealClock, IsMonotonicAndSleepsAtLeastTheTimeAsked) {
  RealClock clock;
  const std::uint64_t before = clock.NowMs();
  clock.SleepMs(20);
  EXPECT_GE(clock.NowMs() - before, 20u);
}

}  // namespace
}  // namespace lumbra
