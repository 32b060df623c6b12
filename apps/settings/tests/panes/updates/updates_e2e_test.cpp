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

#include "../../door/offscreen_app.h"
#include "harness/stub_programs.h"

namespace settings::panes::testing {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
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

  // A check that takes the system two seconds costs the application little more processor time than
  // one it answers at once followed by as long a quiet wait: the loop does not keep making frames while
  // the worker waits. Both pay for starting the programs, the door's traffic and the frames at either
  // end; a frame every 50 ms for two seconds costs several times that whole bill on any machine, which
  // a fixed number of seconds would not say on a slower or busier one.
  const double quick_before = cpu_seconds(app.process().pid());
  ToolRun quick = tool({"--timeout", "30", "invoke", "settings.section:updates", "check"});
  EXPECT_EQ(quick.out, "update check finished\n") << quick.err;
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double cpu_quick = cpu_seconds(app.process().pid()) - quick_before;

  stubs.answer("systemctl", "", 0, "", 2);
  const double slow_before = cpu_seconds(app.process().pid());
  ToolRun slow = tool({"--timeout", "30", "invoke", "settings.section:updates", "check"});
  const double cpu_slow = cpu_seconds(app.process().pid()) - slow_before;
  EXPECT_EQ(slow.status, 0) << slow.err;
  EXPECT_EQ(slow.out, "update check finished\n") << slow.err;
  EXPECT_EQ(count("systemctl start --wait orvo-deployment-update.service"), 3);
  std::cerr << "processor time of a 2-second check: " << cpu_slow << " s; of a quick one and a 2-second wait: "
            << cpu_quick << " s\n";
  // Processor time is counted in ticks of 10 ms; the floor keeps a tick or two of rounding from deciding.
  EXPECT_LT(cpu_slow, 4 * std::max(cpu_quick, 0.05));
  stubs.answer("systemctl", "");

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
