#include "panes/time_date/zone_data.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "harness/pane_home.h"

namespace settings::panes::time_date {
namespace {

using testing::PaneHome;

struct TableCase {
  const char* label;
  const char* line;
  bool kept;
  std::int32_t latitude_e6 = 0;
  std::int32_t longitude_e6 = 0;
  const char* region = "";
  const char* place = "";
};

class ZoneTableLine : public ::testing::TestWithParam<TableCase> {};

TEST_P(ZoneTableLine, DecodesOrSkips) {
  const TableCase& c = GetParam();
  const std::vector<std::string> zones{"America/New_York", "America/Argentina/Buenos_Aires", "UTC", "Europe/Paris"};
  const auto entries = parse_zone_table(c.line, zones);
  if (!c.kept) {
    EXPECT_TRUE(entries.empty()) << c.label;
    return;
  }
  ASSERT_EQ(entries.size(), 1u) << c.label;
  EXPECT_EQ(entries[0].latitude_e6, c.latitude_e6) << c.label;
  EXPECT_EQ(entries[0].longitude_e6, c.longitude_e6) << c.label;
  EXPECT_EQ(entries[0].region, c.region) << c.label;
  EXPECT_EQ(entries[0].place, c.place) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoneTableLine,
    ::testing::Values(
        TableCase{"minutes", "US\t+4030-07400\tAmerica/New_York\tEastern", true, 40'500'000, -74'000'000, "America",
                  "New York"},
        TableCase{"seconds", "US\t+404251-0740023\tAmerica/New_York", true, 40'714'167, -74'006'389, "America",
                  "New York"},
        TableCase{"nested place", "AR\t-3436-05827\tAmerica/Argentina/Buenos_Aires", true, -34'600'000, -58'450'000,
                  "America", "Argentina · Buenos Aires"},
        TableCase{"latitude 91", "XX\t+9100-07400\tAmerica/New_York", false},
        TableCase{"minutes 60", "XX\t+4060-07400\tAmerica/New_York", false},
        TableCase{"seconds 60", "XX\t+404260-0740000\tAmerica/New_York", false},
        TableCase{"longitude over 180", "XX\t+4000-18001\tAmerica/New_York", false},
        TableCase{"90 and a minute", "XX\t+9001-07400\tAmerica/New_York", false},
        TableCase{"no sign", "XX\t4030-07400\tAmerica/New_York", false},
        TableCase{"short longitude", "XX\t+4030-0740\tAmerica/New_York", false},
        TableCase{"letters", "XX\t+4a30-07400\tAmerica/New_York", false},
        TableCase{"two fields", "XX\t+4030-07400", false},
        TableCase{"comment", "#US\t+4030-07400\tAmerica/New_York", false},
        TableCase{"name without slash", "XX\t+0000+00000\tUTC", false},
        TableCase{"zone not listed", "FR\t+4852+00220\tEurope/Berlin", false}),
    [](const ::testing::TestParamInfo<TableCase>& info) {
      std::string name = info.param.label;
      for (char& c : name) {
        if (c == ' ') c = '_';
      }
      return name;
    });

TEST(ZoneTable, FirstLineForANameWinsAndOrderIsWestToEastThenNorthFirst) {
  const std::string table =
      "# comment\n"
      "\n"
      "FR\t+4852+00220\tEurope/Paris\n"
      "FR\t+0000+00000\tEurope/Paris\n"
      "XX\t+1000+00220\tAfrica/Zed\n"
      "XX\t+1000+00220\tAfrica/Abc\n"
      "US\t+4030-07400\tAmerica/New_York\n";
  const auto entries =
      parse_zone_table(table, {"Europe/Paris", "Africa/Zed", "Africa/Abc", "America/New_York"});
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"America/New_York", "Europe/Paris", "Africa/Abc", "Africa/Zed"}));
  EXPECT_EQ(entries[1].latitude_e6, 48'866'667);
}

TEST(ZoneTable, ReadsZone1970FirstThenZoneTabAndNothingWhenNeitherIsReadable) {
  PaneHome home;
  const std::vector<std::string> zones{"Europe/Paris", "Asia/Tokyo"};
  EXPECT_TRUE(read_zone_table(zones).empty());
  home.write("usr/share/zoneinfo/zone.tab", "JP\t+353916+1394441\tAsia/Tokyo\n");
  ASSERT_EQ(read_zone_table(zones).size(), 1u);
  EXPECT_EQ(read_zone_table(zones)[0].name, "Asia/Tokyo");
  home.write("usr/share/zoneinfo/zone1970.tab", "FR\t+4852+00220\tEurope/Paris\n");
  ASSERT_EQ(read_zone_table(zones).size(), 1u);
  EXPECT_EQ(read_zone_table(zones)[0].name, "Europe/Paris");
  // Not UTF-8: the next candidate is used.
  home.write("usr/share/zoneinfo/zone1970.tab", "FR\t+4852+00220\tEurope/Paris\xff\n");
  ASSERT_EQ(read_zone_table(zones).size(), 1u);
  EXPECT_EQ(read_zone_table(zones)[0].name, "Asia/Tokyo");
}

TEST(ZoneTable, ThisMachinesTzdataPlacesNewYork) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/zone1970.tab")) GTEST_SKIP() << "no tzdata installed";
  const auto entries = read_zone_table({"America/New_York"});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].latitude_e6, 40'714'167);
  EXPECT_EQ(entries[0].longitude_e6, -74'006'389);
}

TEST(CurrentZone, TakesTheFirstSourceThatNamesOne) {
  PaneHome home;
  EXPECT_EQ(current_zone(std::nullopt), "Europe/Amsterdam");
  std::filesystem::create_directories(home.root() / "etc");
  std::filesystem::create_symlink("../usr/share/zoneinfo/Europe/Paris", home.root() / "etc/localtime");
  EXPECT_EQ(current_zone(std::nullopt), "Europe/Paris");
  home.write("etc/timezone", "  \n");
  EXPECT_EQ(current_zone(std::nullopt), "Europe/Paris");
  home.write("etc/timezone", "Asia/Tokyo\n");
  EXPECT_EQ(current_zone(std::nullopt), "Asia/Tokyo");
  EXPECT_EQ(current_zone(std::string("America/Lima")), "America/Lima");
  EXPECT_EQ(current_zone(std::string()), "Asia/Tokyo");
}

TEST(CurrentZone, ALinkOutsideTheZoneDatabaseIsNoSource) {
  PaneHome home;
  std::filesystem::create_directories(home.root() / "etc");
  std::filesystem::create_symlink("/somewhere/else", home.root() / "etc/localtime");
  EXPECT_EQ(current_zone(std::nullopt), "Europe/Amsterdam");
}

TEST(ZoneList, AMissingCurrentZoneIsAppendedAndTheListSorted) {
  EXPECT_EQ(zone_list({"Europe/Paris", "Africa/Abidjan"}, "Europe/Paris"),
            (std::vector<std::string>{"Europe/Paris", "Africa/Abidjan"}));
  EXPECT_EQ(zone_list({"Europe/Paris", "Africa/Abidjan"}, "Asia/Tokyo"),
            (std::vector<std::string>{"Africa/Abidjan", "Asia/Tokyo", "Europe/Paris"}));
  EXPECT_EQ(zone_list({}, "Europe/Amsterdam"), (std::vector<std::string>{"Europe/Amsterdam"}));
}

}  // namespace
}  // namespace settings::panes::time_date
