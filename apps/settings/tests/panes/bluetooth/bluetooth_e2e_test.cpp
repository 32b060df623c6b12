// The application started offscreen against the Bluetooth service's stand-in on a private bus, and
// driven from outside with the developer tool.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "../../door/offscreen_app.h"
#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "panes/bluetooth/bluetooth_pane.h"

namespace settings::panes::bluetooth::testing {
namespace {

using door_tests::ToolRun;
using namespace std::chrono_literals;

constexpr const char* kHeadset = "/org/bluez/hci0/dev_11_22_33_44_55_66";

TEST(BluetoothPaneEndToEnd, PairsScansAndSwitchesOffThroughTheTool) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.bluez", "--template", "bluez5");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  const orvo_dbus::Target mock{"org.bluez", "/"};
  ASSERT_TRUE(client->call<std::string>(mock, "org.bluez.Mock", "AddAdapter", 2s, std::string("hci0"),
                                        std::string("laptop")).has_value());
  ASSERT_TRUE(client->call<std::string>(mock, "org.bluez.Mock", "AddDevice", 2s, std::string("hci0"),
                                        std::string("11:22:33:44:55:66"), std::string("Headset")).has_value());
  const auto flag = [&](const char* path, const char* interface, const char* name) {
    auto value = client->property(orvo_dbus::Target{"org.bluez", path}, interface, name);
    return value && orvo_dbus::get<bool>(*value).value_or(false);
  };

  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto tool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--timeout", "20"});
    return app.tool(args);
  };

  ToolRun paired = tool({"invoke", std::string("settings.bluetooth-device:") + kHeadset, "pair"});
  EXPECT_EQ(paired.status, 0) << paired.err;
  EXPECT_EQ(paired.out, "Headset is paired and connected.\n") << paired.err;
  EXPECT_TRUE(flag(kHeadset, "org.bluez.Device1", "Paired"));

  ToolRun scan = tool({"invoke", "settings.section:bluetooth", "scan"});
  EXPECT_EQ(scan.status, 0) << scan.err;
  EXPECT_EQ(scan.out, "Bluetooth discovery started.\n") << scan.err;
  EXPECT_TRUE(flag("/org/bluez/hci0", "org.bluez.Adapter1", "Discovering"));

  const std::vector<std::string> power_off = {"invoke", "settings.section:bluetooth", "bluetooth", R"({"value":false})"};
  ToolRun off = tool(power_off);
  EXPECT_EQ(off.status, 0) << off.err;
  EXPECT_EQ(off.out, "Bluetooth disabled.\n") << off.err;
  EXPECT_FALSE(flag("/org/bluez/hci0", "org.bluez.Adapter1", "Powered"));

  const auto started = std::chrono::steady_clock::now();
  ToolRun again = tool(power_off);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "ends at once, not when the tool gives up";
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Bluetooth disabled.\n") << again.err;

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

TEST(BluetoothPaneOnTheBus, StartsOffWithNoDevicesWithoutServiceOrAdapter) {
  ORVO_STAND_IN_BUS(bus);
  const auto expect_empty = [](const char* when) {
    const BluetoothPane pane = BluetoothPane::create();
    EXPECT_TRUE(pane.devices().empty()) << when;
    EXPECT_FALSE(pane.powered()) << when;
    EXPECT_FALSE(pane.scanning()) << when;
  };
  expect_empty("no service");
  ORVO_STAND_IN_MOCK(bus, "org.bluez", "--template", "bluez5");
  expect_empty("no adapter");
}

}  // namespace
}  // namespace settings::panes::bluetooth::testing
