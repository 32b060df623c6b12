#include "sections/sections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace settings::settings_app {
namespace {

std::vector<std::string> matching_ids(std::string_view query) {
  std::vector<std::string> ids;
  for (SettingsSection s : SIDEBAR_ORDER) {
    if (s.matches(query)) ids.emplace_back(s.id());
  }
  return ids;
}

using Ids = std::vector<std::string>;

struct MatchCase {
  std::string query;
  Ids expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << "'" << c.query << "'"; }

class Matching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Matching, FindsExactlyTheseSectionsInSidebarOrder) {
  EXPECT_EQ(matching_ids(GetParam().query), GetParam().expected) << "query: '" << GetParam().query << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Queries, Matching,
    ::testing::Values(
        // upper case query against a description and a keyword
        MatchCase{"WI-FI", {"network", "devices_sync"}},
        // a query that contains a keyword
        MatchCase{"my wifi network", {"network"}},
        MatchCase{"Display", {"devices_sync", "displays", "time_date"}},
        // a keyword inside a longer word of the query does not count: "ai" in "email" and
        // "airplane", "os" in "close" and "compose", "mail" in "email"
        MatchCase{"email", {"external_accounts"}},
        MatchCase{"close", {}},
        MatchCase{"airplane", {}},
        MatchCase{"compose", {}},
        MatchCase{"set up dark mode", {"appearance"}},
        MatchCase{"wi-fi, please", {"network"}},
        // ids take no part
        MatchCase{"default-apps", {}},
        // ... though an id may hold keywords as words ('_' separates them)
        MatchCase{"devices_sync", {"devices_sync", "external_accounts"}},
        MatchCase{"keyboard", {"bluetooth", "mouse_keyboard", "keyboard_shortcuts", "accessibility"}},
        MatchCase{"x", {"network", "devices_sync", "displays", "appearance", "accessibility", "external_accounts",
                        "permissions"}},
        // surrounding white space, Unicode included, is dropped
        MatchCase{"  \tprinters\u00a0\u3000", {"printers"}},
        MatchCase{"zzz", {}},
        // ASCII lower-casing only: a capital non-ASCII letter stays capital and matches nothing here
        MatchCase{"\u00c9", {}}));

}  // namespace
}  // namespace settings::settings_app
