// The application started offscreen and driven from outside: an operation handed to a page that
// cannot carry it out ends at once, and the runner is free for the next one.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "../../door/child_process.h"

namespace settings::panes::testing {
namespace {

using door_tests::ChildProcess;
using door_tests::environment_with;
using door_tests::read_file;

struct Home {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/orvo-handover-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  ~Home() { std::filesystem::remove_all(dir); }
};

TEST(HandOverEndToEnd, AnOperationThePageCannotCarryOutEndsAtOnce) {
  Home home;
  const auto runtime = home.dir / "runtime";
  const auto config = home.dir / "config";
  std::filesystem::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  std::filesystem::create_directories(config / "orvo");
  std::ofstream(config / "orvo/settings.json") << R"({"input": {"tap_to_click": false}})";
  std::filesystem::create_directories(home.dir / "state");
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"ORVO_UI_SCRIPT", std::nullopt},
                                     {"ORVO_UI_PNG", std::nullopt},
                                     {"ORVO_UI_STATE", (home.dir / "state.json").native()},
                                     {"XDG_RUNTIME_DIR", runtime.native()},
                                     {"XDG_CONFIG_HOME", config.native()},
                                     {"XDG_STATE_HOME", (home.dir / "state").native()},
                                     {"HOME", home.dir.native()}});
  std::filesystem::create_directories(home.dir / "app");
  ChildProcess app(ORVO_SETTINGS, {}, env, home.dir / "app");
  ASSERT_TRUE(app.started());
  const auto socket = runtime / "so.orvo.settings.actions.sock";
  for (int i = 0; i < 600 && !std::filesystem::exists(socket); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(std::filesystem::exists(socket)) << app.err();

  struct ToolRun {
    std::optional<int> status;
    std::string out;
    std::string err;
  };
  auto tool = [&](const std::vector<std::string>& args) {
    std::filesystem::create_directories(home.dir / "tool");
    ChildProcess run(ORVO_SETTINGS_ACTIONS, args, env, home.dir / "tool");
    auto status = run.wait();
    return ToolRun{status, run.out(), run.err()};
  };

  // The sound page is the generic page: nothing there takes the operation.
  const auto started = std::chrono::steady_clock::now();
  ToolRun muted = tool({"--timeout", "10", "invoke", "settings.section:sound", "muted", R"({"value":true})"});
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(muted.status, 1) << muted.out;
  EXPECT_NE(muted.err.find("This page cannot carry out this operation."), std::string::npos) << muted.err;
  EXPECT_LT(took, std::chrono::seconds(2)) << "ends at once, not when the caller gives up";

  ToolRun tap = tool({"invoke", "settings.section:mouse_keyboard", "tap-to-click", R"({"value":true})"});
  EXPECT_EQ(tap.status, 0) << tap.err;
  EXPECT_EQ(tap.out, "tap to click updated\n");
  auto prefs = nlohmann::json::parse(read_file(config / "orvo/settings.json"));
  EXPECT_EQ(prefs["input"]["tap_to_click"], true) << prefs.dump();

  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
}

}  // namespace
}  // namespace settings::panes::testing
