// The controls driven through the frame loop by pointer and key events.
#include <gtest/gtest.h>

#include "control_harness.h"
#include "control_page.h"

namespace orvo_ui {
namespace {

using testing::ControlHarness;
using testing::ControlPage;

struct PageFixture : ::testing::Test {
  ControlPage page;
  ControlHarness ui{page.build(), 640, 520};
};

TEST_F(PageFixture, ClickFlipsAToggleAndItsCellAndSendsItsAction) {
  ui.click(*page.tap_toggle);
  EXPECT_TRUE(page.tap.snapshot());
  EXPECT_EQ(page.tap.version(), 1u);
  EXPECT_TRUE(page.tap_toggle->has_focus());
  ui.click(*page.tap_toggle);
  EXPECT_FALSE(page.tap.snapshot());
  EXPECT_EQ(page.tap.version(), 2u);

  ui.key(NamedKey::Space);  // focused: the keyboard flips it too
  EXPECT_TRUE(page.tap.snapshot());
  EXPECT_EQ(page.tap_toggle->accessibility()->value, "on");
}

TEST_F(PageFixture, DisabledControlsIgnoreClicksAndKeys) {
  ui.click(*page.locked_toggle);
  EXPECT_TRUE(page.locked.snapshot());
  EXPECT_EQ(page.locked.version(), 0u);
  EXPECT_FALSE(page.locked_toggle->has_focus());
  ui.click(*page.disabled_button);
  EXPECT_FALSE(page.disabled_button->has_focus());
}

TEST_F(PageFixture, PressReleasedOutsideDoesNotFlip) {
  ui.send(event::PointerButton{MouseButton::Primary, true, page.tap_toggle->get_rect().center()});
  ui.send(event::PointerButton{MouseButton::Primary, false, {5, 5}});
  EXPECT_FALSE(page.tap.snapshot());
}

TEST_F(PageFixture, DragMovesTheSliderAndItsCell) {
  const Rect r = page.slider->get_rect();
  const double y = r.center().y;
  ui.send(event::PointerButton{MouseButton::Primary, true, {r.x0 + 9, y}});
  EXPECT_DOUBLE_EQ(page.repeat.snapshot(), 0.0) << "pressing at the left end of the track";
  EXPECT_TRUE(page.slider->wants_pointer_capture());
  ui.send(event::PointerMoved{{r.center().x, y}});
  EXPECT_NEAR(page.repeat.snapshot(), 0.5, 1e-9);
  ui.send(event::PointerMoved{{r.x1 + 200, y}});  // past the end: clamped
  EXPECT_DOUBLE_EQ(page.repeat.snapshot(), 1.0);
  ui.send(event::PointerButton{MouseButton::Primary, false, {r.x1 + 200, y}});
  EXPECT_FALSE(page.slider->wants_pointer_capture());
  const auto published = page.repeat.version();
  ui.send(event::PointerMoved{{r.x0 + 9, y}});
  EXPECT_EQ(page.repeat.version(), published) << "after release the pointer no longer drags";

  ui.key(NamedKey::Left);
  EXPECT_NEAR(page.repeat.snapshot(), 0.95, 1e-9);
  ui.key(NamedKey::Home);
  EXPECT_DOUBLE_EQ(page.repeat.snapshot(), 0.0);
}

TEST_F(PageFixture, DropdownChoiceFromItsPopupPublishesTheEntry) {
  ui.click(*page.dropdown);
  ASSERT_TRUE(page.dropdown->is_open());
  ASSERT_TRUE(page.dropdown->popup_rect());
  ui.click(page.dropdown->entry_rect(1).center());
  EXPECT_FALSE(page.dropdown->is_open());
  EXPECT_EQ(page.profile.snapshot(), "Flat");
  EXPECT_EQ(page.recorder->is_capturing(), false) << "the click on the popup went no further";

  ui.key(NamedKey::Up);  // closed and focused: the neighbouring entry directly
  EXPECT_EQ(page.profile.snapshot(), "Adaptive");
  ui.key(NamedKey::Enter);
  EXPECT_TRUE(page.dropdown->is_open());
  ui.key(NamedKey::Down);
  ui.key(NamedKey::Escape);
  EXPECT_FALSE(page.dropdown->is_open());
  EXPECT_EQ(page.profile.snapshot(), "Adaptive") << "Escape closes without choosing";
  ui.key(NamedKey::Space);
  ui.key(NamedKey::Down);
  ui.key(NamedKey::Enter);
  EXPECT_EQ(page.profile.snapshot(), "Flat");
}

TEST_F(PageFixture, ClickOutsideAnOpenDropdownClosesIt) {
  ui.click(*page.dropdown);
  ui.click(Point{600, 10});
  EXPECT_FALSE(page.dropdown->is_open());
  EXPECT_EQ(page.profile.version(), 0u);
}

TEST_F(PageFixture, BoundControlsQueueInvocationsForTheLoop) {
  // Driven directly, so the queue is read before a frame hands it to the action host.
  page.tap_toggle->perform_action(a11y::Activate{});
  auto invocation = page.tap_toggle->take_control_invocation();
  ASSERT_TRUE(invocation);
  EXPECT_EQ(invocation->action, "tap-to-click");
  EXPECT_EQ(invocation->args_json, R"({"value":true})");
  page.dropdown->perform_action(a11y::SetValue{"Flat"});
  invocation = page.dropdown->take_control_invocation();
  ASSERT_TRUE(invocation);
  EXPECT_EQ(invocation->args_json, R"({"choice":"Flat"})");
  EXPECT_FALSE(page.dropdown->perform_action(a11y::SetValue{"Turbo"}));
  const auto bindings = page.slider->control_action_bindings();
  ASSERT_EQ(bindings.size(), 1u);
  EXPECT_EQ(bindings[0].name, "input.key_repeat");
  EXPECT_EQ(bindings[0].target, (decltype(bindings[0].target){std::pair<std::string, std::string>{"settings.section:mouse_keyboard", "key-repeat"}}));
  EXPECT_EQ(page.profile.snapshot(), "Flat");
}

TEST_F(PageFixture, ButtonPressesByClickAndKeyboard) {
  ui.click(*page.button);
  EXPECT_EQ(page.resets, 1);
  ui.key(NamedKey::Enter);
  EXPECT_EQ(page.resets, 2);
  EXPECT_EQ(page.button->cursor_at(page.button->get_rect().center()), cursor::kPointer);
}

TEST_F(PageFixture, ShortcutRecorderCapturesOneChordAndLosesCaptureOnBlur) {
  ui.click(*page.recorder);
  ASSERT_TRUE(page.recorder->is_capturing());
  ui.send(event::Key{NamedKey::None, "", true, Modifiers{.ctrl = true}});  // the modifier alone
  EXPECT_TRUE(page.recorder->is_capturing());
  ui.send(event::Key{NamedKey::None, "t", true, Modifiers{.ctrl = true, .alt = true}});
  EXPECT_FALSE(page.recorder->is_capturing());
  EXPECT_EQ(page.chord.snapshot(), "Ctrl+Alt+T");

  ui.key(NamedKey::Space);
  EXPECT_TRUE(page.recorder->is_capturing());
  ui.key(NamedKey::Tab);  // focus moves on: capture ends, nothing recorded
  EXPECT_FALSE(page.recorder->is_capturing());
  EXPECT_EQ(page.chord.snapshot(), "Ctrl+Alt+T");
}

TEST_F(PageFixture, TabMovesFocusThroughTheControlsInTreeOrder) {
  const std::vector<Widget*> order{page.field,    page.tap_toggle, page.natural_toggle, page.slider,
                                   page.dropdown, page.recorder,   page.button};
  for (Widget* expected : order) {
    ui.key(NamedKey::Tab);
    EXPECT_EQ(ui.loop.focused(), expected) << expected->widget_id().value_or("");
    EXPECT_TRUE(expected->has_focus());
  }
  ui.key(NamedKey::Tab);  // wraps; the disabled controls are skipped
  EXPECT_EQ(ui.loop.focused(), page.field);
  ui.key(NamedKey::Tab, Modifiers{.shift = true});
  EXPECT_EQ(ui.loop.focused(), page.button);
  EXPECT_FALSE(page.field->has_focus());
}

TEST(ShortcutRecorder, UnavailableRecorderExplainsItselfOnlyInsideItsRectangle) {
  PublishedCell<std::string> chord;
  testing::ControlHarness ui(
      std::make_unique<ShortcutRecorder>(ShortcutRecorder::from_state("s", chord).unavailable(true)), 200, 40);
  auto* recorder = static_cast<ShortcutRecorder*>(ui.root.get());
  const Rect r = recorder->get_rect();
  EXPECT_EQ(recorder->tooltip_at(r.center())->second, "Shortcut unavailable");
  EXPECT_FALSE(recorder->tooltip_at({r.x1, r.center().y}));
  EXPECT_FALSE(recorder->perform_key_action("orvo.key-action:record:", a11y::Activate{}));
  EXPECT_TRUE(recorder->perform_key_action("orvo.key-action:record:0/3", a11y::Activate{}));
  EXPECT_TRUE(recorder->is_capturing());
}

}  // namespace
}  // namespace orvo_ui
