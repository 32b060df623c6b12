#include "sidebar/sidebar_row.h"

#include <gtest/gtest.h>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/widgets/column.h"

namespace settings::sidebar {
namespace {

using namespace orvo_ui;
using settings_app::SettingsSection;

// Two rows in a column, laid out and driven by the toolkit's frame loop in an offscreen window.
class RowsInALoop : public ::testing::Test {
 protected:
  RowsInALoop() {
    Column column;
    column.push(SidebarRow::make(SettingsSection::Bluetooth, cell_, SettingsSection::Network));
    column.push(SidebarRow::make(SettingsSection::Bluetooth, cell_, SettingsSection::Bluetooth));
    root_ = std::make_unique<Column>(std::move(column));
    network_ = dynamic_cast<SidebarRow*>(root_->child(0));
    bluetooth_ = dynamic_cast<SidebarRow*>(root_->child(1));
    loop_ = std::make_unique<FrameLoop>(backend_, *root_, app_, TextRenderer::Metrics::Fixed);
    loop_->frame(backend_.take_events());
  }

  void send(Event event) {
    backend_.push(std::move(event));
    loop_->frame(backend_.take_events());
  }
  void move(double x, double y) { send(event::PointerMoved{{x, y}}); }
  void button(bool pressed, double x, double y, MouseButton which = MouseButton::Primary) {
    send(event::PointerButton{which, pressed, {x, y}});
  }
  void key(NamedKey k, bool pressed = true) { send(event::Key{k, "", pressed, {}}); }
  std::optional<SettingsSection> published() const { return cell_.snapshot(); }

  SidebarSelectionCell cell_;
  OffscreenBackend backend_{240, 200};
  App app_;
  std::unique_ptr<Column> root_;
  SidebarRow* network_ = nullptr;
  SidebarRow* bluetooth_ = nullptr;
  std::unique_ptr<FrameLoop> loop_;
};

TEST_F(RowsInALoop, RowsTakeTheWidthAndAtLeastFortyPoints) {
  EXPECT_EQ(network_->get_rect(), (Rect{0, 0, 240, 40}));
  EXPECT_EQ(bluetooth_->get_rect(), (Rect{0, 40, 240, 80}));
}

TEST_F(RowsInALoop, AClickInsideSelectsOnceAndTakesFocus) {
  move(100, 20);
  EXPECT_TRUE(network_->hovered());
  button(true, 100, 20);
  EXPECT_TRUE(network_->pressed());
  EXPECT_TRUE(network_->has_focus()) << "a press asks for keyboard focus";
  EXPECT_EQ(cell_.version(), 0u) << "nothing is selected on press";
  button(false, 100, 20);
  EXPECT_FALSE(network_->pressed());
  EXPECT_EQ(published(), SettingsSection(SettingsSection::Network));
  EXPECT_EQ(cell_.version(), 1u);
  EXPECT_EQ(network_->get_state(), "inactive") << "the mark given at construction stays";
}

TEST_F(RowsInALoop, APressMovedOutBeforeReleaseSelectsNothing) {
  button(true, 100, 20);
  move(100, 150);  // below both rows: the press stays until the next button event
  EXPECT_TRUE(network_->pressed());
  button(false, 100, 150);
  EXPECT_FALSE(network_->pressed());
  EXPECT_EQ(cell_.version(), 0u);

  // Press on one row, release on the other: neither selects.
  button(true, 100, 20);
  button(false, 100, 60);
  EXPECT_FALSE(network_->pressed());
  EXPECT_FALSE(bluetooth_->pressed());
  EXPECT_EQ(cell_.version(), 0u);
}

TEST_F(RowsInALoop, OnlyThePrimaryButtonAndOnlyAPressedRowCount) {
  button(false, 100, 20);  // release without a press
  button(true, 100, 20, MouseButton::Secondary);
  button(false, 100, 20, MouseButton::Secondary);
  EXPECT_FALSE(network_->pressed());
  EXPECT_EQ(cell_.version(), 0u);
}

TEST_F(RowsInALoop, EnterAndSpaceSelectOnlyTheFocusedRow) {
  key(NamedKey::Enter);
  EXPECT_EQ(cell_.version(), 0u) << "no row has focus yet";

  button(true, 100, 60);  // focus Bluetooth, then cancel the press outside
  button(false, 100, 150);
  ASSERT_TRUE(bluetooth_->has_focus());
  EXPECT_EQ(cell_.version(), 0u);

  // Tab moves focus in the loop without selecting; around the two rows it comes back to Bluetooth.
  key(NamedKey::Tab);
  EXPECT_TRUE(network_->has_focus());
  key(NamedKey::Tab);
  ASSERT_TRUE(bluetooth_->has_focus());
  key(NamedKey::Enter, false);
  send(event::Key{NamedKey::None, " ", true, {}});
  EXPECT_EQ(cell_.version(), 0u) << "Tab, key releases and text keys select nothing";

  key(NamedKey::Enter);
  EXPECT_EQ(published(), SettingsSection(SettingsSection::Bluetooth)) << "the current section still publishes";
  key(NamedKey::Space);
  EXPECT_EQ(cell_.version(), 2u);
  EXPECT_EQ(network_->get_state(), "inactive");
  EXPECT_EQ(bluetooth_->get_state(), "active");
}

// A row laid out alone at (0, 0, 200, 40).
std::unique_ptr<SidebarRow> laid_out_row(SidebarSelectionCell& cell, TextRenderer& text,
                                         SettingsSection section = SettingsSection::Network, double width = 200) {
  auto row = SidebarRow::make(std::nullopt, cell, section);
  LayoutTree tree;
  NodeMap nodes;
  LayoutContext context{1, 14, &text, {static_cast<float>(width), 40}};
  NodeId node = row->build_layout(tree, context, nodes);
  EXPECT_EQ(nodes.at(node), row.get());
  tree.compute(node, {static_cast<float>(width), 40}, text);
  row->apply_layout(tree, node, 0, 0);
  return row;
}

TEST(SidebarRow, HitTestsAreHalfOpenAndFollowTheScaleFactor) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  auto row = laid_out_row(cell, text);
  ASSERT_EQ(row->get_rect(), (Rect{0, 0, 200, 40}));

