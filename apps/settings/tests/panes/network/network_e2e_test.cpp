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

#include "../../door/child_process.h"
#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace settings::panes::network::testing {
namespace {

using door_tests::ChildProcess;
using door_tests::environment_with;
using namespace std::chrono_literals;

constexpr const char* kNm = "org.freedesktop.NetworkManager";

struct Home {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/orvo-network-e2e-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  ~Home() { std::filesystem::remove_all(dir); }
};

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

  Home home;
  const auto runtime = home.dir / "runtime";
  std::filesystem::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  std::filesystem::create_directories(home.dir / "config/orvo");
  std::filesystem::create_directories(home.dir / "state");
  std::filesystem::create_directories(home.dir / "app");
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"ORVO_UI_SCRIPT", std::nullopt},
                                     {"ORVO_UI_PNG", std::nullopt},
                                     {"ORVO_UI_STATE", (home.dir / "state.json").native()},
                                     {"XDG_RUNTIME_DIR", runtime.native()},
                                     {"XDG_CONFIG_HOME", (home.dir / "config").native()},
                                     {"XDG_STATE_HOME", (home.dir / "state").native()},
                                     {"HOME", home.dir.native()}});
  ChildProcess app(ORVO_SETTINGS, {}, env, home.dir / "app");
  ASSERT_TRUE(app.started());
  const auto socket = runtime / "so.orvo.settings.actions.sock";
  for (int i = 0; i < 600 && !std::filesystem::exists(socket); ++i) std::this_thread::sleep_for(50ms);
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

  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
}

}  // namespace
}  // namespace settings::panes::network::testing
