// The application started offscreen and driven from outside through the developer tool: a
// device-local operation carried out by the root reaches the preferences file, and one that no pane
// finishes is cancelled and leaves the runner free.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <fstream>
#include <thread>

#include "../door/offscreen_app.h"

namespace settings::device_local {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
using door_tests::read_file;

TEST(EndToEnd, OperationsInvokedFromOutsideEndAndTheRunnerStaysFree) {
  OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tool = [&](const std::vector<std::string>& args) { return app.tool(args); };

  // A device-mesh operation, handed to its own cell, ends through its page.
  ToolRun mesh = tool({"--timeout", "10", "invoke", "settings.section:devices_sync", "continuity-clipboard",
                       R"({"value":true})"});
  EXPECT_EQ(mesh.status, 0) << mesh.err;
  EXPECT_EQ(mesh.out, "Device & Sync settings saved on this device\n") << mesh.err;

  ToolRun tap = tool({"invoke", "settings.section:mouse_keyboard", "tap-to-click", R"({"value":true})"});
  EXPECT_EQ(tap.status, 0) << tap.err;
  EXPECT_EQ(tap.out, "tap to click updated\n");
  auto prefs = nlohmann::json::parse(read_file(app.settings_file()));
  EXPECT_EQ(prefs["input"]["tap_to_click"], true) << prefs.dump();

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::device_local
