// The application started offscreen: a chat application's mute chosen from input events only, and
// high contrast changed on the Appearance page while the Accessibility page was opened before and
// after.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "../../door/offscreen_app.h"
#include "orvo_testing/scoped_env.h"

namespace settings::panes::accessibility {
namespace {

// Points the user's data directory at `data` and keeps the system's own applications out of the
// lists while alive; the application started by the test inherits both.
class TemporaryDataDirs {
 public:
  TemporaryDataDirs(const std::filesystem::path& data, const std::filesystem::path& empty_system)
      : home_("XDG_DATA_HOME", data), dirs_("XDG_DATA_DIRS", empty_system) {
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(empty_system);
  }

 private:
  orvo_testing::ScopedEnv home_;
  orvo_testing::ScopedEnv dirs_;
};

std::int64_t now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

TEST(AppRulesEndToEnd, TheChatCardsMuteChosenByKeyboardReachesTheFile) {
  door_tests::OffscreenApp app(R"({"notifications":{"show_banners":true},"other":{"kept":true}})");
  const TemporaryDataDirs data(app.home() / "data", app.home() / "no-system-data");
  const auto applications = app.home() / "data/applications";
  std::filesystem::create_directories(applications);
  std::ofstream(applications / "org.example.chat.desktop")
      << "[Desktop Entry]\nType=Application\nName=Chat\nExec=chat\n";

  const std::int64_t before = now();
  ASSERT_EQ(app.run_script("click 130 26\ntext notifications\nkey enter\nframes 5\n"
                           "key shift+tab\nkey down\nframes 10\n"),
            0)
      << app.process().err();
  const std::int64_t after = now();

  const auto saved = nlohmann::json::parse(door_tests::read_file(app.settings_file()));
  const auto until = saved["notifications"]["per_app"]["org.example.chat"]["muted_until"];
  ASSERT_TRUE(until.is_number_integer()) << saved.dump();
  EXPECT_GE(until.get<std::int64_t>(), before + 3600);
  EXPECT_LE(until.get<std::int64_t>(), after + 3600);
  EXPECT_EQ(saved["other"]["kept"], true);
}

TEST(AccessibilityEndToEnd, HighContrastSetOnAppearanceSurvivesReopeningAccessibility) {
  door_tests::OffscreenApp app(R"({"appearance":{"theme":"Nord","high_contrast":false,"reduce_motion":false,)"
                               R"("text_scale":1.0,"ui_scale":1.0}})");
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto invoke = [&](std::string_view section, std::string_view action) {
    const auto run = app.tool({"invoke", "settings.section:" + std::string(section), std::string(action)});
    EXPECT_EQ(run.status, 0) << section << " " << action << ": " << run.err;
  };
  invoke("accessibility", "open");
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  invoke("appearance", "open");
  invoke("appearance", "high_contrast");
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  invoke("accessibility", "open");
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  ASSERT_EQ(app.stop(), 0) << app.process().err();

  const auto saved = nlohmann::json::parse(door_tests::read_file(app.settings_file()));
  EXPECT_EQ(saved["appearance"]["high_contrast"], true) << saved.dump();
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
}

}  // namespace
}  // namespace settings::panes::accessibility
