// The application started offscreen against the network service's stand-in on a private bus, and
// driven from outside with the developer tool.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../../door/offscreen_app.h"
#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace settings::panes::network::testing {
namespace {

using door_tests::ToolRun;
using namespace std::chrono_literals;

constexpr const char* kNm = "org.freedesktop.NetworkManager";

TEST(NetworkPaneEndToEnd, WifiSwitchRepeatsAtOnceAndFreesTheRunner) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kNm, "--template", "networkmanager");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  const orvo_dbus::Target manager{kNm, "/org/freedesktop/NetworkManager"};
  ASSERT_TRUE(client->call<std::string>({kNm, "/org/freedesktop"}, "org.freedesktop.DBus.Mock",
                                              "AddWiFiDevice", 2s, std::string("mock_wlan0"), std::string("wlan0"),
                                              std::int32_t{100})
                  .has_value());

  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tool = [&](const std::vector<std::string>& args) { return app.tool(args); };
  const std::vector<std::string> wifi_off = {"--timeout", "20", "invoke", "settings.section:network", "wifi",
                                             R"({"value":false})"};

  ToolRun first = tool(wifi_off);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "Wi-Fi disabled.\n") << first.err;
  auto enabled = client->property(manager, "org.freedesktop.NetworkManager", "WirelessEnabled");
  ASSERT_TRUE(enabled.has_value());
  EXPECT_FALSE(enabled->get<bool>());

  const auto started = std::chrono::steady_clock::now();
  ToolRun again = tool(wifi_off);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "ends at once, not when the tool gives up";
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Wi-Fi disabled.\n") << again.err;

  ToolRun refresh = tool({"--timeout", "20", "invoke", "settings.section:network", "refresh"});
  EXPECT_EQ(refresh.status, 0) << refresh.err;
  EXPECT_EQ(refresh.out, "Network list refreshed.\n") << refresh.err;

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::network::testing
