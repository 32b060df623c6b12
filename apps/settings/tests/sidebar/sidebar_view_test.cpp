#include "sidebar/sidebar_view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/render.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"
#include "../support/picture.h"

namespace settings::sidebar {
namespace {

using namespace orvo_ui;
using settings_app::SettingsSection;
using settings_app::SIDEBAR_ORDER;

struct Group {
  const Text* heading = nullptr;
  const Column* holder = nullptr;
  const Column* rows = nullptr;
  const Column* group = nullptr;
};

// The outer column under the container and the scroll view.
const Column& outer_column(const Widget& view) {
  const auto& container = dynamic_cast<const Container&>(view);
  EXPECT_TRUE(container.fill());
  EXPECT_TRUE(container.centered());
  EXPECT_EQ(container.width(), std::nullopt);
  EXPECT_EQ(container.max_width(), std::nullopt);
  const auto& scroll = dynamic_cast<const Scrollable&>(*container.child());
  return dynamic_cast<const Column&>(*scroll.child());
}

std::vector<Group> groups_of(const Widget& view) {
  std::vector<Group> groups;
  const Column& outer = outer_column(view);
  for (std::size_t i = 0; i < outer.child_count(); ++i) {
    Group g;
    g.group = &dynamic_cast<const Column&>(*outer.child(i));
    EXPECT_EQ(g.group->child_count(), 2u);
    g.holder = &dynamic_cast<const Column&>(*g.group->child(0));
    g.heading = &dynamic_cast<const Text&>(*g.holder->child(0));
    g.rows = &dynamic_cast<const Column&>(*g.group->child(1));
    groups.push_back(g);
  }
  return groups;
}

std::vector<std::string> headings(const Widget& view) {
  std::vector<std::string> out;
  for (const Group& g : groups_of(view)) out.push_back(g.heading->text());
  return out;
}

std::vector<const SidebarRow*> rows_of(const Group& g) {
  std::vector<const SidebarRow*> out;
  for (std::size_t i = 0; i < g.rows->child_count(); ++i) {
    if (auto* row = dynamic_cast<const SidebarRow*>(g.rows->child(i))) out.push_back(row);
  }
  return out;
}

TEST(SidebarView, EmptyOrBlankQueriesGiveTheFiveGroups) {
  SidebarSelectionCell cell;
  for (std::string_view query : {"", "   ", " \t\u3000"}) {
    auto view = sidebar_view(SettingsSection::Power, query, cell);
    EXPECT_EQ(headings(*view), (std::vector<std::string>{"CONNECTIVITY", "DEVICES", "SYSTEM",
                                                         "ACCOUNTS & PERMISSIONS", "MAINTENANCE"}));
    std::vector<std::size_t> counts;
    std::vector<SettingsSection> order;
    int selected = 0;
    for (const Group& g : groups_of(*view)) {
      counts.push_back(g.rows->child_count());
      for (const SidebarRow* row : rows_of(g)) {
        order.push_back(row->section());
        selected += row->selected();
        EXPECT_EQ(row->selected(), row->section() == SettingsSection::Power);
        EXPECT_TRUE(row->selection().shares_with(cell));
      }
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 6, 9, 3, 2}));
    EXPECT_EQ(order, std::vector<SettingsSection>(SIDEBAR_ORDER.begin(), SIDEBAR_ORDER.end()));
    EXPECT_EQ(selected, 1);
  }
}

TEST(SidebarView, ColumnsCarryTheirGapsAndTheHeadingItsStyle) {
  SidebarSelectionCell cell;
  auto view = sidebar_view(SettingsSection::Network, "", cell);
  const Column& outer = outer_column(*view);
  EXPECT_EQ(outer.gap(), 24);
  EXPECT_EQ(outer.padding(), Edges::all(4));
  EXPECT_EQ(outer.cross_gap(), 8);
  const Group g = groups_of(*view).front();
  EXPECT_EQ(g.group->gap(), 8);
  EXPECT_EQ(g.rows->gap(), 4);
  EXPECT_EQ(g.holder->padding(), Edges::symmetric(20, 0));
  EXPECT_EQ(g.heading->size(), 12);
  EXPECT_EQ(g.heading->tone(), TextTone::Secondary);
  EXPECT_FALSE(g.heading->wraps());
}

