// The zones the time service accepts: every zone and link name of the installed tz database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "orvo_runtime/system_paths.h"
#include "os_actions/time.h"
#include "temp_tree.h"

namespace {

using os_actions_testing::TempTree;
using Zones = std::vector<std::string>;

TEST(TimeZoneList, ReadsZonesAndLinksOfTheDatabase) {
  TempTree tree;
  tree.write("usr/share/zoneinfo/tzdata.zi",
             "# version 2024a\n"
             "R NBorg 1916 o - May 22 1 1 S\n"
             "Z Europe/Oslo 0:43 - LMT 1895\n"
             "1 NBorg CE%sT\n"                 // a continuation line
             "Zo Europe/Berlin 0:53:28 - LMT 1893 Ap\n"
             "zone Etc/UTC 0 - UTC  # comment\n"
             "L Europe/Berlin Europe/Stockholm\n"
             "Li Etc/UTC UTC\n"
             "L Etc/UTC Etc/Zulu\n"
             "L Etc/UTC\n"                     // no alias name
             "Z Europe/Oslo 1 - CET\n");       // a repeat
  tree.write("usr/share/zoneinfo/zone1970.tab", "NO\t+5955+01045\tEurope/Oslo_From_Table\n");
  system_paths::ScopedOverride root(tree.root());
  const auto zones = os_actions::time::list_timezones();
  ASSERT_TRUE(zones.has_value()) << zones.error();
  EXPECT_EQ(*zones, (Zones{"Etc/UTC", "Etc/Zulu", "Europe/Berlin", "Europe/Oslo", "Europe/Stockholm", "UTC"}));
}

TEST(TimeZoneList, WithoutTheDatabaseBothTablesTogether) {
  TempTree tree;
  tree.write("usr/share/zoneinfo/zone.tab",
             "# comment\nNO\t+5955+01045\tEurope/Oslo\nDE\t+5230+01322\tEurope/Berlin\tmost of Germany\n");
  tree.write("usr/share/zoneinfo/zone1970.tab", "DE,DK,NO\t+5230+01322\tEurope/Berlin\nAD\t+4230+00131\tEurope/Andorra\n");
  tree.write("usr/share/zoneinfo/UTC", "TZif");
  system_paths::ScopedOverride root(tree.root());
  const auto zones = os_actions::time::list_timezones();
  ASSERT_TRUE(zones.has_value()) << zones.error();
  EXPECT_EQ(*zones, (Zones{"Europe/Andorra", "Europe/Berlin", "Europe/Oslo", "UTC"}));

  std::filesystem::remove(tree.root() / "usr/share/zoneinfo/zone1970.tab");
  EXPECT_EQ(os_actions::time::list_timezones().value_or(Zones{}), (Zones{"Europe/Berlin", "Europe/Oslo", "UTC"}));
}

}  // namespace
