#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "sidebar/lookups.h"
#include "sidebar/row_lists.h"
#include "sidebar/text_forms.h"

namespace settings::sidebar {
namespace {

using settings_app::SettingsSection;
using settings_app::SIDEBAR_ORDER;
using settings_app::SidebarGroup;

std::vector<std::string_view> row_ids(const WidgetList& rows) {
  std::vector<std::string_view> ids;
  for (const auto& w : rows) ids.push_back(dynamic_cast<const SidebarRow&>(*w).section().id());
  return ids;
}

TEST(RowLists, GroupAndSearchRowsKeepListOrderAndShareTheCell) {
  SidebarSelectionCell cell;
  auto maintenance = group_rows(SIDEBAR_ORDER, SidebarGroup::Maintenance, std::nullopt, cell);
  EXPECT_EQ(row_ids(maintenance), (std::vector<std::string_view>{"updates", "about"}));
  auto accounts = group_rows(SIDEBAR_ORDER, SidebarGroup::AccountsAndPermissions, SettingsSection::AgentModels, cell);
  EXPECT_EQ(row_ids(accounts), (std::vector<std::string_view>{"external_accounts", "agent_models", "permissions"}));

  for (const auto& w : maintenance) EXPECT_FALSE(dynamic_cast<const SidebarRow&>(*w).selected());
  for (const auto& w : accounts) {
    const auto& row = dynamic_cast<const SidebarRow&>(*w);
    EXPECT_EQ(row.selected(), row.section() == SettingsSection::AgentModels);
    EXPECT_TRUE(row.selection().shares_with(cell));
    EXPECT_EQ(row.text_size(), 14.0f);
    EXPECT_EQ(row.get_rect(), orvo_ui::Rect{});
  }

  auto results = search_rows(SIDEBAR_ORDER, "  power ", std::nullopt, cell);
  EXPECT_EQ(row_ids(results), (std::vector<std::string_view>{"power"}));
  // Results follow the list's order, not the index order: printers (index 9) before appearance (11)
  // and after keyboard_shortcuts, power (10) before time_date (7).
  auto all = search_rows(SIDEBAR_ORDER, "", std::nullopt, cell);
  EXPECT_EQ(row_ids(all).size(), 22u);
  EXPECT_EQ(row_ids(all)[7], "printers");
  EXPECT_EQ(row_ids(all)[13], "power");
  EXPECT_EQ(row_ids(all)[14], "time_date");
}

TEST(Lookups, SectionsByIdAndResourceId) {
  EXPECT_EQ(section_for_id(SIDEBAR_ORDER, "default-apps"), SettingsSection(SettingsSection::DefaultApps));
  EXPECT_EQ(section_for_id(SIDEBAR_ORDER, "apps"), std::nullopt);
  EXPECT_EQ(section_for_id(SIDEBAR_ORDER, "Network"), std::nullopt) << "titles are not ids";
  EXPECT_EQ(section_for_id({}, "network"), std::nullopt);
  EXPECT_EQ(section_for_resource_id(SIDEBAR_ORDER, "settings.section:about"), SettingsSection(SettingsSection::About));
  EXPECT_EQ(section_for_resource_id(SIDEBAR_ORDER, "about"), std::nullopt);
  EXPECT_EQ(section_for_resource_id(SIDEBAR_ORDER, "settings.section:about "), std::nullopt);
}

TEST(Lookups, FindByKeyTakesTheFirstOfEqualKeys) {
  std::vector<KeyboardLayoutEntry> layouts{{"us", "English (US)"}, {"de", "German"}, {"de-neo", "German"}};
  EXPECT_EQ(find_layout_by_label(layouts, "German"), (KeyboardLayoutEntry{"de", "German"}));
  EXPECT_EQ(find_layout_by_label(layouts, "german"), std::nullopt) << "compared byte for byte";
  EXPECT_EQ(find_layout_by_label({}, "German"), std::nullopt);

  struct Queue {
    std::string name;
    int jobs;
  };
  auto queue = find_by_key(std::vector<Queue>{{"office", 1}, {"lab", 2}, {"lab", 3}}, "lab",
                           [](const Queue& q) -> const std::string& { return q.name; });
  ASSERT_TRUE(queue);
  EXPECT_EQ(queue->jobs, 2);
}

TEST(Orderings, SecondTextThenFirstByteForByte) {
  using Entry = std::pair<std::string, std::string>;
  std::vector<Entry> entries{{"b", "beta"}, {"z", "Alpha"}, {"a", "beta"}, {"c", "alpha"}};
  std::sort(entries.begin(), entries.end(), entry_sorts_before);
  EXPECT_EQ(entries, (std::vector<Entry>{{"z", "Alpha"}, {"c", "alpha"}, {"a", "beta"}, {"b", "beta"}}));
  EXPECT_FALSE(entry_sorts_before({"a", "x"}, {"a", "x"}));
  // Bytes above 0x7f sort after ASCII.
  EXPECT_TRUE(entry_sorts_before({"", "z"}, {"", "\u00e9"}));
}

TEST(Orderings, StreamIdSetCollapsesDuplicates) {
  struct Stream {
    std::uint32_t id;
  };
  std::array<Stream, 3> playback{{{4}, {7}, {4}}};
  std::array<Stream, 2> recording{{{7}, {9}}};
  EXPECT_EQ(stream_id_set<Stream>(playback, recording), (std::unordered_set<std::uint32_t>{4, 7, 9}));
  EXPECT_TRUE(stream_id_set<Stream>({}, {}).empty());
}

TEST(TextForms, SupplyLevelsAndHexPairs) {
  EXPECT_EQ(supply_level_label("Black", 42), "Black 42%");
  EXPECT_EQ(supply_level_label("Black", 180), "Black 180%");
  EXPECT_EQ(supply_level_label("Black", 0), "Black 0%");
  EXPECT_EQ(supply_level_label("Black", std::nullopt), "Black \u2014 level not reported");

  const std::array<std::uint8_t, 4> bytes{0x00, 0x0a, 0xbc, 0xff};
  EXPECT_EQ(hex_pairs(bytes), (std::vector<std::string>{"00", "0A", "BC", "FF"}));
  EXPECT_TRUE(hex_pairs({}).empty());

  orvo_doc::ChangeHash a;
  a.bytes[0] = 0xab;
  orvo_doc::ChangeHash b;
  b.bytes[31] = 0x01;
  auto texts = heads_to_text({a, b});
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], a.to_hex());
  EXPECT_EQ(texts[1], b.to_hex());
  EXPECT_TRUE(texts[0].starts_with("ab00"));
}