TEST(SidebarView, AQueryGivesOneResultsGroupInSidebarOrder) {
  SidebarSelectionCell cell;
  for (std::string_view query : {"  display ", "s", "e", "keyboard", "a"}) {
    auto view = sidebar_view(SettingsSection::Displays, query, cell);
    ASSERT_EQ(headings(*view), (std::vector<std::string>{"RESULTS"})) << query;
    std::vector<SettingsSection> expected;
    for (SettingsSection s : SIDEBAR_ORDER) {
      if (s.matches(query)) expected.push_back(s);
    }
    std::vector<SettingsSection> shown;
    for (const SidebarRow* row : rows_of(groups_of(*view)[0])) shown.push_back(row->section());
    EXPECT_EQ(shown, expected) << query;
  }

  auto view = sidebar_view(SettingsSection::Displays, "display", cell);
  auto rows = rows_of(groups_of(*view)[0]);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[1]->selected()) << "the selected section is marked among the results";

  auto elsewhere = sidebar_view(SettingsSection::About, "display", cell);
  for (const SidebarRow* row : rows_of(groups_of(*elsewhere)[0])) EXPECT_FALSE(row->selected());
}

TEST(SidebarView, AQueryMatchingNothingQuotesTheTrimmedQuery) {
  SidebarSelectionCell cell;
  auto view = sidebar_view(SettingsSection::Network, "  zzz ", cell);
  auto groups = groups_of(*view);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].heading->text(), "RESULTS");
  ASSERT_EQ(groups[0].rows->child_count(), 1u);
  // The caption sits at the heading's indent.
  const auto& holder = dynamic_cast<const Column&>(*groups[0].rows->child(0));
  EXPECT_EQ(holder.padding().left, kHeadingIndent);
  ASSERT_EQ(holder.child_count(), 1u);
  const auto& caption = dynamic_cast<const Text&>(*holder.child(0));
  EXPECT_EQ(caption.text(), "No settings match \u201czzz\u201d");
  EXPECT_EQ(caption.size(), 12);
  EXPECT_EQ(caption.tone(), TextTone::Secondary);
  EXPECT_FALSE(caption.wraps());
}

TEST(SidebarView, GroupTitlesUseFullUnicodeUpperCasing) {
  auto group = group_section("Stra\u00dfe \u00e9t\u00e9", {});
  const auto& column = dynamic_cast<const Column&>(*group);
  const auto& holder = dynamic_cast<const Column&>(*column.child(0));
  EXPECT_EQ(dynamic_cast<const Text&>(*holder.child(0)).text(), "STRASSE \u00c9T\u00c9");
  EXPECT_EQ(dynamic_cast<const Column&>(*column.child(1)).child_count(), 0u);
}

// Lays the view out in a window of the given size and draws it.
struct Rendered {
  std::unique_ptr<Widget> view;
  Scene scene;
};

// `before_drawing` may change row states once the rows have their rectangles.
Rendered lay_out_and_draw(std::unique_ptr<Widget> view, TextRenderer& text, int width, int height,
                          const std::function<void(Widget&)>& before_drawing = {}) {
  settings::testing::lay_out(*view, text, width, height);
  if (before_drawing) before_drawing(*view);
  Rendered out{std::move(view), {}};
  out.view->draw_with_presence(out.scene, Affine::identity(), text, Theme::dark(),
                               PresenceContext{Rect{0, 0, double(width), double(height)}});
  return out;
}

void write_png(const Scene& scene, TextRenderer& text, int width, int height, const std::string& name) {
  Frame frame(width, height);
  render_into(scene, text, frame.pixels(), width, height, frame.stride(), 1.0, Theme::dark().background);
  ASSERT_TRUE(frame.write_png(name).has_value());
  std::cout << "sidebar picture: " << std::filesystem::absolute(name).string() << "\n";
}

