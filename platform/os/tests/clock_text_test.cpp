#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "os_actions/time.h"

namespace {

// Sets TZ while alive.
class ScopedZone {
 public:
  explicit ScopedZone(const char* zone) {
    if (const char* old = ::getenv("TZ")) saved_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedZone() {
    if (saved_) ::setenv("TZ", saved_->c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(ClockText, DateAndBothClockFormsInAFixedZone) {
  ScopedZone zone("UTC0");
  struct Case {
    std::time_t moment;
    const char* date;
    const char* h24;
    const char* h12;
  };
  const Case cases[] = {
      {1'796'911'500, "2026-12-10", "14:05", "2:05 PM"},
      {1'796'860'800, "2026-12-10", "00:00", "12:00 AM"},  // midnight
      {1'796'904'000, "2026-12-10", "12:00", "12:00 PM"},  // noon
      {1'796'895'000, "2026-12-10", "09:30", "9:30 AM"},
      {1'796'947'140, "2026-12-10", "23:59", "11:59 PM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(os_actions::time::format_date(c.moment), c.date) << c.moment;
    EXPECT_EQ(os_actions::time::format_clock(c.moment, true), c.h24) << c.moment;
    EXPECT_EQ(os_actions::time::format_clock(c.moment, false), c.h12) << c.moment;
  }
}

TEST(ClockText, FollowsTheZoneAndNowGivesTheSameShape) {
  {
    ScopedZone zone("JST-9");
    EXPECT_EQ(os_actions::time::format_date(1'796'911'500), "2026-12-10");
    EXPECT_EQ(os_actions::time::format_clock(1'796'911'500, true), "23:05");
    EXPECT_EQ(os_actions::time::format_clock(1'796'947'140, true), "08:59");
    EXPECT_EQ(os_actions::time::format_date(1'796'947'140), "2026-12-11");
  }
  auto date = os_actions::time::now_date();
  ASSERT_TRUE(date.has_value());
  EXPECT_EQ(date->size(), 10u);
  auto clock = os_actions::time::now_clock(true);
  ASSERT_TRUE(clock.has_value());
  EXPECT_EQ(clock->size(), 5u);
  auto h12 = os_actions::time::now_clock(false);
  ASSERT_TRUE(h12.has_value());
  EXPECT_TRUE(h12->ends_with(" AM") || h12->ends_with(" PM")) << *h12;
}

}  // namespace
