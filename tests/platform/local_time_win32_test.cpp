#include <stdlib.h>
#include <time.h>

#include <gtest/gtest.h>

#include "platform/local_time.h"

namespace {

// Sets the runtime's time zone for one test and puts the system's back.
class TimeZoneScope {
 public:
  explicit TimeZoneScope(const char* setting) {
    _putenv(setting);
    _tzset();
  }
  ~TimeZoneScope() {
    _putenv("TZ=");
    _tzset();
  }
  TimeZoneScope(const TimeZoneScope&) = delete;
  TimeZoneScope& operator=(const TimeZoneScope&) = delete;
};

int SecondOfDay(const std::tm& t) {
  return (t.tm_hour * 60 + t.tm_min) * 60 + t.tm_sec;
}

// The clock is read between two looks at it; retried when a second passed.
void NowTwice(std::tm* local, std::tm* utc) {
  for (;;) {
    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(xova::platform::LocalTimeNow(local));
    const std::time_t after = std::time(nullptr);
    if (before != after) continue;
    ASSERT_EQ(gmtime_s(utc, &before), 0);
    return;
  }
}

TEST(LocalTimeWin32, FollowsTheTimeZoneNotUniversalTime) {
  TimeZoneScope zone("TZ=XYZ-3");  // three hours east of Greenwich
  std::tm local = {}, utc = {};
  NowTwice(&local, &utc);
  EXPECT_EQ(SecondOfDay(local), (SecondOfDay(utc) + 3 * 3600) % 86400);
  EXPECT_GE(local.tm_year, 100);
  EXPECT_GE(local.tm_mday, 1);
  EXPECT_LE(local.tm_mday, 31);
  EXPECT_LE(local.tm_mon, 11);
}

}  // namespace