TEST(SidebarView, LaysOutHeadingsInLineWithTheRowIconsAndWritesPictures) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fonts);
  const int width = 260;
  const int height = 1240;
  // Sound selected, the pointer over Bluetooth, keyboard focus on Displays.
  auto grouped = lay_out_and_draw(sidebar_view(SettingsSection::Sound, "", cell), text, width, height, [](Widget& view) {
    EventContext context;
    view.handle_event(event::PointerMoved{{100, 90}}, context);
    for (const Group& g : groups_of(view)) {
      for (const SidebarRow* row : rows_of(g)) {
        if (row->section() == SettingsSection::Displays) const_cast<SidebarRow*>(row)->set_focus(true);
      }
    }
  });
  EXPECT_TRUE(rows_of(groups_of(*grouped.view)[0])[1]->hovered());
  double last_bottom = 0;
  for (const Group& g : groups_of(*grouped.view)) {
    const Rect heading = g.heading->get_rect();
    EXPECT_EQ(heading.x0, 4 + 20);
    EXPECT_GE(heading.y0, last_bottom);
    for (const SidebarRow* row : rows_of(g)) {
      const Rect r = row->get_rect();
      EXPECT_EQ(r.x0 + SidebarRow::kPillInsetX + SidebarRow::kPadding, heading.x0) << row->section().id();
      EXPECT_EQ(r.x1, width - 4);
      EXPECT_GE(r.height(), 40);
      EXPECT_GE(r.y0, last_bottom) << row->section().id() << " overlaps what is above it";
      last_bottom = r.y1;
    }
  }
  EXPECT_LE(last_bottom, height) << "every row fits the picture";
  write_png(grouped.scene, text, width, height, "sidebar_grouped.png");

  auto filtered = lay_out_and_draw(sidebar_view(SettingsSection::Displays, "display", cell), text, width, 260);
  write_png(filtered.scene, text, width, 260, "sidebar_query_display.png");
  auto none = lay_out_and_draw(sidebar_view(SettingsSection::Displays, " zzz ", cell), text, width, 120);
  write_png(none.scene, text, width, 120, "sidebar_query_none.png");
}

TEST(SidebarView, ALongUnmatchedQueryStaysOneLineAtTheResultsIndent) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  const int width = 264;
  auto none = lay_out_and_draw(sidebar_view(SettingsSection::Network, std::string(120, 'q'), cell), text, width, 300);
  auto groups = groups_of(*none.view);
  ASSERT_EQ(groups.size(), 1u);
  const auto& holder = dynamic_cast<const Column&>(*groups[0].rows->child(0));
  const Rect caption = holder.child(0)->get_rect();
  EXPECT_EQ(caption.x0, groups[0].heading->get_rect().x0);
  EXPECT_EQ(caption.x0, kSidebarPadding + kHeadingIndent);
  EXPECT_LE(caption.x1, width - kSidebarPadding - kHeadingIndent);
  EXPECT_LE(caption.height(), 12 * 1.25 + 0.5) << "one line";
}

TEST(SidebarView, AClickOnARowInsideTheScrollViewPublishesItsSection) {
  SidebarSelectionCell cell;
  auto view = sidebar_view(SettingsSection::Network, "print", cell);
  OffscreenBackend backend(260, 300);
  App app;
  FrameLoop loop(backend, *view, app, TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());
  const SidebarRow* printers = rows_of(groups_of(*view)[0]).at(0);
  ASSERT_EQ(printers->section(), SettingsSection::Printers);
  const Point inside = printers->get_rect().center();
  backend.push(event::PointerButton{MouseButton::Primary, true, inside});
  backend.push(event::PointerButton{MouseButton::Primary, false, inside});
  loop.frame(backend.take_events());
  EXPECT_EQ(cell.snapshot(), SettingsSection(SettingsSection::Printers));
  EXPECT_TRUE(printers->has_focus());
}

}  // namespace
}  // namespace settings::sidebar