struct PathCase {
  std::string text;
  std::expected<std::vector<std::uint64_t>, IndexPathError> expected;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class IndexPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(IndexPath, ParsesOrNamesTheFirstBadPiece) {
  auto parsed = parse_index_path(GetParam().text);
  EXPECT_EQ(parsed.has_value(), GetParam().expected.has_value()) << GetParam().text;
  if (parsed && GetParam().expected) {
    EXPECT_EQ(*parsed, *GetParam().expected) << GetParam().text;
  } else if (!parsed && !GetParam().expected) {
    EXPECT_EQ(parsed.error(), GetParam().expected.error()) << GetParam().text;
  }
}

using E = IndexParseError;
using Path = std::vector<std::uint64_t>;
INSTANTIATE_TEST_SUITE_P(
    Texts, IndexPath,
    ::testing::Values(PathCase{"0/3/12", Path{0, 3, 12}}, PathCase{"+4", Path{4}}, PathCase{"007", Path{7}},
                      PathCase{"18446744073709551615", Path{18446744073709551615ull}},
                      PathCase{"1//2", std::unexpected(IndexPathError{E::Empty, ""})},
                      PathCase{"", std::unexpected(IndexPathError{E::Empty, ""})},
                      PathCase{"3/", std::unexpected(IndexPathError{E::Empty, ""})},
                      PathCase{"4a", std::unexpected(IndexPathError{E::InvalidDigit, "4a"})},
                      PathCase{"1/-2", std::unexpected(IndexPathError{E::InvalidDigit, "-2"})},
                      PathCase{"+", std::unexpected(IndexPathError{E::InvalidDigit, "+"})},
                      PathCase{" 1", std::unexpected(IndexPathError{E::InvalidDigit, " 1"})},
                      PathCase{"18446744073709551616/x", std::unexpected(IndexPathError{E::Overflow,
                                                                                       "18446744073709551616"})}));

TEST(IndexPath, ErrorsReadAsTheNumberParserSaysThem) {
  EXPECT_EQ(to_string(E::Empty), "cannot parse integer from empty string");
  EXPECT_EQ(to_string(E::InvalidDigit), "invalid digit found in string");
  EXPECT_EQ(to_string(E::Overflow), "number too large to fit in target type");
}

}  // namespace
}  // namespace settings::sidebar
