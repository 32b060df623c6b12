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
#include <sstream>
#include <thread>
#include <unistd.h>

#include "../../door/child_process.h"
#include "harness/stub_programs.h"

namespace settings::panes::testing {
namespace {

using door_tests::ChildProcess;
using door_tests::environment_with;
using door_tests::read_file;

// The processor time (user and system) the process has used so far, from /proc/<pid>/stat.
double cpu_seconds(pid_t pid) {
  const std::string stat = read_file(std::filesystem::path("/proc") / std::to_string(pid) / "stat");
  // The fields after the program's name (which may hold spaces) start with the state (field 3);
  // utime and stime are fields 14 and 15.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number == 14) utime = std::stoull(field);
    if (number == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Home {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/orvo-updates-e2e-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  ~Home() { std::filesystem::remove_all(dir); }
};

TEST(UpdatesEndToEnd, CheckAndRestartFromOutside) {
  Home home;
  StubPrograms stubs(home.dir / "stubs");
  stubs.answer("systemctl", "");
  stubs.answer("bootc", R"({"status":{"staged":{"version":"43.1"}}})");
  stubs.answer("journalctl", "");
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
  auto count = [&](std::string_view line) {
    const auto log = stubs.log();
    return std::count(log.begin(), log.end(), line);
  };

  ToolRun check = tool({"--timeout", "30", "invoke", "settings.section:updates", "check"});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, "update check finished\n") << check.err;
  EXPECT_EQ(count("systemctl start --wait orvo-deployment-update.service"), 1);
  auto prefs = nlohmann::json::parse(read_file(config / "orvo/settings.json"));
  EXPECT_NE(prefs["updates"]["last_checked"], "Never") << prefs.dump();
  EXPECT_EQ(prefs["input"]["tap_to_click"], false) << prefs.dump();

  // A check that takes the system two seconds costs the application next to no processor time:
  // the loop does not keep making frames while the worker waits.
  stubs.answer("systemctl", "", 0, "", 2);
  const double cpu_before = cpu_seconds(app.pid());
  ToolRun slow = tool({"--timeout", "30", "invoke", "settings.section:updates", "check"});
  const double cpu_used = cpu_seconds(app.pid()) - cpu_before;
  EXPECT_EQ(slow.status, 0) << slow.err;
  EXPECT_EQ(slow.out, "update check finished\n") << slow.err;
  EXPECT_EQ(count("systemctl start --wait orvo-deployment-update.service"), 2);
  std::cerr << "processor time of a 2-second check: " << cpu_used << " s\n";
  EXPECT_LT(cpu_used, 0.2);
  stubs.answer("systemctl", "");

  for (int i = 0; i < 2; ++i) {
    ToolRun restart = tool({"--timeout", "10", "invoke", "settings.section:updates", "restart"});
    EXPECT_EQ(restart.status, 0) << restart.err;
    EXPECT_EQ(restart.out, "restart command accepted by the system\n") << restart.err;
  }
  EXPECT_EQ(count("systemctl reboot"), 1);

  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
}

}  // namespace
}  // namespace settings::panes::testing
