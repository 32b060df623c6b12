#include "os_actions/time.h"

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "temp_tree.h"

namespace {

using os_actions::time::Reported;
using os_actions_testing::TempTree;

TEST(TimeService, ChangesAutomaticTimeAndZoneThroughTheService) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated", "--parameters",
                     R"({"NTP": false, "Timezone": "America/New_York"})");
  auto before = os_actions::time::get_time_sync_status();
  EXPECT_EQ(before.zone, "America/New_York");
  EXPECT_EQ(before.automatic, Reported::Off);
  EXPECT_EQ(before.server, std::nullopt);  // no time-sync service on this bus

  ASSERT_TRUE(os_actions::time::set_ntp(true).has_value());
  EXPECT_EQ(os_actions::time::get_ntp(), true);
  ASSERT_TRUE(os_actions::time::set_timezone("Europe/Berlin").has_value());
  auto after = os_actions::time::get_time_sync_status();
  EXPECT_EQ(after.zone, "Europe/Berlin");
  EXPECT_EQ(after.automatic, Reported::On);
  EXPECT_EQ(after.synchronised, Reported::On);
}

TEST(TimeService, StoppedServiceGivesItsTextAndAnUnreportedStatus) {
  ORVO_STAND_IN_BUS(bus);
  auto set = os_actions::time::set_ntp(true);
  ASSERT_FALSE(set.has_value());
  EXPECT_EQ(set.error(), "the time service is not running");
  auto status = os_actions::time::get_time_sync_status();
  EXPECT_EQ(status.zone, std::nullopt);
  EXPECT_EQ(status.automatic, Reported::Unreported);
  EXPECT_EQ(status.synchronised, Reported::Unreported);
}

TEST(TimeZones, ListComesFromTzdataSortedWithoutRepeats) {
  TempTree tree;
  std::filesystem::create_directories(tree.root() / "usr/share/zoneinfo");
  std::filesystem::copy_file(ORVO_OS_FIXTURES "/zone1970.tab", tree.root() / "usr/share/zoneinfo/zone1970.tab");
  tree.write("usr/share/zoneinfo/UTC", "TZif");
  system_paths::ScopedOverride root(tree.root());
  auto zones = os_actions::time::list_timezones();
  ASSERT_TRUE(zones.has_value()) << zones.error();
  EXPECT_EQ(*zones, (std::vector<std::string>{"America/Argentina/Buenos_Aires", "America/New_York", "Europe/Andorra",
                                              "Europe/Berlin", "UTC"}));
}

TEST(TimeZones, MissingTzdataIsAnError) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  auto zones = os_actions::time::list_timezones();
  ASSERT_FALSE(zones.has_value());
  EXPECT_TRUE(zones.error().starts_with("Could not read the list of time zones: ")) << zones.error();
}

}  // namespace
