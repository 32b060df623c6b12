// The "Personal Settings" search: the catalog's section links, the provider's limits and resources,
// the search-state walk and the descendant query.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "actions/section_address.h"
#include "orvo_ui/widgets/column.h"
#include "settings_app/search_provider.h"
#include "settings_app/settings_app.h"
#include "sidebar/sidebar_view.h"

namespace settings::settings_app {
namespace {

using namespace orvo_ui;

std::vector<std::string> titles(const std::vector<SearchHit>& hits) {
  std::vector<std::string> out;
  for (const auto& h : hits) out.push_back(h.entry.title);
  return out;
}

TEST(SearchProvider, AnswersWithSectionLinks) {
  SettingsApp root(std::nullopt);
  auto providers = root.search_providers();
  ASSERT_EQ(providers.size(), 1u);
  const SearchProvider& provider = *providers[0];
  EXPECT_EQ(provider.name(), "Personal Settings");

  auto hits = provider.query("bluetooth");
  ASSERT_FALSE(hits.empty());
  const SearchEntry& first = hits[0].entry;
  EXPECT_EQ(first.title, "Bluetooth");
  EXPECT_EQ(first.provider, "Personal Settings");
  EXPECT_EQ(first.detail, std::string(SettingsSection(SettingsSection::Bluetooth).description()));
  EXPECT_EQ(first.icon, SettingsSection(SettingsSection::Bluetooth).icon());
  EXPECT_EQ(first.target.substr(0, 8), std::string("\x01" "action" "\x1f"));
  EXPECT_EQ(first.target.substr(8), actions::open_section_address(SettingsSection::Bluetooth).encode());

  // Keywords and descriptions find sections too, in sidebar order; a blank query finds nothing.
  EXPECT_EQ(titles(provider.query("WIFI")).front(), "Network");
  EXPECT_TRUE(provider.query("   ").empty());
  EXPECT_TRUE(provider.query("zzzz-nothing").empty());
}

TEST(SearchProvider, OpensTheSectionOfAnOpenAddressOnly) {
  SettingsApp root(std::nullopt);
  auto provider = root.search_providers()[0];
  auto hit = provider->query("printers").front();
  auto address = hit.entry.action_address();
  ASSERT_TRUE(address);
  auto resource = provider->open_resource(*address);
  ASSERT_TRUE(resource);
  EXPECT_EQ(resource->id, "settings.section:printers");
  EXPECT_EQ(resource->kind, "settings.section");
  EXPECT_EQ(resource->title, "Printers");
  ASSERT_NE(resource->find_action("open"), nullptr);
  EXPECT_EQ(provider->open_resource({"settings.section:printers", "close"}), std::nullopt);
  EXPECT_EQ(provider->open_resource({"settings.section:nowhere", "open"}), std::nullopt);
}

// Records what the provider asks its catalog for.
class RecordingProvider : public PersonalSettingsSearchProvider {
 public:
  using PersonalSettingsSearchProvider::PersonalSettingsSearchProvider;
  SearchPage query_page(std::string_view text, std::size_t offset, std::size_t page_size,
                        std::size_t limit) const override {
    asked.push_back({offset, page_size, limit});
    return PersonalSettingsSearchProvider::query_page(text, offset, page_size, limit);
  }
  mutable std::vector<std::array<std::size_t, 3>> asked;
};

TEST(SearchProvider, HonoursItsLimitAndTheCap) {
  SettingsApp root(std::nullopt);
  RecordingProvider provider(root.search_catalog());
  struct Case {
    std::size_t limit;
    std::size_t asked_limit;
  };
  for (Case c : {Case{1000, 256}, Case{10, 10}, Case{2, 2}, Case{0, 0}}) {
    provider.asked.clear();
    auto hits = provider.query_limited("e", c.limit);
    ASSERT_EQ(provider.asked.size(), 1u);
    EXPECT_EQ(provider.asked[0], (std::array<std::size_t, 3>{0, 256, c.asked_limit}));
    EXPECT_LE(hits.size(), c.asked_limit);
  }
  EXPECT_EQ(provider.query_limited("e", 2).size(), 2u);
  provider.asked.clear();
  provider.query("e");
  EXPECT_EQ(provider.asked[0][2], 256u);
}

TEST(SearchProvider, StatsAndCursorsFollowTheSharedCatalog) {
  SettingsApp root(std::nullopt);
  PersonalSettingsSearchProvider provider(root.search_catalog());
  EXPECT_EQ(provider.stats(), root.search_catalog().stats()[3]);
  auto page = provider.query_page("e", 0, 2, 256);
  ASSERT_TRUE(page.next);
  EXPECT_TRUE(provider.cursor_is_current(*page.next));
  SearchCatalog shared = root.search_catalog();
  shared.add(SearchEntry::link("Personal Settings", "Extra", {"r", "a"}), "extra");
  EXPECT_FALSE(provider.cursor_is_current(*page.next));
  EXPECT_EQ(titles(provider.query("extra")), (std::vector<std::string>{"Extra"}));
}

// A leaf with an id, a review and a pending text, for the walks.
class Probe final : public Widget {
 public:
  Probe(std::optional<std::string> id, std::optional<TextReview> review = std::nullopt)
      : id_(std::move(id)), review_(std::move(review)) {}
  std::string_view type_name() const override { return "Probe"; }
  std::string_view name() const override { return "Probe"; }
  std::optional<std::string> widget_id() const override { return id_; }
  std::optional<TextReview> text_review() const override { return review_; }
  std::optional<std::string> descendant_query() override {
    ++asked;
    return std::exchange(pending, std::nullopt);
  }
  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree&, LayoutContext&, NodeMap&) override { return 0; }
  void apply_layout(const LayoutTree&, NodeId, double, double) override {}
  void draw(Scene&, Affine, TextRenderer&, const Theme&, const PresenceContext&) override {}
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return rect; }

