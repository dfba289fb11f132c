#include "platform/progress.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(ProgressClock, ElapsedAndRemainingTimes) {
  ProgressClock clock;
  clock.Start(5000);
  EXPECT_FALSE(clock.Report(0, 60000));  // 0 percent only moves the bar
  EXPECT_FALSE(clock.Report(10, 5999));  // no whole second yet
  auto t = clock.Report(50, 15000);      // 50 % after 10 s
  ASSERT_TRUE(t);
  EXPECT_EQ(t->elapsed, "00:00:10");
  EXPECT_EQ(t->remaining, "00:00:10");
  EXPECT_FALSE(clock.Report(60, 15900));  // same second: times stay
  t = clock.Report(1, 5000 + 3723000);    // 1 h 2 min 3 s for 1 %
  ASSERT_TRUE(t);
  EXPECT_EQ(t->elapsed, "01:02:03");
  EXPECT_EQ(t->remaining, "102:22:57");  // 99 x 3723 s
  clock.Restart(100);
  t = clock.Report(100, 1100);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->elapsed, "00:00:01");
  EXPECT_EQ(t->remaining, "00:00:00");
  // The tick counter wraps; the elapsed time does not notice.
  clock.Start(0xFFFFFC18u);
  t = clock.Report(50, 1000);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->elapsed, "00:00:02");
}

TEST(ProgressClock, TimeTexts) {
  EXPECT_EQ(FormatElapsedTime(0), "00:00:00");
  EXPECT_EQ(FormatElapsedTime(59999), "00:00:59");
  EXPECT_EQ(FormatElapsedTime(3600000), "01:00:00");
  EXPECT_EQ(FormatSeconds(3661), "01:01:01");
  EXPECT_EQ(RemainingSeconds(25, 30), 90u);
  EXPECT_EQ(RemainingSeconds(0, 30), 0u);
}

}  // namespace
}  // namespace zel
