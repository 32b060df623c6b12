#include "sections/sections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace settings::settings_app {
namespace {

using Ids = std::vector<std::string>;

std::vector<std::string> matching_ids(std::string_view query) {
  std::vector<std::string> ids;
  for (SettingsSection s : SIDEBAR_ORDER) {
    if (s.matches(query)) ids.emplace_back(s.id());
  }
  return ids;
}

TEST(Matching, EmptyAndWhiteSpaceQueriesMatchEverySection) {
  for (std::string_view query : {"", "   ", "\t\n", "\u2003\u00a0"}) {
    EXPECT_EQ(matching_ids(query).size(), SettingsSection::kCount) << "query: '" << query << "'";
  }
}

TEST(Sections, IndicesIdsAndTitlesFollowTheTable) {
  EXPECT_EQ(SettingsSection(SettingsSection::Network).id(), "network");
  EXPECT_EQ(SettingsSection(SettingsSection::DefaultApps).id(), "default-apps");
  EXPECT_EQ(SettingsSection(SettingsSection::DefaultApps).title(), "Apps & Files");
  EXPECT_EQ(SettingsSection(SettingsSection::Permissions).title(), "Device Privacy & Security");
  EXPECT_EQ(SettingsSection(SettingsSection::About).index(), 21);
  EXPECT_EQ(SettingsSection(SettingsSection::TimeDate).description(), "Clock, time zone, and how dates display");
  EXPECT_EQ(SettingsSection(SettingsSection::DevicesSync).icon(), SettingsSection(SettingsSection::ExternalAccounts).icon());
  EXPECT_EQ(SettingsSection(SettingsSection::Appearance).icon(), orvo_ui::Icon(66));
  EXPECT_EQ(SettingsSection::from_index(22), std::nullopt);
  EXPECT_EQ(SettingsSection::from_index(9), SettingsSection(SettingsSection::Printers));

  std::set<std::string_view> ids;
  for (std::uint8_t i = 0; i < SettingsSection::kCount; ++i) {
    SettingsSection s = *SettingsSection::from_index(i);
    ids.insert(s.id());
    EXPECT_FALSE(s.title().empty());
    EXPECT_FALSE(s.keywords().empty());
    EXPECT_TRUE(s.icon().name().has_value()) << s.id() << " has an icon of the toolkit's set";
    for (std::string_view k : s.keywords()) {
      EXPECT_TRUE(std::none_of(k.begin(), k.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) << k;
    }
  }
  EXPECT_EQ(ids.size(), SettingsSection::kCount);
}

TEST(SidebarOrder, HoldsEverySectionOnceGroupByGroup) {
  std::set<std::uint8_t> seen;
  for (SettingsSection s : SIDEBAR_ORDER) seen.insert(s.index());
  EXPECT_EQ(seen.size(), SettingsSection::kCount);

  std::vector<std::vector<std::string>> groups(kSidebarGroups.size());
  SidebarGroup last = SidebarGroup::Connectivity;
  for (SettingsSection s : SIDEBAR_ORDER) {
    EXPECT_GE(s.group(), last) << s.id() << ": groups are contiguous and in display order";
    last = s.group();
    groups[static_cast<std::size_t>(s.group())].emplace_back(s.id());
  }
  EXPECT_EQ(groups[0], (Ids{"network", "bluetooth"}));
  EXPECT_EQ(groups[1],
            (Ids{"devices_sync", "sound", "displays", "mouse_keyboard", "keyboard_shortcuts", "printers"}));
  EXPECT_EQ(groups[2], (Ids{"appearance", "accessibility", "notifications", "default-apps", "storage", "power",
                            "time_date", "users", "region_formats"}));
  EXPECT_EQ(groups[3], (Ids{"external_accounts", "agent_models", "permissions"}));
  EXPECT_EQ(groups[4], (Ids{"updates", "about"}));
  EXPECT_EQ(title(SidebarGroup::AccountsAndPermissions), "Accounts & Permissions");
}

TEST(Trim, DropsUnicodeWhiteSpaceAndKeepsInvalidBytes) {
  EXPECT_EQ(trim_unicode_whitespace(" \u2028a b\u205f "), "a b");
  EXPECT_EQ(trim_unicode_whitespace("\u200b"), "\u200b") << "zero width space is not white space";
  EXPECT_EQ(trim_unicode_whitespace(" \xff "), "\xff");
  EXPECT_EQ(trim_unicode_whitespace("\xe3\x80"), "\xe3\x80") << "a cut sequence is kept";
}

}  // namespace
}  // namespace settings::settings_app
