// The application started offscreen beside the stand-in compositor, and driven from outside with
// the developer tool: the desktop scale is saved, an output change is staged, applied and kept.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../../door/offscreen_app.h"
#include "orvo_runtime/system_paths.h"
#include "settings_store/display_config.h"
#include "settings_store/display_transaction.h"

namespace settings::panes::display::testing {
namespace {

using door_tests::ToolRun;
namespace hw = settings_store::hardware;

TEST(DisplayPaneEndToEnd, ScaleSavedThenAnOutputChangeAppliedAndKept) {
  door_tests::OffscreenApp app;
  const auto env = door_tests::environment_with(
      {{"XDG_RUNTIME_DIR", app.runtime().native()}, {"XDG_CONFIG_HOME", app.config().native()}});
  std::filesystem::create_directories(app.home() / "standin");
  door_tests::ChildProcess stand_in(ORVO_DISPLAY_STANDIN, {"eDP-1:1920x1080:builtin", "HDMI-A-1:3840x2160"}, env,
                                    app.home() / "standin");
  // This process reads the application's files as the application does.
  system_paths::ScopedOverride paths(app.home(), app.config(), app.runtime());
  for (int i = 0; i < 500 && !hw::DisplayTransaction::service_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(hw::DisplayTransaction::service_running()) << stand_in.err();
  ASSERT_TRUE(app.start()) << app.process().err();

  const auto invoke = [&](std::string address, std::string action, std::string payload = {}) {
    std::vector<std::string> args{"--timeout", "20", "invoke", std::move(address), std::move(action)};
    if (!payload.empty()) args.push_back(std::move(payload));
    return app.tool(args);
  };
  ToolRun scale = invoke("settings.section:displays", "scale", R"({"choice":"125%"})");
  EXPECT_EQ(scale.status, 0) << scale.err;
  EXPECT_EQ(scale.out, "Display scale set to 125%.\n") << scale.err;
  const auto saved = nlohmann::json::parse(std::ifstream(app.settings_file()));
  EXPECT_EQ(saved["display"]["scale"], 1.25);

  ToolRun staged = invoke("settings.display-output:HDMI-A-1", "scale", R"({"choice":"150%"})");
  EXPECT_EQ(staged.status, 0) << staged.err;
  EXPECT_EQ(staged.out, "Display change staged. Apply it to preview the new configuration.\n") << staged.err;
  ToolRun applied = invoke("settings.section:displays", "apply");
  EXPECT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(applied.out, "Display change is being tested. Keep it within 15 seconds or it will be restored.\n")
      << applied.err;
  ToolRun kept;
  for (int i = 0; i < 50; ++i) {  // Keep is accepted once the compositor has the change on trial
    kept = invoke("settings.section:displays", "confirm");
    if (kept.status == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.out, "Display changes kept.\n") << kept.err;

  // The stand-in writes the configuration in force once the change is kept.
  std::optional<hw::DisplayConfig> in_force;
  for (int i = 0; i < 250; ++i) {
    auto loaded = hw::DisplayConfig::load();
    if (loaded && loaded->outputs.contains("HDMI-A-1")) {
      in_force = *loaded;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(in_force.has_value());
  EXPECT_EQ(in_force->outputs.at("HDMI-A-1").scale, 1.5);

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::display::testing
