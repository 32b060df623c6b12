// The application started offscreen and driven from outside: shortcut changes with the page open
// and closed reach shortcuts.json, a chord that does not parse leaves the file as it was, the vim
// flag reaches desktop-controls.json, and a new start offers to turn it off.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "../../door/offscreen_app.h"

namespace settings::panes::keyboard_shortcuts {
namespace {

using Json = nlohmann::json;

std::string file_text(const door_tests::OffscreenApp& app, const char* name) {
  const auto path = app.config() / "orvo" / name;
  return std::filesystem::exists(path) ? door_tests::read_file(path) : std::string();
}

TEST(KeyboardShortcutsEndToEnd, AChordRecordedInTheWindowIsSavedInItsCanonicalForm) {
  door_tests::OffscreenApp app("{}");
  // The search field finds the section; at 1280x800 the lock recorder sits at the right of the
  // third row of the "System" card.
  ASSERT_EQ(app.run_script("click 130 26\ntext shortcuts\nframes 2\nclick 120 99\nframes 5\n"
                           "click 1160 289\nframes 2\nkey ctrl+alt+super+l\nframes 5\n"),
            0)
      << app.process().err();
  EXPECT_EQ(Json::parse(file_text(app, "shortcuts.json"))["bindings"]["2"], "Super+Ctrl+Alt+L")
      << file_text(app, "shortcuts.json");
}

TEST(KeyboardShortcutsEndToEnd, ChangesFromOutsideReachTheFilesAndSurviveARestart) {
  door_tests::OffscreenApp app(R"({"foreign": {"kept": true}})");
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto invoke = [&](std::string action, std::string args = {}) {
    std::vector<std::string> command{"invoke", "settings.section:keyboard_shortcuts", std::move(action)};
    if (!args.empty()) command.push_back(std::move(args));
    return app.tool(command);
  };

  // The page is open.
  ASSERT_EQ(invoke("open").status, 0);
  auto lock = invoke("lock", R"({"choice":"Super+Ctrl+Alt+L"})");
  ASSERT_EQ(lock.status, 0) << lock.err;
  ASSERT_EQ(app.tool({"tree"}).status, 0);  // a later round trip: the page's pass has run
  EXPECT_EQ(Json::parse(file_text(app, "shortcuts.json"))["bindings"]["2"], "Super+Ctrl+Alt+L")
      << file_text(app, "shortcuts.json");
  const std::string before = file_text(app, "shortcuts.json");
  invoke("lock", R"({"choice":"Super+Nope"})");
  ASSERT_EQ(app.tool({"tree"}).status, 0);
  EXPECT_EQ(file_text(app, "shortcuts.json"), before);

  // The page is closed: the write-through keeps the value by the time the invocation answers.
  ASSERT_EQ(app.tool({"invoke", "settings.section:appearance", "open"}).status, 0);
  auto search = invoke("search", R"({"choice":"Super+Ctrl+Alt+K"})");
  ASSERT_EQ(search.status, 0) << search.err;
  EXPECT_EQ(Json::parse(file_text(app, "shortcuts.json"))["bindings"]["0"], "Super+Ctrl+Alt+K");
  auto vim = invoke("vim-mode");
  ASSERT_EQ(vim.status, 0) << vim.err;
  EXPECT_EQ(Json::parse(file_text(app, "desktop-controls.json"))["vim_mode"], true);

  // A new start reads the flag back.
  app.process().signal(SIGTERM);
  ASSERT_TRUE(app.process().wait());
  std::filesystem::remove(app.runtime() / "so.orvo.settings.actions.sock");
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tree = app.tool({"tree"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  EXPECT_NE(tree.out.find("Turn off Vim-style desktop navigation"), std::string::npos);
  EXPECT_EQ(Json::parse(door_tests::read_file(app.settings_file()))["foreign"]["kept"], true);
}

}  // namespace
}  // namespace settings::panes::keyboard_shortcuts
