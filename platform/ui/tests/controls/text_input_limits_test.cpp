// What a text field lets in: only valid UTF-8 (invalid parts become U+FFFD), no control
// characters, and never more than its byte cap, also when a character of several bytes meets it.
#include <gtest/gtest.h>

#include "control_harness.h"
#include "orvo_json/utf8.h"
#include "orvo_ui/widgets/text_input.h"

namespace orvo_ui {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

struct LimitCase {
  const char* name;
  std::size_t max_bytes;
  std::string before;  // the cell's text; the caret starts at its end
  std::vector<std::string> typed;
  std::string after;
};

class TextInputLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(TextInputLimits, TypedTextKeepsTheFieldsRules) {
  const LimitCase& c = GetParam();
  PublishedCell<std::string> cell{c.before};
  auto owned = std::make_unique<TextInput>(TextInput::from_state(cell).with_id("field").with_max_bytes(c.max_bytes));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  ui.click(field);
  for (const auto& text : c.typed) ui.type(text);
  EXPECT_EQ(cell.snapshot(), c.after);
  EXPECT_EQ(field.shown_text(), c.after);
  EXPECT_TRUE(orvo_json::utf8::is_valid(field.shown_text()));
  EXPECT_LE(field.caret(), field.shown_text().size());
  if (c.after == c.before) {
    EXPECT_EQ(cell.version(), 0u) << "nothing was published";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextInputLimits,
    ::testing::Values(
        LimitCase{"overlong_slash", 64, "", {"a\xC0\xAF" "b"}, "a" + kFffd + kFffd + "b"},
        LimitCase{"lone_continuation", 64, "ok", {"\x80"}, "ok" + kFffd},
        LimitCase{"cut_sequence", 64, "", {"\xE2\x82"}, kFffd},
        LimitCase{"cut_sequence_then_ascii", 64, "", {"\xE2\x82x"}, kFffd + "x"},
        LimitCase{"surrogate", 64, "", {"\xED\xA0\x80"}, kFffd + kFffd + kFffd},
        LimitCase{"beyond_u10ffff", 64, "", {"\xF4\x90\x80\x80"}, kFffd + kFffd + kFffd + kFffd},
        LimitCase{"controls_dropped", 64, "", {"a\nb\t\x7f" "c"}, "abc"},
        LimitCase{"valid_multibyte_kept", 64, "", {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
                  "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        LimitCase{"at_the_cap_nothing_changes", 8, "abcdefgh", {"i"}, "abcdefgh"},
        LimitCase{"past_the_cap_whole_characters_that_fit", 8, "abcdef", {"xyz"}, "abcdefxy"},
        LimitCase{"two_byte_character_one_byte_left", 8, "abcdefg", {"\xC3\xA9"}, "abcdefg"},
        LimitCase{"four_byte_character_three_left", 8, "abcde", {"\xF0\x9F\x98\x80"}, "abcde"},
        LimitCase{"multibyte_fills_the_cap_exactly", 8, "abcde", {"\xE2\x82\xAC"}, "abcde\xE2\x82\xAC"},
        LimitCase{"replacement_counts_three_bytes", 4, "ab", {"\xFF"}, "ab"},
        LimitCase{"typing_after_the_cap_was_met", 4, "", {"ab", "\xC3\xA9", "c"}, "ab\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextInputLimits, ASelectionAtTheCapIsReplacedAndAValueTooLongIsRefused) {
  PublishedCell<std::string> cell{std::string("abcdefgh")};
  auto owned = std::make_unique<TextInput>(TextInput::from_state(cell).with_max_bytes(8));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  ui.click(field);
  ui.send(event::Key{NamedKey::None, "a", true, Modifiers{false, true, false, false}});
  ui.type("\xE2\x82\xAC");
  EXPECT_EQ(cell.snapshot(), "\xE2\x82\xAC") << "typing replaces the selection; the cap counts what stays";

  EXPECT_FALSE(field.perform_action(a11y::SetValue{"123456789"}));
  EXPECT_EQ(cell.snapshot(), "\xE2\x82\xAC");
  EXPECT_TRUE(field.perform_action(a11y::SetValue{"a\xC0" "b"}));
  EXPECT_EQ(cell.snapshot(), "a" + kFffd + "b");
}

TEST(TextInputLimits, TextPutInTheCellFromElsewhereIsShownValid) {
  PublishedCell<std::string> cell{std::string("x\xFFy")};
  auto owned = std::make_unique<TextInput>(TextInput::from_state(cell));
  TextInput& field = *owned;
  testing::ControlHarness ui(std::move(owned));
  EXPECT_EQ(field.shown_text(), "x" + kFffd + "y");
  ui.click(field);
  ui.type("!");
  EXPECT_EQ(cell.snapshot(), "x" + kFffd + "y!");
}

}  // namespace
}  // namespace orvo_ui
