// The application started offscreen against a stand-in time service: the user opens Time & date
// from the search field, moves on the map with the keyboard and applies a zone.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "../../door/child_process.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "os_actions/time.h"
#include "panes/time_date/zone_data.h"

namespace settings::panes::time_date {
namespace {

using door_tests::ChildProcess;
using door_tests::environment_with;

struct Home {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/orvo-time-date-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  ~Home() { std::filesystem::remove_all(dir); }
};

TEST(TimeDateEndToEnd, ArrowKeyAndEnterOnTheMapChangeTheZone) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/zone1970.tab")) GTEST_SKIP() << "no tzdata installed";
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated", "--parameters",
                     R"({"Timezone": "Europe/Paris"})");
  Home home;
  const auto runtime = home.dir / "runtime";
  std::filesystem::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  std::filesystem::create_directories(home.dir / "config");
  std::filesystem::create_directories(home.dir / "state");
  // The facts are read on a worker and the script does not wait for wakes: the frames give the
  // worker time. Then Tab moves through the window's controls before the page (the search field and
  // the others of the window's tab order) and the Clock card's three controls to the map.
  std::ofstream(home.dir / "script") << "click 130 26\ntext time zone\nframes 2\nclick 100 99\nframes 3000\n"
                                        "key tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\nkey tab\n"
                                        "key right\nkey enter\nframes 40\n";
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"ORVO_UI_SCRIPT", (home.dir / "script").native()},
                                     {"ORVO_UI_PNG", std::nullopt},
                                     {"ORVO_UI_STATE", std::nullopt},
                                     {"XDG_RUNTIME_DIR", runtime.native()},
                                     {"XDG_CONFIG_HOME", (home.dir / "config").native()},
                                     {"XDG_STATE_HOME", (home.dir / "state").native()},
                                     {"HOME", home.dir.native()}});
  ChildProcess app(ORVO_SETTINGS, {}, env, home.dir);
  ASSERT_TRUE(app.started());
  ASSERT_EQ(app.wait(), 0) << app.err();

  const auto zone = os_actions::time::get_time_sync_status().zone;
  ASSERT_TRUE(zone.has_value());
  EXPECT_NE(*zone, "Europe/Paris") << app.err();
  const auto zones = os_actions::time::list_timezones();
  ASSERT_TRUE(zones.has_value());
  EXPECT_FALSE(read_zone_table({*zone}).empty()) << *zone << " is not a mapped zone";
}

}  // namespace
}  // namespace settings::panes::time_date
