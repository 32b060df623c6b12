// What each toolkit widget type answers about itself: names, redraw and layout state, damage,
// accessibility, and the leaf and container forms of the provided operations.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "laid_out.h"
#include "orvo_ui/widgets/app_shell.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/icon_widget.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/qr_widget.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/sparkline.h"
#include "orvo_ui/widgets/text.h"

namespace orvo_ui {
namespace {

using testing::LaidOut;

TEST(WidgetAnswers, NamesAndTypeNames) {
  std::vector<std::pair<std::unique_ptr<Widget>, std::pair<std::string_view, std::string_view>>> cases;
  auto add = [&](std::unique_ptr<Widget> w, std::string_view name, std::string_view type) {
    cases.emplace_back(std::move(w), std::pair{name, type});
  };
  add(std::make_unique<Row>(), "Row", "orvo_ui::widget::row::Row");
  add(std::make_unique<Column>(), "Column", "orvo_ui::widget::column::Column");
  add(std::make_unique<Card>(nullptr), "Card", "orvo_ui::widget::card::Card");
  add(std::make_unique<Scrollable>(nullptr), "Scrollable", "orvo_ui::widget::scrollable::Scrollable");
  add(std::make_unique<AppShell>(nullptr, nullptr), "AppShell", "orvo_ui::widget::app_shell::AppShell");
  add(std::make_unique<Container>(), "Container", "orvo_ui::widget::container::Container");
  add(std::make_unique<Text>("t"), "Text", "orvo_ui::widget::text::Text");
  add(std::make_unique<Badge>(Badge::toned("b", 0)), "Badge", "orvo_ui::widget::badge::Badge");
  add(std::make_unique<Sparkline>(std::vector<double>{}), "Sparkline", "orvo_ui::widget::chart::Sparkline");
  add(std::make_unique<IconWidget>(Icon::Wifi), "IconWidget", "orvo_ui::widget::icon::IconWidget");
  add(std::make_unique<Spacer>(Spacer::flexible()), "Spacer", "orvo_ui::widget::spacer::Spacer");
  add(std::make_unique<ProgressBar>(0.5), "ProgressBar", "orvo_ui::widget::progress_bar::ProgressBar");
  add(std::make_unique<QrWidget>("x"), "QrWidget", "orvo_ui::widget::qr::QrWidget");
  for (const auto& [widget, names] : cases) {
    EXPECT_EQ(widget->name(), names.first);
    EXPECT_EQ(widget->type_name(), names.second);
    // Nothing is laid out yet: every rectangle is zero.
    EXPECT_EQ(widget->get_rect(), Rect{}) << names.first;
  }
}

TEST(WidgetAnswers, SpacerIsLayoutDirtyUntilLaidOutAndNeverDamaged) {
  Spacer spacer = Spacer::fixed(3);
  EXPECT_TRUE(spacer.is_layout_dirty());
  EXPECT_TRUE(spacer.layout_needs_measure());
  EXPECT_FALSE(spacer.needs_redraw());
  LaidOut l;
  l.lay_out(spacer, 100, 100);
  EXPECT_FALSE(spacer.is_layout_dirty());
  EXPECT_FALSE(spacer.layout_needs_measure());
  std::vector<Rect> damage;
  spacer.collect_damage(damage);
  EXPECT_TRUE(damage.empty());
  EXPECT_EQ(l.draw(spacer, std::nullopt).size(), 0u);
}

TEST(WidgetAnswers, FixedSpacerKeepsItsStepAndUsesTheScale) {
  for (std::uint8_t step : {0, 3, 8, 200, 255}) EXPECT_EQ(Spacer::fixed(step).step(), step);
  EXPECT_EQ(Spacer::fixed(3).kind(), spacer_kind::kFixed);
  EXPECT_EQ(Spacer::flexible().kind(), spacer_kind::kFlexible);
  EXPECT_EQ(Spacer::spacing(3), 8);
  EXPECT_EQ(Spacer::spacing(255), Spacer::kSpacingScale.back());
}

TEST(WidgetAnswers, BadgeNeedsARedrawUntilDrawn) {
  Badge badge = Badge::colored("Beta", Color::rgb(0x336699));
  EXPECT_TRUE(badge.needs_redraw());
  EXPECT_TRUE(badge.is_layout_dirty());
  LaidOut l;
  Column page;
  page.push(std::move(badge));
  l.lay_out(page, 200, 100);
  auto& laid = *static_cast<Badge*>(page.child(0));
  EXPECT_FALSE(laid.is_layout_dirty());
  std::vector<Rect> damage;
  laid.collect_damage(damage);
  ASSERT_EQ(damage.size(), 1u);
  EXPECT_EQ(damage[0], laid.get_rect());

  laid.mark_drawn();
  EXPECT_FALSE(laid.needs_redraw());
  damage.clear();
  laid.collect_damage(damage);
  EXPECT_TRUE(damage.empty());
  laid.set_text("Stable");
  EXPECT_TRUE(laid.needs_redraw());
  EXPECT_EQ(laid.accessibility()->label, "Stable");
}

TEST(WidgetAnswers, IndeterminateProgressAnimatesUnlessMotionIsReduced) {
  ProgressBar busy = ProgressBar::indeterminate();
  busy.mark_drawn();
  EXPECT_TRUE(busy.needs_animation_frame());
  EXPECT_TRUE(busy.needs_redraw());
  busy.set_animation_suppressed(true);
  busy.mark_drawn();
  EXPECT_FALSE(busy.needs_animation_frame());
  EXPECT_FALSE(busy.needs_redraw());

  ProgressBar bar(0.25);
  EXPECT_FALSE(bar.needs_animation_frame());
  EXPECT_TRUE(bar.needs_redraw());
  bar.mark_drawn();
  EXPECT_FALSE(bar.needs_redraw());
  bar.set_fraction(0.25);
  EXPECT_FALSE(bar.needs_redraw()) << "the same value is no change";
  bar.set_fraction(0.5);
  EXPECT_TRUE(bar.needs_redraw());
  EXPECT_EQ(bar.accessibility()->value, "50%");
}

TEST(WidgetAnswers, ProgressFractionIsClampedAndLabelReplaced) {
  EXPECT_EQ(ProgressBar(-1).fraction(), 0);
  EXPECT_EQ(ProgressBar(7).fraction(), 1);
  EXPECT_EQ(ProgressBar(std::nan("")).fraction(), 0);
  ProgressBar bar = ProgressBar(0.1).with_label("Downloading");
  EXPECT_EQ(bar.label(), "Downloading");
  bar = std::move(bar).with_label("Verifying");
  EXPECT_EQ(bar.label(), "Verifying");
  EXPECT_EQ(bar.accessibility()->label, "Verifying");
}

TEST(WidgetAnswers, TextRedrawsAfterAChangeAndAsksForLayout) {
  Text text = Text("Hello").with_id("greeting");
  EXPECT_EQ(text.widget_id(), "greeting");
  EXPECT_TRUE(text.needs_redraw());
  EXPECT_FALSE(text.needs_commit());
  LaidOut l;
  l.lay_out(text, 100, 100);
  text.mark_drawn();
  EXPECT_FALSE(text.needs_redraw());
  EXPECT_FALSE(text.is_layout_dirty());
  EXPECT_FALSE(text.take_structure_dirty());

  text.set_text("Hello again");
  EXPECT_TRUE(text.needs_redraw());
  EXPECT_TRUE(text.is_layout_dirty());
  EXPECT_TRUE(text.take_structure_dirty());
  EXPECT_FALSE(text.take_structure_dirty()) << "reported once";
  EXPECT_EQ(Text("x").widget_id(), std::nullopt);
}

TEST(WidgetAnswers, LeavesWithoutTheirOwnStateRedrawEveryTimeUntilLaidOut) {
  Sparkline spark({1, 3, 2});
  IconWidget icon(Icon::Bell);
  QrWidget qr("hello");
  for (Widget* w : std::initializer_list<Widget*>{&spark, &icon, &qr}) {
    w->mark_drawn();
    EXPECT_TRUE(w->needs_redraw()) << w->name();
    EXPECT_TRUE(w->is_layout_dirty()) << w->name();
  }
  LaidOut l;
  l.lay_out(spark, 100, 100);
  l.lay_out(icon, 100, 100);
  EXPECT_FALSE(spark.is_layout_dirty());
  EXPECT_FALSE(icon.is_layout_dirty());
  l.lay_out(qr, 100, 100);
  EXPECT_TRUE(qr.is_layout_dirty()) << "the code takes the leaf answer";
}

TEST(WidgetAnswers, SparklineScalesBetweenItsExtremes) {
  struct Case {
    std::vector<double> values;
    std::vector<Point> points;
  };
  // A 100 x 20 box, inset 1.5 for the line caps: x from 1.5 to 98.5, y from 18.5 (low) to 1.5 (high).
  const Case cases[] = {
      {{1, 3, 2}, {{1.5, 18.5}, {50, 1.5}, {98.5, 10}}},
      {{5}, {{1.5, 10}, {98.5, 10}}},
      {{2, std::nan(""), 2}, {{1.5, 10}, {98.5, 10}}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    Sparkline spark = Sparkline(c.values).with_size(100, 20);
    LaidOut l;
    Column page;
    page.push(std::move(spark));
    l.lay_out(page, 100, 20);
    Scene scene = l.draw(*page.child(0), std::nullopt);
    if (c.points.empty()) {
      EXPECT_EQ(scene.size(), 0u);
      continue;
    }
    ASSERT_EQ(scene.size(), 1u);
    const auto& path = std::get<Path>(std::get<draw::Stroke>(scene.commands()[0]).shape);
    ASSERT_EQ(path.elements.size(), c.points.size());
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      Point p = i == 0 ? std::get<Path::MoveTo>(path.elements[i]).p : std::get<Path::LineTo>(path.elements[i]).p;
      EXPECT_EQ(p, c.points[i]) << "point " << i;
    }
  }
}

TEST(WidgetAnswers, EmptyContainersAnswerTheProvidedFolds) {
  Card card(nullptr);
  Container container;
  AppShell shell(nullptr, nullptr);
  for (Widget* w : std::initializer_list<Widget*>{&card, &container, &shell}) {
    EXPECT_TRUE(w->needs_redraw()) << w->name();
    EXPECT_TRUE(w->is_layout_dirty()) << w->name();
  }
  EXPECT_TRUE(card.layout_needs_measure());
  EXPECT_TRUE(container.layout_needs_measure());
}

TEST(WidgetAnswers, ContainersFoldOverTheirChildren) {
  Column column;
  column.push(Spacer::flexible());
  column.push(ProgressBar::indeterminate().with_animation_suppressed(true));
  column.mark_drawn();
  EXPECT_FALSE(column.needs_redraw());
  EXPECT_FALSE(column.needs_animation_frame());
  column.push(ProgressBar::indeterminate());
  EXPECT_TRUE(column.needs_animation_frame());

  // A Row answers no key action, valid or not; a card shows no tooltip anywhere.
  Row row;
  row.push(Text("a"));
  EXPECT_FALSE(row.perform_key_action("orvo.key-action:name:0/3", a11y::Activate{}));
  EXPECT_FALSE(row.perform_key_action("nonsense", a11y::Activate{}));
  Card card = card::surface("Title", nullptr, std::make_unique<Text>("body"));
  LaidOut l;
  l.lay_out(card, 200, 200);
  EXPECT_EQ(card.tooltip_at({10, 10}), std::nullopt);
  EXPECT_EQ(card.tooltip_at({300, 300}), std::nullopt);
}

TEST(WidgetAnswers, ScrollableAnswersABlankAccessibilityNode) {
  Scrollable scroll(std::make_unique<Text>("body"));
  ASSERT_TRUE(scroll.accessibility().has_value());
  EXPECT_EQ(*scroll.accessibility(), AccessibilityNode{});
  EXPECT_FALSE(scroll.has_focus());
  scroll.set_focus(true);
  EXPECT_TRUE(scroll.has_focus());
  EXPECT_TRUE(scroll.control_action_bindings().empty());
}

TEST(WidgetAnswers, DrawingSkipsWidgetsOutsideTheClip) {
  Badge badge = Badge::toned("Off", badge_tone::kDanger);
  LaidOut l;
  l.lay_out(badge, 60, 20);
  EXPECT_GT(l.draw(badge, Rect{0, 0, 100, 100}).size(), 0u);
  EXPECT_EQ(l.draw(badge, Rect{60, 0, 100, 100}).size(), 0u) << "touching the clip's edge is outside";
  EXPECT_GT(l.draw(badge, std::nullopt).size(), 0u);
}

}  // namespace
}  // namespace orvo_ui
