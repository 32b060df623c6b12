#include "os_actions/os_release.h"

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"
#include "temp_tree.h"

namespace {

using os_actions::os_release::NameSearch;
using os_actions::os_release::pretty_name;

TEST(OsRelease, PrettyNameUnderBothSearches) {
  struct Case {
    const char* text;
    std::optional<std::string> first_non_empty;
    std::optional<std::string> first_line;
  };
  const Case cases[] = {
      {"NAME=Orvo\nPRETTY_NAME=\"Orvo 42\"\n", "Orvo 42", "Orvo 42"},
      {"  PRETTY_NAME='Orvo 42'  \r\n", "Orvo 42", "Orvo 42"},
      {"PRETTY_NAME=\"'Orvo'\"", "Orvo", "Orvo"},            // double quotes first, then single
      {"PRETTY_NAME='\"Orvo\"'", "\"Orvo\"", "\"Orvo\""},  // inner double quotes stay
      {"PRETTY_NAME=\"\"\nPRETTY_NAME=Later\n", "Later", std::nullopt},
      {"PRETTY_NAME=First\nPRETTY_NAME=Second", "First", "First"},
      {"# PRETTY_NAME=Commented\nNAME=Orvo\n", std::nullopt, std::nullopt},
      {"pretty_name=lower\n", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pretty_name(c.text, NameSearch::FirstNonEmpty), c.first_non_empty) << c.text;
    EXPECT_EQ(pretty_name(c.text, NameSearch::FirstLine), c.first_line) << c.text;
  }
}

TEST(OsRelease, ReadsTheFileUnderTheSystemRoot) {
  os_actions_testing::TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  EXPECT_EQ(os_actions::os_release::read_pretty_name(NameSearch::FirstNonEmpty), std::nullopt);  // no file
  tree.write("etc/os-release", "PRETTY_NAME=\"Orvo \xFF\"\n");
  EXPECT_EQ(os_actions::os_release::read_pretty_name(NameSearch::FirstLine), "Orvo \xEF\xBF\xBD");
}

}  // namespace
