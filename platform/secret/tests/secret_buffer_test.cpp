#include "orvo_secret/secret_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <thread>
#include <vector>

namespace {

using orvo_secret::SecretBuffer;

bool all_zero(std::span<const char> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

TEST(SecretBuffer, TakeHandsOverACopyAndLeavesZerosBehind) {
  SecretBuffer buffer("correct horse");
  const std::uint64_t before = buffer.generation();
  orvo_secret::SecretString taken = buffer.take();
  EXPECT_EQ(taken.view(), "correct horse");
  EXPECT_TRUE(buffer.empty());
  EXPECT_GT(buffer.generation(), before);
  ASSERT_FALSE(buffer.storage_for_testing().empty()) << "the wiped storage is kept, so it can be checked";
  EXPECT_TRUE(all_zero(buffer.storage_for_testing()));

  // A take of an empty buffer is an empty copy, not an error.
  EXPECT_TRUE(buffer.take().empty());
}

TEST(SecretBuffer, EmptyingWipesInPlaceAndCopiesLeaveTheBufferAlone) {
  SecretBuffer buffer;
  buffer.assign("1234");
  EXPECT_EQ(buffer.copy().view(), "1234");
  EXPECT_EQ(buffer.size(), 4u);
  EXPECT_EQ(buffer.with_text([](std::string_view text) { return text.size(); }), 4u);

  buffer.assign("");
  EXPECT_TRUE(buffer.empty());
  EXPECT_TRUE(all_zero(buffer.storage_for_testing()));

  buffer.assign("5678");
  buffer.clear();
  EXPECT_TRUE(all_zero(buffer.storage_for_testing()));
}

TEST(SecretBuffer, DestructionWipesTheStorageBeforeItIsFreed) {
  std::vector<char> seen;
  std::size_t text_size = 0;
  {
    auto buffer = std::make_shared<SecretBuffer>("hunter2 hunter2");
    auto shared = buffer;  // a pane and its field share the buffer; the last owner destroys it
    text_size = buffer->size();
    buffer->on_destroy_for_testing([&](std::span<const char> storage) { seen.assign(storage.begin(), storage.end()); });
    buffer.reset();
    EXPECT_TRUE(seen.empty()) << "still shared";
  }
  ASSERT_GE(seen.size(), text_size);
  EXPECT_TRUE(all_zero(seen));
}

TEST(SecretBuffer, EditsFromAnotherThreadAreNeverTornOrLostByATake) {
  auto buffer = SecretBuffer::make();
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) buffer->assign(i % 2 ? "abcdefgh" : "12345678");
  });
  for (int i = 0; i < 2000; ++i) {
    auto taken = buffer->take();
    EXPECT_TRUE(taken.empty() || taken.view() == "abcdefgh" || taken.view() == "12345678");
  }
  writer.join();
}

}  // namespace
