// Editing a text field from the keyboard: selection, word steps, deletion and replacement, checked
// as script lines a user's keys would give, with the text, caret and selection they leave.
#include <gtest/gtest.h>

#include "control_harness.h"
#include "orvo_json/utf8.h"
#include "orvo_secret/secret_buffer.h"
#include "orvo_ui/launch.h"
#include "orvo_ui/widgets/text_input.h"

namespace orvo_ui {
namespace {

struct EditCase {
  const char* name;
  std::string before;  // editing starts with the caret at its end
  std::string script;
  std::string after;
  std::size_t caret;
  std::size_t anchor;
  std::uint8_t kind = text_input_kind::kPlain;
};

class TextEditing : public ::testing::TestWithParam<EditCase> {};

TEST_P(TextEditing, KeysLeaveTextCaretAndSelection) {
  const EditCase& c = GetParam();
  PublishedCell<std::string> cell{c.before};
  auto owned = std::make_unique<TextInput>(TextInput::from_state(cell).with_kind(c.kind));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  ui.click(field);
  ui.key(NamedKey::End);
  auto steps = launch::parse_script(c.script);
  ASSERT_TRUE(steps) << steps.error();
  for (const auto& step : *steps) ui.send(std::get<launch::step::Deliver>(step).event);
  EXPECT_EQ(field.shown_text(), c.after);
  EXPECT_EQ(cell.snapshot(), c.after);
  EXPECT_EQ(field.caret(), c.caret);
  EXPECT_EQ(field.anchor(), c.anchor);
  EXPECT_TRUE(orvo_json::utf8::is_valid(field.shown_text()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEditing,
    ::testing::Values(
        EditCase{"select_all_then_type_replaces", "hello world", "key ctrl+a\ntext x", "x", 1, 1},
        EditCase{"select_all_then_backspace_empties", "hello world", "key ctrl+a\nkey backspace", "", 0, 0},
        EditCase{"shift_home_selects_to_the_start", "hello", "key shift+home", "hello", 0, 5},
        EditCase{"shift_left_over_multibyte", "a\xC3\xB1" "b", "key shift+left\nkey shift+left", "a\xC3\xB1" "b", 1, 4},
        EditCase{"typing_replaces_a_multibyte_selection", "a\xC3\xB1" "b", "key shift+left\nkey shift+left\ntext \xC3\xA9",
                 "a\xC3\xA9", 3, 3},
        EditCase{"shift_end_from_the_start", "abc", "key home\nkey shift+right\nkey shift+end", "abc", 3, 0},
        EditCase{"left_collapses_a_selection_to_its_start", "abc", "key ctrl+a\nkey left", "abc", 0, 0},
        EditCase{"right_collapses_a_selection_to_its_end", "abc", "key home\nkey shift+right\nkey right", "abc", 1, 1},
        EditCase{"delete_removes_the_selection", "abcdef", "key home\nkey shift+right\nkey shift+right\nkey delete",
                 "cdef", 0, 0},
        EditCase{"ctrl_backspace_deletes_a_word", "hello brave world", "key ctrl+backspace", "hello brave ", 12, 12},
        EditCase{"ctrl_backspace_takes_the_spaces_before_too", "hello brave world",
                 "key ctrl+backspace\nkey ctrl+backspace", "hello ", 6, 6},
        EditCase{"ctrl_backspace_multibyte_word", "d\xC3\xAD" "a m\xC3\xA1s", "key ctrl+backspace", "d\xC3\xAD" "a ",
                 5, 5},
        EditCase{"ctrl_left_steps_to_word_starts", "one two three", "key ctrl+left\nkey ctrl+left", "one two three", 4,
                 4},
        EditCase{"ctrl_right_steps_to_word_ends", "one two three", "key home\nkey ctrl+right\nkey ctrl+right",
                 "one two three", 7, 7},
        EditCase{"ctrl_shift_left_selects_a_word", "abc def", "key ctrl+shift+left\nkey backspace", "abc ", 4, 4},
        EditCase{"ctrl_delete_deletes_the_next_word", "foo bar", "key home\nkey ctrl+delete", " bar", 0, 0},
        EditCase{"secret_ctrl_backspace_clears_before_the_caret", "pass word", "key ctrl+backspace", "", 0, 0,
                 text_input_kind::kPassword},
        EditCase{"secret_ctrl_left_goes_to_the_start", "pass word", "key ctrl+left", "pass word", 0, 0,
                 text_input_kind::kPassword}),
    [](const auto& info) { return std::string(info.param.name); });

// A secret bound to a SecretBuffer edits by the same rules; its words are not told apart.
TEST(TextEditing, ASecretBufferFieldKeepsTheSameRules) {
  auto buffer = orvo_secret::SecretBuffer::make();
  auto owned = std::make_unique<TextInput>(TextInput::from_secret(buffer).with_max_bytes(8));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  ui.click(field);
  ui.type("p\xC3\xA4ss w");
  ui.type("\xC0xyz");  // U+FFFD takes three of the two bytes left: nothing fits
  EXPECT_EQ(buffer->copy().view(), "p\xC3\xA4ss w");
  ui.key(NamedKey::Left, Modifiers{true, false, false, false});
  ui.key(NamedKey::Left, Modifiers{true, false, false, false});
  ui.type("\xC3\xA9");
  EXPECT_EQ(buffer->copy().view(), "p\xC3\xA4ss\xC3\xA9");
  ui.key(NamedKey::Backspace, Modifiers{false, true, false, false});
  EXPECT_EQ(buffer->copy().view(), "");
  EXPECT_EQ(field.caret(), 0u);
}

TEST(TextEditingView, TheCaretStaysInViewWhileTypingPastTheFieldsWidth) {
  PublishedCell<std::string> cell;
  auto owned = std::make_unique<TextInput>(TextInput::from_state(cell));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  ui.click(field);
  for (int i = 0; i < 300; ++i) ui.type("w");
  ASSERT_EQ(cell.snapshot().size(), 300u);
  const Rect box = field.get_rect();
  auto caret = field.ime_cursor_rect();
  ASSERT_TRUE(caret);
  EXPECT_GT(field.scroll_offset(), 0);
  EXPECT_GE(caret->x0, box.x0);
  EXPECT_LE(caret->x1, box.x1);
  EXPECT_GT(caret->x0, box.center().x) << "at the end the caret sits at the right, not back at the start";

  ui.key(NamedKey::Home);
  caret = field.ime_cursor_rect();
  EXPECT_EQ(field.scroll_offset(), 0);
  EXPECT_LT(caret->x0, box.center().x);
}

}  // namespace
}  // namespace orvo_ui
