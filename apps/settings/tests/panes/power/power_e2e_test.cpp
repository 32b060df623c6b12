// The application started offscreen against the power-profile service's stand-in on a private bus,
// and driven from outside with the developer tool.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>

#include <nlohmann/json.hpp>

#include "../../door/offscreen_app.h"
#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace settings::panes::power {
namespace {

using door_tests::ToolRun;
using namespace std::chrono_literals;

constexpr const char* kProfiles = "net.hadess.PowerProfiles";

TEST(PowerPaneEndToEnd, ProfileAndLockTimeoutFromOutside) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kProfiles, "--template", "power_profiles_daemon");
  door_tests::OffscreenApp app("{}");
  ASSERT_TRUE(app.start()) << app.process().err();
  const std::vector<std::string> saver = {"--timeout", "20", "invoke", "settings.section:power", "profile",
                                          R"({"choice":"Power Saver"})"};

  const ToolRun first = app.tool(saver);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "Power Saver is now active.\n") << first.err;
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  auto active = client->property({kProfiles, "/net/hadess/PowerProfiles"}, kProfiles, "ActiveProfile");
  ASSERT_TRUE(active.has_value());
  EXPECT_EQ(active->get<std::string>(), "power-saver");

  const auto started = std::chrono::steady_clock::now();
  const ToolRun again = app.tool(saver);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "ends at once, not when the tool gives up";
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Power Saver is now active.\n") << again.err;

  const ToolRun lock = app.tool({"--timeout", "20", "invoke", "settings.section:power", "lock-after",
                                 R"({"choice":"10 minutes"})"});
  EXPECT_EQ(lock.status, 0) << lock.err;
  EXPECT_EQ(lock.out, "Automatic lock timeout saved.\n") << lock.err;
  const auto saved = nlohmann::json::parse(std::ifstream(app.settings_file()), nullptr, false);
  ASSERT_TRUE(saved.is_object());
  EXPECT_EQ(saved["power"]["lock_minutes"], 10);

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::power
