// The application started offscreen and driven from outside: an operation its page ends at once
// (here with a refusal: no disk tool is installed) frees the runner for the next one.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "../../door/offscreen_app.h"

namespace settings::panes::testing {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
using door_tests::read_file;

TEST(HandOverEndToEnd, AnOperationThatEndsAtOnceFreesTheRunner) {
  OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tool = [&](const std::vector<std::string>& args) { return app.tool(args); };

  const auto started = std::chrono::steady_clock::now();
  ToolRun disks = tool({"--timeout", "10", "invoke", "settings.section:storage", "open-disks"});
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(disks.status, 1) << disks.out;
  EXPECT_NE(disks.err.find("Disks is not installed"), std::string::npos) << disks.err;
  EXPECT_LT(took, std::chrono::seconds(2)) << "ends at once, not when the caller gives up";

  ToolRun tap = tool({"invoke", "settings.section:mouse_keyboard", "tap-to-click", R"({"value":true})"});
  EXPECT_EQ(tap.status, 0) << tap.err;
  EXPECT_EQ(tap.out, "tap to click updated\n");
  auto prefs = nlohmann::json::parse(read_file(app.settings_file()));
  EXPECT_EQ(prefs["input"]["tap_to_click"], true) << prefs.dump();

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::testing
