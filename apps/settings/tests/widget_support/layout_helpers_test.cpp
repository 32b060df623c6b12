#include "widget_support/layout_helpers.h"

#include <gtest/gtest.h>

#include "orvo_ui/widgets/icon_widget.h"

namespace settings::widget_support {
namespace {

using namespace orvo_ui;

// Lays a widget out at the top of a column with fixed text metrics (characters half the text
// size wide, lines 1.25 times the size high).
struct Page {
  Column column;
  LayoutTree tree;
  NodeMap nodes;
  TextRenderer text{TextRenderer::Metrics::Fixed};

  explicit Page(std::unique_ptr<Widget> widget, float width = 500) {
    column.push(std::move(widget));
    LayoutContext context{1, 14, &text, Size{width, 400}};
    NodeId root = column.build_layout(tree, context, nodes);
    tree.compute(root, {width, 400}, text);
    column.apply_layout(tree, root, 0, 0);
  }
  Widget& top() { return *column.child(0); }
};

const Text& as_text(const Widget* w) { return *dynamic_cast<const Text*>(w); }
const FlexBox& as_box(const Widget* w) { return *dynamic_cast<const FlexBox*>(w); }

std::unique_ptr<Widget> control(float width, float height = 20) {
  return std::make_unique<Container>(Container().with_width(width).with_height(height));
}

void expect_text(const Widget* w, std::string_view content, float size, TextTone tone, bool wrap) {
  const Text& t = as_text(w);
  EXPECT_EQ(t.text(), content);
  EXPECT_EQ(t.size(), size) << content;
  EXPECT_EQ(t.tone(), tone) << content;
  EXPECT_EQ(t.wraps(), wrap) << content;
}

TEST(LayoutHelpers, SettingRowPutsTheControlAtTheRightEdgeAtItsOwnWidth) {
  Page page(setting_row("Wi-Fi", control(44)));
  const auto& row = as_box(&page.top());
  ASSERT_EQ(row.child_count(), 3u);
  EXPECT_EQ(row.name(), "Row");
  EXPECT_EQ(row.gap(), std::nullopt);
  expect_text(row.child(0), "Wi-Fi", 13, TextTone::Default, true);
  EXPECT_EQ(dynamic_cast<const Spacer*>(row.child(1))->kind(), spacer_kind::kFlexible);
  EXPECT_EQ(row.child(2)->get_rect(), (Rect{456, 0, 500, 20}));
}

TEST(LayoutHelpers, FixedSettingRowGivesTheControlASlotOfExactly220) {
  for (float own_width : {40.0f, 220.0f, 300.0f}) {
    Page page(setting_row_fixed("Time zone", control(own_width)));
    const auto& row = as_box(&page.top());
    ASSERT_EQ(row.child_count(), 3u);
    EXPECT_EQ(row.gap(), 4);
    const auto& slot = *dynamic_cast<const Container*>(row.child(2));
    EXPECT_EQ(slot.width(), 220);
    EXPECT_TRUE(slot.centered());
    EXPECT_EQ(slot.get_rect(), (Rect{280, 0, 500, 20})) << own_width;
  }
}

TEST(LayoutHelpers, ValueRowKeepsThreeChildrenEvenWithAnEmptyValue) {
  auto row = value_row("Kernel", "");
  ASSERT_EQ(row->child_count(), 3u);
  expect_text(row->child(0), "Kernel", 13, TextTone::Default, true);
  expect_text(row->child(2), "", 13, TextTone::Default, false);
  auto filled = value_row("Kernel", "6.8.1");
  expect_text(filled->child(2), "6.8.1", 13, TextTone::Default, false);
}

TEST(LayoutHelpers, StackedAndDescribedRows) {
  auto stacked = stacked_setting_row("Format", control(100));
  ASSERT_EQ(stacked->child_count(), 2u);
  EXPECT_EQ(stacked->gap(), 4);
  expect_text(stacked->child(0), "Format", 13, TextTone::Default, true);

  auto described = described_setting_row("Night light", "Warmer colours after sunset", control(44));
  ASSERT_EQ(described->child_count(), 2u);
  EXPECT_EQ(described->gap(), 4);
  const auto& row = as_box(described->child(0));
  EXPECT_EQ(row.name(), "Row");
  EXPECT_EQ(row.gap(), std::nullopt);
  ASSERT_EQ(row.child_count(), 3u);
  EXPECT_EQ(row.child(2)->name(), "Container");
  expect_text(described->child(1), "Warmer colours after sunset", 12, TextTone::Secondary, true);

  auto fixed = described_setting_row_fixed("Night light", "help", control(44));
  const auto& slot = *dynamic_cast<const Container*>(as_box(fixed->child(0)).child(2));
  EXPECT_EQ(slot.width(), 220);
}

TEST(LayoutHelpers, TextRoles) {
  expect_text(caption_text("No settings match").get(), "No settings match", 12, TextTone::Secondary, true);
  for (std::string_view subtitle : {"Clock, time zone, and how dates display", ""}) {
    auto header = page_header("Time & Date", subtitle);
    ASSERT_EQ(header->child_count(), 3u);
    EXPECT_EQ(header->gap(), 4);
    expect_text(header->child(0), "SETTINGS", 12, TextTone::Secondary, true);
    expect_text(header->child(1), "Time & Date", 24, TextTone::Default, true);
    expect_text(header->child(2), subtitle, 13, TextTone::Secondary, true);
  }
}

TEST(LayoutHelpers, HeroCardShowsALargeIconBesideTitleAndSubtitle) {
  auto card = hero_card(Icon::Info, "orvo-laptop", "Device identity");
  const auto& row = *dynamic_cast<const Row*>(card->child());
  EXPECT_TRUE(row.spacing());
  ASSERT_EQ(row.child_count(), 2u);
  const auto& icon = *dynamic_cast<const IconWidget*>(row.child(0));
  EXPECT_EQ(icon.icon(), Icon::Info);
  EXPECT_EQ(icon.size(), 34);
  EXPECT_EQ(icon.stroke_width(), 1.5);
  const auto& area = *dynamic_cast<const Container*>(row.child(1));
  EXPECT_TRUE(area.centered());
  EXPECT_TRUE(area.grow());
  EXPECT_EQ(area.width(), std::nullopt);
  const auto& lines = as_box(area.child());
  EXPECT_EQ(lines.gap(), 4);
  expect_text(lines.child(0), "orvo-laptop", 20, TextTone::Default, true);
  expect_text(lines.child(1), "Device identity", 12, TextTone::Secondary, true);
}

TEST(LayoutHelpers, TitledCards) {
  auto plain = titled_card("Network", control(10));
  const auto& column = as_box(plain->child());
  const auto& header = as_box(column.child(0));
  ASSERT_EQ(header.child_count(), 1u);
  EXPECT_EQ(as_text(header.child(0)).text(), "Network");

  auto with_accessory = titled_card_with_accessory("Devices", tone_badge("2 paired", badge_tone::kSuccess), control(10));
  const auto& header2 = as_box(as_box(with_accessory->child()).child(0));
  ASSERT_EQ(header2.child_count(), 3u);
  EXPECT_EQ(header2.child(2)->name(), "Badge");
}

TEST(LayoutHelpers, BadgesSpacersAndBoxes) {
  EXPECT_EQ(tone_badge("On", 2)->style(), BadgeStyle{BadgeTone{2}});
  EXPECT_EQ(colored_badge("Beta", Color::rgb(0x123456))->style(), BadgeStyle{BadgeColor{Color::rgb(0x123456)}});
  EXPECT_EQ(tone_badge("On", 2)->text(), "On");
  for (std::uint8_t step : {0, 4, 250}) {
    EXPECT_EQ(fixed_spacer(step)->step(), step);
    EXPECT_EQ(fixed_spacer(step)->kind(), spacer_kind::kFixed);
  }
  auto box = fixed_box(8);
  EXPECT_EQ(box->child(), nullptr);
  EXPECT_EQ(box->width(), 8);
  EXPECT_EQ(box->height(), 1.0f);
  EXPECT_TRUE(box->centered());
  auto sized = sized_container(control(10), 64);
  EXPECT_EQ(sized->width(), 64);
  EXPECT_NE(sized->child(), nullptr);
  EXPECT_FALSE(sized->fill());
}

TEST(LayoutHelpers, StacksKeepListOrderAndConsumeTheList) {
  std::vector<WidgetBox> widgets;
  for (const char* s : {"a", "b", "c"}) widgets.push_back(caption_text(s));
  const Widget* first = widgets.front().get();
  Column column = stack_column(std::move(widgets), 7);
  EXPECT_EQ(column.gap(), 7);
  ASSERT_EQ(column.child_count(), 3u);
  EXPECT_EQ(column.child(0), first) << "moved, not copied";
  EXPECT_EQ(as_text(column.child(2)).text(), "c");

  auto sections = section_stack({});
  EXPECT_EQ(sections->gap(), 12);
  EXPECT_EQ(sections->child_count(), 0u);
  auto pages = page_stack({});
  EXPECT_EQ(pages->gap(), 24);
  EXPECT_EQ(pages->child_count(), 0u);
}

}  // namespace
}  // namespace settings::widget_support
