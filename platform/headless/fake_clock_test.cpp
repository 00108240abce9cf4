#include "platform/headless/fake_clock.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(FakeEventLoop, TimersFireInOrderAndTheClockRollsOver) {
  FakeEventLoop loop;
  loop.SetNow({2026, 12, 31, 23, 59, 59});
  auto t = loop.CreateTimer();
  int ticks = 0;
  t->Start(500, [&] { ++ticks; });
  loop.Advance(1000);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(loop.Now().year, 2027);
  EXPECT_EQ(loop.Now().month, 1);
  EXPECT_EQ(loop.Now().day, 1);
  EXPECT_EQ(loop.Now().second, 0);
  t->Stop();
  loop.Advance(1000);
  EXPECT_EQ(ticks, 2);
  // A handler may stop its own timer.
  t->Start(500, [&] {
    ++ticks;
    t->Stop();
  });
  loop.Advance(5000);
  EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace velnook
