// The application started offscreen against a stand-in time service: the user opens Time & date
// from the search field, moves on the map with the keyboard and applies a zone.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "../../door/offscreen_app.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "os_actions/time.h"
#include "panes/time_date/zone_data.h"

namespace settings::panes::time_date {
namespace {

TEST(TimeDateEndToEnd, ArrowKeyAndEnterOnTheMapChangeTheZone) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/zone1970.tab")) GTEST_SKIP() << "no tzdata installed";
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated", "--parameters",
                     R"({"Timezone": "Europe/Paris"})");
  door_tests::OffscreenApp app("{}");
  // The facts are read on a worker and the script does not wait for wakes: the frames give the
  // worker time. Then Tab moves through the window's controls before the page (the search field and
  // the others of the window's tab order) and the Clock card's three controls to the map.
  ASSERT_EQ(app.run_script("click 130 26\ntext time zone\nframes 2\nclick 100 99\nframes 3000\n"
                           "key tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\n"
                           "key right\nkey enter\nframes 40\n"),
            0)
      << app.process().err();

  const auto zone = os_actions::time::get_time_sync_status().zone;
  ASSERT_TRUE(zone.has_value());
  EXPECT_NE(*zone, "Europe/Paris") << app.process().err();
  const auto zones = os_actions::time::list_timezones();
  ASSERT_TRUE(zones.has_value());
  EXPECT_FALSE(read_zone_table({*zone}).empty()) << *zone << " is not a mapped zone";
}

}  // namespace
}  // namespace settings::panes::time_date