  Rect rect;
  std::optional<std::string> pending;
  int asked = 0;

 private:
  std::optional<std::string> id_;
  std::optional<TextReview> review_;
};

TEST(SearchState, ReportsTheLastFieldAndNullsForAMissingText) {
  std::optional<nlohmann::ordered_json> field;
  std::vector<std::string> ids;
  Column none;
  none.push(std::make_unique<Probe>("other"));
  collect_search_state(none, field, ids);
  EXPECT_EQ(field, std::nullopt);

  Column two;
  auto first = std::make_unique<Probe>("settings.search", TextReview{3, "abc"});
  auto second = std::make_unique<Probe>("settings.search");
  second->rect = Rect{1, 2, 3, 4};
  two.push(std::move(first));
  two.push(std::move(second));
  collect_search_state(two, field, ids);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->dump(), R"({"rect":[1.0,2.0,3.0,4.0],"focused":false,"caret_byte":null,"text":null})");

  Column one;
  one.push(std::make_unique<Probe>("settings.search", TextReview{3, "abc"}));
  collect_search_state(one, field, ids);
  EXPECT_EQ((*field)["caret_byte"], 3);
  EXPECT_EQ((*field)["text"], "abc");
}

TEST(SearchState, ListsTheSidebarsRowsInTreeOrder) {
  SelectionCell cell;
  struct Case {
    std::string_view query;
    std::vector<std::string> ids;
  };
  std::vector<std::string> all;
  for (SettingsSection s : SIDEBAR_ORDER) all.emplace_back(s.id());
  std::vector<std::string> dev;
  for (SettingsSection s : SIDEBAR_ORDER) {
    if (s.matches("dev")) dev.emplace_back(s.id());
  }
  ASSERT_GE(dev.size(), 3u);
  for (const Case& c : {Case{"", all}, Case{"dev", dev}, Case{"qqqq", {}}}) {
    auto view = sidebar::sidebar_view(SettingsSection::Network, c.query, cell);
    std::optional<nlohmann::ordered_json> field;
    std::vector<std::string> ids;
    collect_search_state(*view, field, ids);
    EXPECT_EQ(ids, c.ids) << c.query;
  }
}

TEST(DescendantQuery, OnlyTheFirstPendingTextIsTaken) {
  Column tree;
  Column first_branch;
  first_branch.push(std::make_unique<Probe>("a"));
  tree.push(std::move(first_branch));
  tree.push(std::make_unique<Probe>("b"));
  auto* a = dynamic_cast<Probe*>(dynamic_cast<Column*>(tree.child(0))->child(0));
  auto* b = dynamic_cast<Probe*>(tree.child(1));
  a->pending = "from a";
  b->pending = "from b";
  EXPECT_EQ(query_descendants(tree), "from a");
  EXPECT_EQ(b->asked, 0);
  EXPECT_EQ(b->pending, "from b");
  EXPECT_EQ(query_descendants(tree), "from b");
  EXPECT_EQ(query_descendants(tree), std::nullopt);

  SettingsApp root(std::nullopt);
  EXPECT_EQ(root.descendant_query(), std::nullopt);
}

}  // namespace
}  // namespace settings::settings_app