  EXPECT_EQ(row->cursor_at({0, 0}), cursor::kPointer);
  EXPECT_EQ(row->cursor_at({199.99, 39.99}), cursor::kPointer);
  EXPECT_EQ(row->cursor_at({200, 10}), std::nullopt) << "right edge is outside";
  EXPECT_EQ(row->cursor_at({10, 40}), std::nullopt) << "bottom edge is outside";

  EventContext context;
  row->handle_event(event::PointerMoved{{10, 10}}, context);
  EXPECT_TRUE(row->hovered());
  EXPECT_TRUE(context.redraw_requested);
  row->handle_event(event::PointerMoved{{200, 10}}, context);
  EXPECT_FALSE(row->hovered());
  row->handle_event(event::PointerMoved{{10, 40}}, context);
  EXPECT_FALSE(row->hovered());

  EventContext hidpi;
  hidpi.scale_factor = 2;
  row->handle_event(event::PointerMoved{{398, 78}}, hidpi);  // (199, 39) in points
  EXPECT_TRUE(row->hovered());
  EventContext unchanged;
  unchanged.scale_factor = 2;
  row->handle_event(event::PointerMoved{{300, 40}}, unchanged);
  EXPECT_FALSE(unchanged.redraw_requested) << "no redraw while hover stays the same";
}

TEST(SidebarRow, MeasuresTheTitleAgainstTheWidthLeftBesideTheIcon) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  SidebarRow row(SettingsSection::Permissions, std::nullopt, cell);  // "Device Privacy & Security"
  const auto title_height = [&](float max) { return text.measure(row.section().title(), true, 14, max).height; };

  // A definite width of 150 leaves 78 for the title, which then wraps.
  Size wrapped = row.measure({}, {AvailableSpace::definite(150), AvailableSpace::max_content()}, text);
  EXPECT_EQ(wrapped.width, 0);
  EXPECT_GT(title_height(78), title_height(184));
  EXPECT_FLOAT_EQ(wrapped.height, title_height(78) + 16);

  // Without a usable width the title gets 184 and fits on one line.
  Size unknown = row.measure({}, {AvailableSpace::max_content(), AvailableSpace::max_content()}, text);
  EXPECT_EQ(unknown, (Size{0, 40}));
  Size min_content = row.measure({}, {AvailableSpace::min_content(), AvailableSpace::max_content()}, text);
  EXPECT_EQ(min_content, (Size{0, 40}));

  // A known size wins; a row narrower than 72 leaves the title a limit of 0.
  EXPECT_EQ(row.measure({150, 55}, {}, text), (Size{150, 55}));
  EXPECT_FLOAT_EQ(row.measure({50, std::nullopt}, {}, text).height, std::max(title_height(0) + 16, 40.0f));
}

std::vector<draw::Stroke> strokes_of_width(const Scene& scene, double width) {
  std::vector<draw::Stroke> out;
  for (const auto& c : scene.commands()) {
    if (auto* s = std::get_if<draw::Stroke>(&c); s && s->style.width == width) out.push_back(*s);
  }
  return out;
}

