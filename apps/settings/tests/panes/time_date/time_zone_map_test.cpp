#include "panes/time_date/time_zone_map.h"

#include <gtest/gtest.h>

#include "catalogues/section_bindings.h"
#include "orvo_ui/text.h"

namespace settings::panes::time_date {
namespace {

using orvo_ui::Point;
using orvo_ui::Rect;

TimeZoneEntry entry(std::string name, double latitude, double longitude) {
  const auto slash = name.find('/');
  return TimeZoneEntry{name, name.substr(0, slash), name.substr(slash + 1),
                       static_cast<std::int32_t>(latitude * 1e6), static_cast<std::int32_t>(longitude * 1e6)};
}

// A 380 x 224 widget at (0, 0): the map is (10, 10)-(370, 190), so one degree is one unit across.
TimeZoneMap make_map(std::vector<TimeZoneEntry> entries, std::string current) {
  TimeZoneMap map(std::move(entries), std::move(current), actions::time_date_choice_binding("timezone"));
  map.set_rect(Rect{0, 0, 380, 224});
  return map;
}

std::vector<std::string> emitted(TimeZoneMap& map) {
  std::vector<std::string> values;
  while (auto invocation = map.take_control_invocation()) values.push_back(invocation->args_json);
  return values;
}

orvo_ui::Event key(orvo_ui::NamedKey named, orvo_ui::Modifiers modifiers = {}) {
  return orvo_ui::event::Key{named, "", true, modifiers};
}

TEST(TimeZoneMap, MapRectangleKeepsAtLeastOneUnit) {
  auto map = make_map({}, "Europe/Paris");
  EXPECT_EQ(map.map_rect(), (Rect{10, 10, 370, 190}));
  map.set_rect(Rect{100, 50, 105, 60});
  EXPECT_EQ(map.map_rect(), (Rect{110, 60, 111, 61}));
}

TEST(TimeZoneMap, ProjectsEquirectangularly) {
  auto map = make_map({entry("Europe/Paris", 45, 90), entry("Pacific/Edge", -90, -180)}, "Europe/Paris");
  EXPECT_EQ(map.project(0), (Point{10 + 270, 10 + 45}));
  EXPECT_EQ(map.project(1), (Point{10, 190}));
  EXPECT_EQ(map.project(2), (Point{0, 0}));
}

TEST(TimeZoneMap, HitTestReachesElevenUnitsAndPrefersTheFirstOnATie) {
  // Both dots at (190, 100); the third 30 units east.
  auto map = make_map({entry("A/First", 0, 0), entry("A/Second", 0, 0), entry("A/Third", 0, 30)}, "A/Third");
  EXPECT_EQ(map.hit_test(Point{190 + 11.0, 100}), 0u);
  EXPECT_EQ(map.hit_test(Point{190, 100 - 11.1}), std::nullopt);
  EXPECT_EQ(map.hit_test(Point{220 - 3, 100}), 2u);
  map.set_rect(Rect{0, 0, 150, 224});  // the dots now lie outside the widget
  EXPECT_EQ(map.hit_test(Point{400, 100}), std::nullopt);
  EXPECT_EQ(map.cursor_at(Point{400, 100}), std::nullopt);
  map.set_rect(Rect{0, 0, 380, 224});
  EXPECT_EQ(map.cursor_at(Point{190, 100}), orvo_ui::cursor::kPointer);
  EXPECT_EQ(map.cursor_at(Point{100, 30}), std::nullopt);
}

TEST(TimeZoneMap, ArrowKeysMoveByDirectionAndStayAtTheEdge) {
  auto map = make_map({entry("A/Origin", 50, 10), entry("A/East", 50, 20), entry("A/SouthEast", 40, 12)}, "A/Origin");
  map.set_focus(true);
  orvo_ui::EventContext context;
  map.handle_event(key(orvo_ui::NamedKey::Right), context);
  EXPECT_TRUE(context.handled);
  EXPECT_EQ(map.keyboard_selection(), 1u);  // score 10 against 2 + 2.5 * 10
  map.handle_event(key(orvo_ui::NamedKey::Down), context);
  EXPECT_EQ(map.keyboard_selection(), 2u);
  map.handle_event(key(orvo_ui::NamedKey::Left), context);
  EXPECT_EQ(map.keyboard_selection(), 0u);
  map.handle_event(key(orvo_ui::NamedKey::Left), context);  // the westernmost: nothing further
  EXPECT_EQ(map.keyboard_selection(), 0u);
  // Shortcut keys are someone else's.
  orvo_ui::EventContext shortcut;
  map.handle_event(key(orvo_ui::NamedKey::Right, {.ctrl = true}), shortcut);
  EXPECT_FALSE(shortcut.handled);
  EXPECT_EQ(map.keyboard_selection(), 0u);
  EXPECT_TRUE(emitted(map).empty());
}

TEST(TimeZoneMap, CommitEmitsANewZoneOnceAndNeverTheCurrentOne) {
  auto map = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Europe/Paris");
  map.commit(0);
  EXPECT_TRUE(emitted(map).empty());
  map.set_focus(true);
  orvo_ui::EventContext context;
  map.handle_event(key(orvo_ui::NamedKey::Right), context);
  map.handle_event(key(orvo_ui::NamedKey::Enter), context);
  map.handle_event(key(orvo_ui::NamedKey::Enter), context);
  EXPECT_EQ(emitted(map), (std::vector<std::string>{R"({"choice":"Asia/Tokyo"})"}));
  EXPECT_EQ(map.current_zone(), "Asia/Tokyo");
  map.commit(7);
  EXPECT_TRUE(emitted(map).empty());
}

TEST(TimeZoneMap, ClickingADotCommitsItAndAsksForFocus) {
  auto map = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Europe/Paris");
  orvo_ui::EventContext context;
  context.scale_factor = 2;
  context.node = 42;
  map.handle_event(orvo_ui::event::PointerMoved{Point{2 * 330, 2 * 54}}, context);
  EXPECT_EQ(map.hovered(), 1u);
  EXPECT_EQ(map.tooltip_text(), "Asia/Tokyo");
  orvo_ui::EventContext release;
  release.node = 42;
  map.handle_event(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, false, {}}, release);
  EXPECT_EQ(release.focus_request, 42u);
  EXPECT_EQ(emitted(map), (std::vector<std::string>{R"({"choice":"Asia/Tokyo"})"}));
}

TEST(TimeZoneMap, GainingFocusSelectsTheCurrentZoneOrTheFirst) {
  auto mapped = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Asia/Tokyo");
  EXPECT_EQ(mapped.keyboard_selection(), 1u);
  auto unmapped = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Etc/UTC");
  EXPECT_EQ(unmapped.keyboard_selection(), std::nullopt);
  unmapped.set_focus(true);
  EXPECT_EQ(unmapped.keyboard_selection(), 0u);
  EXPECT_TRUE(unmapped.has_focus());
}

TEST(TimeZoneMap, AccessibilityAndActions) {
  auto map = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Etc/UTC");
  auto node = map.accessibility();
  ASSERT_TRUE(node);
  EXPECT_EQ(node->label, "Time-zone map");
  EXPECT_EQ(node->description, std::string(kMapDescription));
  EXPECT_EQ(node->value, "Etc/UTC");
  EXPECT_TRUE(node->focusable);
  EXPECT_FALSE(node->focused);
  EXPECT_FALSE(map.perform_action(orvo_ui::a11y::Activate{}));
  EXPECT_FALSE(map.perform_action(orvo_ui::a11y::SetValue{"Asia/Nowhere"}));
  EXPECT_TRUE(map.perform_action(orvo_ui::a11y::SetValue{"Asia/Tokyo"}));
  EXPECT_EQ(map.accessibility()->value, "Asia/Tokyo");
  EXPECT_EQ(emitted(map), (std::vector<std::string>{R"({"choice":"Asia/Tokyo"})"}));
}

TEST(TimeZoneMap, DrawsGraticuleDotsRingAndCaption) {
  auto map = make_map({entry("Europe/Paris", 49, 2), entry("Asia/Tokyo", 36, 140)}, "Europe/Paris");
  orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fixed);
  const auto theme = orvo_ui::Theme::light();
  auto captions = [&] {
    orvo_ui::Scene scene;
    map.draw(scene, {}, text, theme, {});
    std::vector<std::string> texts;
    std::size_t strokes = 0, fills = 0;
    for (const auto& command : scene.commands()) {
      if (const auto* run = std::get_if<orvo_ui::draw::Text>(&command)) texts.push_back(run->text);
      if (std::holds_alternative<orvo_ui::draw::Stroke>(command)) ++strokes;
      if (std::holds_alternative<orvo_ui::draw::Fill>(command)) ++fills;
    }
    return std::tuple{texts, strokes, fills};
  };
  auto [texts, strokes, fills] = captions();
  EXPECT_EQ(texts, (std::vector<std::string>{"Selected: Europe/Paris"}));
  EXPECT_EQ(strokes, 1u + 5 + 3);  // outline, meridians, parallels
  EXPECT_EQ(fills, 1u + 2);        // card, dots
  map.set_focus(true);
  std::tie(texts, strokes, fills) = captions();
  EXPECT_EQ(texts, (std::vector<std::string>{"Paris — Europe"}));
  EXPECT_EQ(strokes, 1u + 5 + 3 + 1);  // and the ring of the keyboard selection
}

TEST(TimeZoneMap, EmptyMapIsInertAndSaysSo) {
  auto map = make_map({}, "Europe/Paris");
  EXPECT_FALSE(map.is_focusable());
  map.set_focus(true);
  orvo_ui::EventContext context;
  map.handle_event(key(orvo_ui::NamedKey::Right), context);
  map.handle_event(key(orvo_ui::NamedKey::Enter), context);
  EXPECT_FALSE(context.handled);
  EXPECT_TRUE(emitted(map).empty());
  orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fixed);
  orvo_ui::Scene scene;
  map.draw(scene, {}, text, orvo_ui::Theme::light(), {});
  ASSERT_EQ(scene.size(), 3u);
  const auto* run = std::get_if<orvo_ui::draw::Text>(&scene.commands()[2]);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->text, "Map coordinates are unavailable; use the selector above.");
}

}  // namespace
}  // namespace settings::panes::time_date
