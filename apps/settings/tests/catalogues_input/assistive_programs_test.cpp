#include "catalogues/queries/assistive_programs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "orvo_testing/temp_dir.h"

namespace settings::actions::assistive {
namespace {

using orvo_testing::TempDir;

TEST(AssistivePrograms, TheScreenReaderEngineIsARegularFileOnTheSearchPath) {
  const TempDir tree;
  tree.write("a/espeak-ng", "");
  tree.write("b/speech-dispatcher", "");
  std::filesystem::create_directories(tree.root() / "c/speech-dispatcher");  // a directory does not count
  const std::string a = (tree.root() / "a").string();
  const std::string b = (tree.root() / "b").string();
  const std::string c = (tree.root() / "c").string();
  struct Case {
    std::optional<std::string> path;
    std::optional<std::string> engine;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt},
      {"", std::nullopt},
      {c, std::nullopt},
      {a, "eSpeak NG"},
      {"::" + c + ":" + a, "eSpeak NG"},
      // Speech Dispatcher is preferred wherever it sits on the path.
      {a + ":" + b, "Speech Dispatcher"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path.value_or("<unset>"));
    const auto path = test.path ? std::optional<std::string_view>(*test.path) : std::nullopt;
    EXPECT_EQ(screen_reader_engine(path), test.engine);
  }
}

TEST(AssistivePrograms, TheOnScreenKeyboardIsAStartableApplicationEntry) {
  const std::string startable = "[Desktop Entry]\nType=Application\nName=Keyboard\nExec=/usr/libexec/orvo-osk\n";
  struct Case {
    const char* what;
    const char* user_entry;    // null: no entry in the user's directory
    const char* system_entry;  // null: no entry in the system directory
    bool installed;
  };
  const Case cases[] = {
      {"system entry", nullptr, startable.c_str(), true},
      {"no entry", nullptr, nullptr, false},
      {"hidden by the user's entry", "[Desktop Entry]\nType=Application\nExec=osk\nHidden=true\n", startable.c_str(),
       false},
      {"no program to run", nullptr, "[Desktop Entry]\nType=Application\nExec=\n", false},
      {"not an application", nullptr, "[Desktop Entry]\nType=Link\nExec=osk\n", false},
      {"keys of another group", nullptr, "[Desktop Entry]\nType=Application\n[Desktop Action x]\nExec=osk\n", false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    const TempDir tree;
    const std::vector<std::filesystem::path> dirs{tree.root() / "user", tree.root() / "system"};
    if (test.user_entry != nullptr) tree.write("user/applications/so.orvo.osk.desktop", test.user_entry);
    if (test.system_entry != nullptr) tree.write("system/applications/so.orvo.osk.desktop", test.system_entry);
    EXPECT_EQ(on_screen_keyboard_installed({}, dirs), test.installed);
  }
}

}  // namespace
}  // namespace settings::actions::assistive
