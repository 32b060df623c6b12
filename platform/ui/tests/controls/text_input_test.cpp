#include "orvo_ui/widgets/text_input.h"

#include <gtest/gtest.h>

#include "control_harness.h"

namespace orvo_ui {
namespace {

struct Page {
  PublishedCell<std::string> name{std::string("Ada")};
  PublishedCell<std::string> secret{std::string()};
  TextInput* name_field = nullptr;
  TextInput* secret_field = nullptr;

  std::unique_ptr<Widget> build() {
    auto column = std::make_unique<Column>();
    auto name_input = std::make_unique<TextInput>(
        TextInput::from_state(name).with_id("accounts.form.name").with_label("Display name").with_kind(1));
    auto secret_input = std::make_unique<TextInput>(
        TextInput::from_state(secret).with_id("accounts.form.password").with_placeholder("Password").with_kind(9));
    name_field = name_input.get();
    secret_field = secret_input.get();
    column->push(std::move(name_input));
    column->push(std::move(secret_input));
    return column;
  }
};

TEST(TextInput, TypingIntoTheFocusedFieldPublishesEveryEdit) {
  Page page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.name_field);
  ASSERT_TRUE(page.name_field->has_focus());
  EXPECT_EQ(page.name_field->caret(), 3u) << "editing starts at the end of the cell's text";

  ui.type("!");
  EXPECT_EQ(page.name.snapshot(), "Ada!");
  EXPECT_EQ(page.name.version(), 1u);
  ui.key(NamedKey::Home);
  ui.type("é");
  EXPECT_EQ(page.name.snapshot(), "éAda!");
  EXPECT_EQ(page.name.version(), 2u);
  auto review = page.name_field->text_review();
  ASSERT_TRUE(review);
  EXPECT_EQ(review->caret_byte, 2u) << "the caret is counted in bytes: é is two";
  EXPECT_EQ(review->text, "éAda!");

  ui.key(NamedKey::Backspace);  // removes the whole two-byte é
  EXPECT_EQ(page.name.snapshot(), "Ada!");
  ui.key(NamedKey::End);
  ui.key(NamedKey::Left);
  ui.key(NamedKey::Delete);
  EXPECT_EQ(page.name.snapshot(), "Ada");
  EXPECT_EQ(page.name.version(), 4u);
}

TEST(TextInput, EditingStopsAtTheFieldEdgesWithoutPublishing) {
  Page page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.name_field);
  ui.key(NamedKey::Delete);  // caret at the end
  ui.key(NamedKey::Home);
  ui.key(NamedKey::Backspace);
  ui.key(NamedKey::Left);
  EXPECT_EQ(page.name.version(), 0u);
  EXPECT_EQ(page.name_field->caret(), 0u);
}

TEST(TextInput, UnfocusedFieldIgnoresTypingAndFollowsTheCell) {
  Page page;
  testing::ControlHarness ui(page.build());
  ui.type("x");
  EXPECT_EQ(page.name.snapshot(), "Ada");
  page.name.publish("Grace");
  ui.loop.frame({});
  EXPECT_EQ(page.name_field->shown_text(), "Grace");

  ui.click(*page.name_field);
  ui.click(*page.secret_field);  // focus moves on: the first field drops its working copy
  EXPECT_FALSE(page.name_field->has_focus());
  EXPECT_TRUE(page.secret_field->has_focus());
  EXPECT_EQ(page.name_field->caret(), 0u);
  EXPECT_EQ(page.name.snapshot(), "Grace");
}

TEST(TextInput, SecretFieldsPublishButNeverReadOut) {
  Page page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.secret_field);
  ui.type("hunter2");
  EXPECT_EQ(page.secret.snapshot(), "hunter2");
  auto review = page.secret_field->text_review();
  ASSERT_TRUE(review);
  EXPECT_EQ(review->text, std::nullopt);
  EXPECT_FALSE(page.secret_field->accessibility()->value);
  EXPECT_EQ(page.secret_field->get_state(), std::nullopt);
}

TEST(TextInput, OutsideChangeWhileEditingIsPickedUp) {
  Page page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.name_field);
  page.name.publish("Lovelace");
  ui.loop.frame({});
  ui.type("!");
  EXPECT_EQ(page.name.snapshot(), "Lovelace!");
}

TEST(TextInput, AnswersIdsFocusAndCursorFromItsFlags) {
  PublishedCell<std::string> cell;
  auto plain = TextInput::from_state(cell);
  EXPECT_EQ(plain.widget_id(), "text_input");
  EXPECT_EQ(plain.input_kind(), 0);
  auto off = TextInput::from_state(cell).with_id("f").disabled(true);
  EXPECT_FALSE(off.is_focusable());
  EXPECT_EQ(off.cursor_at({0, 0}), std::nullopt);

  struct Nothing final : ActionAvailability {
    bool is_available(const ControlActionBinding&) const override { return false; }
  };
  auto bound = TextInput::from_state(cell).with_binding({"search", {std::pair{"settings", "search"}}});
  EXPECT_TRUE(bound.is_focusable());
  bound.refresh_control_action_availability(Nothing{});
  EXPECT_FALSE(bound.is_focusable());
}

}  // namespace
}  // namespace orvo_ui
