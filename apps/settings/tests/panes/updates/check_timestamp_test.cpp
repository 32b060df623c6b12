#include "panes/updates/check_timestamp.h"

#include <gtest/gtest.h>

namespace {

namespace updates = settings::panes::updates;

TEST(CheckTimestamp, DateAndClockWithMissingPartsLeftOut) {
  using Text = std::expected<std::string, std::string>;
  const Text failed = std::unexpected("no clock");
  EXPECT_EQ(updates::join_timestamp(Text("2026-12-10"), Text("14:05")), "2026-12-10 14:05");
  EXPECT_EQ(updates::join_timestamp(failed, Text("14:05")), "14:05");
  EXPECT_EQ(updates::join_timestamp(Text("2026-12-10"), failed), "2026-12-10");
  EXPECT_EQ(updates::join_timestamp(failed, failed), "");

  const std::string now = updates::check_timestamp();
  ASSERT_EQ(now.size(), 16u) << now;
  EXPECT_EQ(now[10], ' ');
  EXPECT_EQ(now[13], ':');
}

}  // namespace
