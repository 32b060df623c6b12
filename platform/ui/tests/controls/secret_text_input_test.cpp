// The secret form of the text field: what is typed lives in the shared buffer and in wiping
// memory only, and no read-out of the field shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "control_harness.h"
#include "orvo_secret/secret_buffer.h"
#include "orvo_ui/widgets/text_input.h"

namespace orvo_ui {
namespace {

using orvo_secret::SecretBuffer;

bool all_zero(std::span<const char> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

struct SecretPage {
  std::shared_ptr<SecretBuffer> buffer = SecretBuffer::make();
  TextInput* field = nullptr;

  std::unique_ptr<Widget> build() {
    auto column = std::make_unique<Column>();
    auto input = std::make_unique<TextInput>(
        TextInput::from_secret(buffer).with_id("network.hotspot.password").with_placeholder("Password"));
    field = input.get();
    column->push(std::move(input));
    return column;
  }
};

void expect_nothing_reads_out(const TextInput& field, std::string_view secret) {
  EXPECT_EQ(field.input_kind(), text_input_kind::kPassword);
  EXPECT_FALSE(field.get_state().has_value());
  auto review = field.text_review();
  ASSERT_TRUE(review);
  EXPECT_FALSE(review->text.has_value());
  auto node = field.accessibility();
  ASSERT_TRUE(node);
  EXPECT_FALSE(node->value.has_value());
  EXPECT_EQ(field.shown_text().find(secret), std::string::npos);
}

TEST(SecretTextInput, TypingReachesTheBufferAndNoReadOut) {
  SecretPage page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.field);
  ASSERT_TRUE(page.field->has_focus());

  ui.type("pässw");
  ui.type("0rd");
  EXPECT_EQ(page.buffer->copy().view(), "pässw0rd");
  EXPECT_EQ(page.field->caret(), 8u) << "one caret stop per character";
  expect_nothing_reads_out(*page.field, "pässw0rd");

  ui.key(NamedKey::Home);
  ui.key(NamedKey::Right);
  ui.key(NamedKey::Delete);  // the two-byte ä goes as one character
  EXPECT_EQ(page.buffer->copy().view(), "pssw0rd");
  ui.key(NamedKey::End);
  ui.key(NamedKey::Backspace);
  EXPECT_EQ(page.buffer->copy().view(), "pssw0r");

  // Focus moves away and back: the field shows the buffer's text again, as bullets.
  page.field->set_focus(false);
  EXPECT_EQ(page.field->shown_text().size(), 6u);
  expect_nothing_reads_out(*page.field, "pssw0r");
}

TEST(SecretTextInput, AWipeByTheOwnerEmptiesTheFieldBeingEdited) {
  SecretPage page;
  testing::ControlHarness ui(page.build());
  ui.click(*page.field);
  ui.type("secret");
  auto taken = page.buffer->take();  // e.g. a join hands the password to its worker
  EXPECT_EQ(taken.view(), "secret");
  ui.loop.frame({});
  EXPECT_TRUE(page.field->shown_text().empty());
  ui.type("x");
  EXPECT_EQ(page.buffer->copy().view(), "x") << "typing starts again from the wiped buffer";
}

TEST(SecretTextInput, DroppingFieldAndBufferLeavesZeros) {
  std::vector<char> seen;
  {
    SecretPage page;
    testing::ControlHarness ui(page.build());
    ui.click(*page.field);
    ui.type("correct horse battery staple");
    page.buffer->on_destroy_for_testing([&](std::span<const char> storage) { seen.assign(storage.begin(), storage.end()); });
    page.buffer.reset();  // the field still holds it until the page goes
    EXPECT_TRUE(seen.empty());
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(all_zero(seen));
}

}  // namespace
}  // namespace orvo_ui
