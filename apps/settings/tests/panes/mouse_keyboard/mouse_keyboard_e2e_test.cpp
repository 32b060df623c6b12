// The application started offscreen: the spell-checker switches clicked on the page, and the
// section's flips invoked from outside with the page closed and open. Each ends with the settings
// file's "text_assistance" section holding what the switch shows; another program's key stays.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include <string>

#include <nlohmann/json.hpp>

#include "../../door/offscreen_app.h"

namespace settings::panes::mouse_keyboard {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kSettings =
    R"({"input": {"keyboard_layout": "us", "keyboard_layouts": ["us", "de"]}, "foreign": {"kept": true}})";

// The search field finds the section; its result row opens the page at 1280x800, where the two
// switches sit at the right end of the spell-checker card.
constexpr std::string_view kOpenPage = "click 130 26\ntext mouse\nframes 2\nclick 120 143\nframes 5\n";
constexpr std::string_view kClickSpelling = "click 1217 404\nframes 5\n";
constexpr std::string_view kClickCorrection = "click 1217 458\nframes 5\n";

Json saved(const door_tests::OffscreenApp& app) { return Json::parse(door_tests::read_file(app.settings_file())); }

TEST(MouseKeyboardEndToEnd, ClicksSwitchBothOffAndOnAgain) {
  door_tests::OffscreenApp app(kSettings);
  ASSERT_EQ(app.run_script(std::string(kOpenPage) + std::string(kClickSpelling) + std::string(kClickCorrection)), 0)
      << app.process().err();
  EXPECT_EQ(saved(app)["text_assistance"], Json::parse(R"({"check_spelling": false, "auto_correct": false})"))
      << saved(app).dump();

  ASSERT_EQ(app.run_script(std::string(kOpenPage) + std::string(kClickSpelling) + std::string(kClickCorrection)), 0)
      << app.process().err();
  EXPECT_EQ(saved(app)["text_assistance"], Json::parse(R"({"check_spelling": true, "auto_correct": true})"))
      << saved(app).dump();
  EXPECT_EQ(saved(app)["foreign"]["kept"], true);
}

TEST(MouseKeyboardEndToEnd, FlipsFromOutsideReachTheSectionAndSurviveARestart) {
  door_tests::OffscreenApp app(kSettings);
  ASSERT_TRUE(app.start()) << app.process().err();
  // The page is closed: the write-through keeps the value.
  auto correct = app.tool({"invoke", "settings.section:mouse_keyboard", "auto-correct"});
  ASSERT_EQ(correct.status, 0) << correct.err;
  EXPECT_EQ(saved(app)["text_assistance"]["auto_correct"], false) << saved(app).dump();

  // The page is open: the pane takes the value too, and saves nothing twice.
  ASSERT_EQ(app.tool({"invoke", "settings.section:mouse_keyboard", "open"}).status, 0);
  auto spelling = app.tool({"invoke", "settings.section:mouse_keyboard", "spell-checking"});
  ASSERT_EQ(spelling.status, 0) << spelling.err;
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  EXPECT_EQ(saved(app)["text_assistance"]["check_spelling"], false) << saved(app).dump();
  EXPECT_EQ(saved(app)["text_assistance"]["auto_correct"], false);
  EXPECT_EQ(saved(app)["foreign"]["kept"], true);

  // A new start offers to turn both on again.
  app.process().signal(SIGTERM);
  ASSERT_TRUE(app.process().wait());
  std::filesystem::remove(app.runtime() / "so.orvo.settings.actions.sock");
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tree = app.tool({"tree"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  EXPECT_NE(tree.out.find("Turn on spell checking while typing"), std::string::npos);
  EXPECT_NE(tree.out.find("Turn on automatic spelling correction"), std::string::npos);
}

}  // namespace
}  // namespace settings::panes::mouse_keyboard
