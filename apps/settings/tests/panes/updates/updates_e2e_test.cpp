// The application started offscreen with stand-ins for the system's update programs, driven from
// outside through the developer tool.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "../../door/offscreen_app.h"
#include "harness/stub_programs.h"

namespace settings::panes::testing {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
using door_tests::read_file;

TEST(UpdatesEndToEnd, CheckAndRestartFromOutside) {
  OffscreenApp app;
  StubPrograms stubs(app.home() / "stubs");
  stubs.answer("systemctl", "");
  stubs.answer("bootc", R"({"status":{"staged":{"version":"43.1"}}})");
  stubs.answer("journalctl", "");
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tool = [&](const std::vector<std::string>& args) { return app.tool(args); };
  auto count = [&](std::string_view line) {
    const auto log = stubs.log();
    return std::count(log.begin(), log.end(), line);
  };

  ToolRun check = tool({"--timeout", "30", "invoke", "settings.section:updates", "check"});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, "update check finished\n") << check.err;
  EXPECT_EQ(count("systemctl start --wait orvo-deployment-update.service"), 1);
  auto prefs = nlohmann::json::parse(read_file(app.settings_file()));
  EXPECT_NE(prefs["updates"]["last_checked"], "Never") << prefs.dump();
  EXPECT_EQ(prefs["input"]["tap_to_click"], false) << prefs.dump();

  for (int i = 0; i < 2; ++i) {
    ToolRun restart = tool({"--timeout", "10", "invoke", "settings.section:updates", "restart"});
    EXPECT_EQ(restart.status, 0) << restart.err;
    EXPECT_EQ(restart.out, "restart command accepted by the system\n") << restart.err;
  }
  EXPECT_EQ(count("systemctl reboot"), 1);

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::testing
