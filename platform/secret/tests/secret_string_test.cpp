#include "orvo_secret/secret_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

namespace {

using orvo_secret::SecretString;

static_assert(!std::is_copy_constructible_v<SecretString>);
static_assert(!std::is_convertible_v<SecretString, std::string>);
static_assert(!std::is_convertible_v<std::string_view, SecretString>);

TEST(SecretString, ReassignmentWipesTheOldBytesInPlace) {
  SecretString secret("correct horse battery staple");
  const char* buffer = secret.data();
  secret.assign("ab");
  ASSERT_EQ(secret.data(), buffer);  // same buffer, so the old tail is still ours to inspect
  EXPECT_EQ(secret.view(), "ab");
  for (std::size_t i = 2; i < 28; ++i) EXPECT_EQ(buffer[i], '\0') << "byte " << i;
}

TEST(SecretString, CloneIsIndependentAndMoveEmptiesTheSource) {
  SecretString original("hunter2");
  SecretString copy = original.clone();
  original.assign("changed");
  EXPECT_EQ(copy.view(), "hunter2");

  SecretString moved(std::move(copy));
  EXPECT_EQ(moved.view(), "hunter2");
  EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_STREQ(copy.data(), "");

  SecretString target("old");
  target = std::move(moved);
  EXPECT_EQ(target.view(), "hunter2");
  EXPECT_TRUE(moved.empty());  // NOLINT(bugprone-use-after-move)
}

TEST(SecretString, AppendGrowsAndKeepsTheTextIncludingItsOwnBytes) {
  SecretString text;
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    text.append("user:");
    text.append('x');
    expected += "user:x";
  }
  EXPECT_EQ(text.view(), expected);
  EXPECT_EQ(std::strlen(text.c_str()), text.size());  // NUL-terminated for C interfaces

  text.assign("abc");
  text.append(text.view());  // appending a view of itself must survive the reallocation
  EXPECT_EQ(text.view(), "abcabc");
  text.assign(text.view().substr(1));
  EXPECT_EQ(text.view(), "bcabc");
  text.clear();
  EXPECT_TRUE(text.empty());
}

TEST(SecretString, EqualityComparesContents) {
  EXPECT_EQ(SecretString("a b"), SecretString("a b"));
  EXPECT_FALSE(SecretString("a b") == SecretString("a c"));
  EXPECT_FALSE(SecretString("a") == SecretString("ab"));
  EXPECT_EQ(SecretString(), SecretString(""));
}

}  // namespace