TEST(SidebarRow, FocusRingOnlyWhenFocusedAndOnlyThePillScalesWhenPressed) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  auto row = laid_out_row(cell, text);
  const Theme theme = Theme::dark();
  const Affine origin = Affine::translate(10, 20);

  Scene idle;
  row->draw(idle, origin, text, theme, {});
  EXPECT_TRUE(strokes_of_width(idle, 2).empty());
  const auto* title = std::get_if<draw::Text>(&idle.commands().back());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text, "Network");
  EXPECT_EQ(title->color, theme.text);
  EXPECT_EQ(title->max_width, 128);
  // Title at 8 + 12 + 20 + 12 = 52 from the row's left, centred vertically.
  EXPECT_EQ(title->transform.apply({0, 0}), (Point{10 + 52, 20 + (40 - 17.5) / 2}));
  EXPECT_FALSE(std::any_of(idle.commands().begin(), idle.commands().end(), [](const SceneCommand& c) {
    auto* fill = std::get_if<draw::Fill>(&c);
    return fill && std::holds_alternative<RoundedRect>(fill->shape);
  })) << "an idle, unselected row has no pill";

  row->set_focus(true);
  EventContext context;
  row->handle_event(event::PointerButton{MouseButton::Primary, true, {50, 20}}, context);
  ASSERT_TRUE(row->pressed());
  Scene pressed;
  row->draw(pressed, origin, text, theme, {});
  auto rings = strokes_of_width(pressed, 2);
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_EQ(rings[0].color, theme.focus_ring);
  EXPECT_EQ(rings[0].transform, origin) << "the focus ring keeps its size";
  EXPECT_EQ(std::get<RoundedRect>(rings[0].shape).rect, (Rect{8, 4, 192, 36}));

  const auto* fill = std::get_if<draw::Fill>(&pressed.commands().front());
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(fill->color, theme.pressed_fill);
  // The pill shrinks about its centre (100, 20).
  EXPECT_EQ(fill->transform.apply({100, 20}), (Point{110, 40}));
  EXPECT_NEAR(fill->transform.apply({8, 4}).x, 10 + 100 - 92 * 0.98, 1e-9);
  EXPECT_EQ(std::get<draw::Text>(pressed.commands().back()).transform, title->transform);
}

TEST(SidebarRow, TheSelectedRowHasAFilledOutlinedPill) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  SidebarRow row(SettingsSection::Sound, SettingsSection::Sound, cell);
  const Theme theme = Theme::light();
  Scene scene;
  row.draw(scene, Affine::identity(), text, theme, {});
  ASSERT_GE(scene.size(), 3u);
  EXPECT_EQ(std::get<draw::Fill>(scene.commands()[0]).color, theme.selected_fill);
  const auto& outline = std::get<draw::Stroke>(scene.commands()[1]);
  EXPECT_EQ(outline.style.width, 1);
  EXPECT_EQ(outline.color, *selection_tier(theme, true, false, false).outline);
  EXPECT_EQ(row.get_state(), "active");
}

TEST(SidebarRow, AccessibilityNamesTheSectionAndItsOpenAction) {
  SidebarSelectionCell cell;
  SidebarRow row(SettingsSection::DefaultApps, SettingsSection::DefaultApps, cell);
  auto node = row.accessibility();
  ASSERT_TRUE(node);
  EXPECT_EQ(node->role, role::kListItem);
  EXPECT_EQ(node->label, "Apps & Files");
  EXPECT_EQ(node->activation_address, "settings.section:default-apps#open");
  EXPECT_EQ(node->id, node->activation_address);
  EXPECT_TRUE(node->focusable);
  EXPECT_FALSE(node->focused);
  EXPECT_TRUE(node->selected);
  EXPECT_EQ(node->tri_state,
            (std::array<TriState, 3>{TriState::True, TriState::Unset, TriState::Unset}));

  SidebarRow other(SettingsSection::Users, SettingsSection::DefaultApps, cell);
  other.set_focus(true);
  EXPECT_TRUE(other.accessibility()->focused);
  EXPECT_EQ(other.accessibility()->tri_state[0], TriState::False);
  EXPECT_EQ(other.widget_id(), "Users");

  auto bindings = other.control_action_bindings();
  ASSERT_EQ(bindings.size(), 1u);
  EXPECT_EQ(bindings[0].name, "Users");
}

TEST(SidebarRow, OnlyTheActivationSelects) {
  SidebarSelectionCell cell;
  SidebarRow row(SettingsSection::Updates, std::nullopt, cell);
  EXPECT_FALSE(row.perform_action(a11y::Focus{}));
  EXPECT_FALSE(row.perform_action(a11y::SetValue{"x"}));
  EXPECT_EQ(cell.version(), 0u);
  EXPECT_TRUE(row.perform_action(a11y::Activate{}));
  EXPECT_EQ(cell.snapshot(), SettingsSection(SettingsSection::Updates));

  EXPECT_TRUE(row.perform_key_action("orvo.key-action:activate:0", a11y::Activate{}));
  EXPECT_FALSE(row.perform_key_action("orvo.key-action:activate:0/x", a11y::Activate{}));
  EXPECT_EQ(cell.version(), 2u);
  EXPECT_FALSE(row.pressed());
  EXPECT_EQ(row.get_state(), "inactive");
}

TEST(SidebarRow, ALeafThatAlwaysReportsItsRectangle) {
  SidebarSelectionCell cell;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  auto row = laid_out_row(cell, text);
  EXPECT_EQ(row->type_name(), "settings::sidebar::SidebarRow");
  EXPECT_TRUE(row->children().empty());
  EXPECT_TRUE(row->needs_redraw());
  EXPECT_TRUE(row->is_layout_dirty());
  row->mark_drawn();
  std::vector<Rect> damage;
  row->collect_damage(damage);
  EXPECT_EQ(damage, (std::vector<Rect>{{0, 0, 200, 40}}));
}

}  // namespace
}  // namespace settings::sidebar
