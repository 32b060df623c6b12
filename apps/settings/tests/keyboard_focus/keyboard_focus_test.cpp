// The window from the keyboard: each key sequence, as script lines, and the focused widget,
// selected section, query and sidebar scroll position it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "orvo_ui/widgets/scrollable.h"
#include "root_support.h"
#include "settings_app/search_field.h"

namespace settings::settings_app {
namespace {

using testing::RootInALoop;

const orvo_ui::Scrollable* sidebar_scroll(const SettingsApp& root) {
  const orvo_ui::Scrollable* found = nullptr;
  std::function<void(const orvo_ui::Widget&)> walk = [&](const orvo_ui::Widget& w) {
    if (auto* s = dynamic_cast<const orvo_ui::Scrollable*>(&w); s && !found) found = s;
    w.for_each_child(walk);
  };
  if (root.shell() && root.shell()->nav()) walk(*root.shell()->nav());
  return found;
}

std::optional<std::string> focused_id(RootInALoop& ui) {
  const orvo_ui::Widget* w = ui.loop().focused();
  if (!w) return std::nullopt;
  return w->widget_id();
}

// A step is a script line, or "@row <section id>" / "@search" for a click on that row or field
// where it is at that moment.
void run_steps(RootInALoop& ui, const std::vector<std::string>& steps) {
  for (const std::string& step : steps) {
    if (step == "@search") {
      ui.run(ui.click_search_field());
    } else if (step.starts_with("@row ")) {
      std::optional<SettingsSection> section;
      for (SettingsSection s : SIDEBAR_ORDER) {
        if (s.id() == step.substr(5)) section = s;
      }
      ASSERT_TRUE(section) << step;
      ui.run(ui.click_row(*section));
    } else {
      ui.run(step);
    }
  }
}

enum class Scroll { Top, Scrolled, Any };

struct KeyCase {
  const char* name;
  std::vector<std::string> steps;
  std::optional<std::string> focused;
  std::string section;
  std::string query;
  Scroll scroll = Scroll::Any;
};

class KeyboardFocus : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyboardFocus, KeysLeaveFocusSectionQueryAndScroll) {
  const KeyCase& c = GetParam();
  RootInALoop ui;
  ui.frame();
  run_steps(ui, c.steps);
  EXPECT_EQ(focused_id(ui), c.focused);
  EXPECT_EQ(ui.root().section().id(), c.section);
  EXPECT_EQ(ui.root().search_text().snapshot(), c.query);
  EXPECT_EQ(ui.state()["search_widget_text"], c.query);
  const orvo_ui::Scrollable* scroll = sidebar_scroll(ui.root());
  ASSERT_NE(scroll, nullptr);
  if (c.scroll == Scroll::Top) {
    EXPECT_EQ(scroll->offset(), 0);
  } else if (c.scroll == Scroll::Scrolled) {
    EXPECT_GT(scroll->offset(), 0);
  }
  // Whatever has focus is on screen: inside the window and, for a row, inside the sidebar's view.
  if (const orvo_ui::Widget* w = ui.loop().focused()) {
    if (dynamic_cast<const sidebar::SidebarRow*>(w)) {
      EXPECT_GE(w->get_rect().y0, scroll->get_rect().y0) << *c.focused;
      EXPECT_LE(w->get_rect().y1, scroll->get_rect().y1) << *c.focused;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardFocus,
    ::testing::Values(
        KeyCase{"tab_after_the_search_field_is_the_first_row", {"key tab", "key tab"}, "Network", "network", ""},
        KeyCase{"down_skips_group_headings", {"key tab", "key tab", "key down", "key down"}, "Devices & Sync",
                "network", ""},
        KeyCase{"up_from_the_first_row_returns_to_the_field", {"key tab", "key tab", "key up"},
                std::string(kSearchFieldId), "network", ""},
        KeyCase{"end_goes_to_the_last_row", {"key tab", "key tab", "key end"}, "About", "network", "",
                Scroll::Scrolled},
        KeyCase{"home_goes_back_to_the_first", {"key tab", "key tab", "key end", "key home"}, "Network", "network",
                "", Scroll::Top},
        KeyCase{"page_down_moves_a_page", {"key tab", "key tab", "key pagedown"}, "Time & Date", "network", "",
                Scroll::Scrolled},
        KeyCase{"page_up_comes_back", {"key tab", "key tab", "key pagedown", "key pageup"}, "Network", "network", "",
                Scroll::Top},
        KeyCase{"enter_opens_and_focus_stays_on_the_row", {"key tab", "key tab", "key down", "key enter"},
                "Bluetooth", "bluetooth", ""},
        KeyCase{"tab_goes_on_from_the_opened_row", {"key tab", "key tab", "key down", "key enter", "key tab"},
                "Devices & Sync", "bluetooth", ""},
        KeyCase{"space_opens_too", {"key tab", "key tab", "key end", "key space"}, "About", "about", "",
                Scroll::Scrolled},
        KeyCase{"search_enter_opens_the_first_match", {"@search", "text blue", "key enter"},
                std::string(kSearchFieldId), "bluetooth", "blue"},
        KeyCase{"search_enter_without_a_query_opens_nothing", {"@search", "key enter"}, std::string(kSearchFieldId),
                "network", ""},
        KeyCase{"search_down_focuses_the_results", {"@search", "text sound", "key down"}, "Sound", "network",
                "sound"},
        KeyCase{"search_escape_clears_the_query", {"@search", "text zzz", "key escape"}, std::string(kSearchFieldId),
                "network", ""},
        KeyCase{"search_second_escape_leaves_the_field", {"@search", "text zzz", "key escape", "key escape"},
                "Network", "network", ""},
        KeyCase{"ctrl_f_from_a_row", {"key tab", "key tab", "key down", "key ctrl+f"}, std::string(kSearchFieldId),
                "network", ""},
        KeyCase{"clicked_row_keeps_the_sidebar_scrolled", {"scroll 100 400 300", "@row users"}, "Users", "users", "",
                Scroll::Scrolled},
        KeyCase{"typing_in_a_row_changes_nothing", {"key tab", "key tab", "text x"}, "Network", "network", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// In a window narrower than 720 one side shows at a time.
struct NarrowCase {
  const char* name;
  std::vector<std::string> steps;
  bool sidebar_open;
  std::optional<std::string> focused;
  // Only where focus may be: anywhere on the page (or nowhere), never in the hidden list.
  bool page_only = false;
};

// Whether the widget is the sidebar's search field or one of its rows (named by the section title).
bool in_sidebar(const std::optional<std::string>& id) {
  if (!id) return false;
  if (*id == kSearchFieldId) return true;
  return std::any_of(SIDEBAR_ORDER.begin(), SIDEBAR_ORDER.end(), [&](SettingsSection s) { return *id == s.title(); });
}

class NarrowKeys : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowKeys, BackKeysAndTabStayOnTheShownSide) {
  const NarrowCase& c = GetParam();
  RootInALoop ui(600, 800);
  ui.frame();
  run_steps(ui, {"@row sound"});
  ASSERT_FALSE(ui.state()["sidebar_open"].get<bool>());
  run_steps(ui, c.steps);
  EXPECT_EQ(ui.state()["sidebar_open"].get<bool>(), c.sidebar_open);
  if (c.page_only) {
    EXPECT_FALSE(in_sidebar(focused_id(ui))) << focused_id(ui).value_or("");
  } else {
    EXPECT_EQ(focused_id(ui), c.focused);
  }
  EXPECT_EQ(ui.root().section().id(), "sound");
}

INSTANTIATE_TEST_SUITE_P(Cases, NarrowKeys,
                         ::testing::Values(NarrowCase{"escape_goes_back_to_the_list", {"key escape"}, true, "Sound"},
                                           NarrowCase{"alt_left_goes_back_to_the_list", {"key alt+left"}, true, "Sound"},
                                           NarrowCase{"tab_never_enters_the_hidden_list",
                                                      std::vector<std::string>(30, "key tab"), false, std::nullopt, true},
                                           NarrowCase{"ctrl_f_brings_the_list_and_its_field", {"key ctrl+f"}, true,
                                                      std::string(kSearchFieldId)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SidebarHover, FollowsThePointerWhenTheSidebarScrollsUnderIt) {
  RootInALoop ui;
  ui.frame();
  const auto* network = ui.row(SettingsSection::Network);
  ASSERT_NE(network, nullptr);
  const auto at = network->get_rect().center();
  ui.run("move " + std::to_string(int(at.x)) + " " + std::to_string(int(at.y)));
  EXPECT_TRUE(ui.row(SettingsSection::Network)->hovered());
  ui.run("scroll " + std::to_string(int(at.x)) + " " + std::to_string(int(at.y)) + " 200");
  EXPECT_FALSE(ui.row(SettingsSection::Network)->hovered());
  int hovered = 0;
  for (SettingsSection s : SIDEBAR_ORDER) {
    const auto* row = ui.row(s);
    if (row && row->hovered()) {
      ++hovered;
      EXPECT_TRUE(row->get_rect().contains(at)) << s.id();
    }
  }
  EXPECT_EQ(hovered, 1);
}

TEST(SidebarHover, ARebuiltSidebarShowsTheRowUnderThePointerHovered) {
  RootInALoop ui;
  ui.frame();
  ui.run(ui.click_row(SettingsSection::Sound));
  ASSERT_EQ(ui.root().section(), SettingsSection::Sound);
  EXPECT_TRUE(ui.row(SettingsSection::Sound)->hovered()) << "the new row under the pointer";
}

}  // namespace
}  // namespace settings::settings_app
