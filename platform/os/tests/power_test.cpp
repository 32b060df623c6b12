// Power profiles, the battery, the power devices and the charge history against the services'
// stand-ins on a private bus, and the charge cap against fake sysfs trees.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "orvo_power_mgmt/history.h"
#include "orvo_runtime/system_paths.h"
#include "os_actions/battery.h"
#include "os_actions/dispatcher.h"
#include "os_actions/power.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using orvo_power_mgmt::history::BatterySample;
using os_actions::battery::ChargeControlKind;
using os_actions_testing::TempTree;

constexpr const char* kProfilesService = "net.hadess.PowerProfiles";
constexpr const char* kUPower = "org.freedesktop.UPower";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr const char* kDevice = "org.freedesktop.UPower.Device";

using Props = std::map<std::string, sdbus::Variant>;
using Method = sdbus::Struct<std::string, std::string, std::string, std::string>;

orvo_dbus::Connection client() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  EXPECT_TRUE(bus.has_value());
  return std::move(*bus);
}

TEST(PowerProfiles, ListsReadsAndSetsThroughTheService) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kProfilesService, "--template", "power_profiles_daemon");

  const auto available = os_actions::power::available_power_profiles();
  ASSERT_TRUE(available.has_value()) << available.error();
  EXPECT_EQ(*available, (std::vector<std::uint8_t>{0, 1, 2}));
  EXPECT_EQ(os_actions::power::get_power_profile(), std::uint8_t{1});

  const os_actions::RealDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.set_power_profile("power-saver").has_value());
  EXPECT_EQ(os_actions::power::get_power_profile(), std::uint8_t{0});
  auto active = client().property({kProfilesService, "/net/hadess/PowerProfiles"}, kProfilesService, "ActiveProfile");
  ASSERT_TRUE(active.has_value());
  EXPECT_EQ(active->get<std::string>(), "power-saver");

  const auto refused = dispatcher.set_power_profile("turbo");
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), "\"turbo\" is not a power profile");
}

TEST(PowerProfiles, AMissingServiceIsAnErrorNotACrash) {
  ORVO_STAND_IN_BUS(bus);
  EXPECT_EQ(os_actions::power::get_power_profile().error(), "the power-profile service is not running");
  EXPECT_EQ(os_actions::power::available_power_profiles().error(), "the power-profile service is not running");
  EXPECT_EQ(os_actions::RealDispatcher().set_power_profile("balanced").error(),
            "the power-profile service is not running");
  // Without the power service there is no battery, no device and no history either.
  EXPECT_FALSE(os_actions::battery::BatteryInfo::from_system().present);
  EXPECT_TRUE(os_actions::battery::power_devices().empty());
  EXPECT_TRUE(orvo_power_mgmt::history::load_battery_history().empty());
}

// A discharging laptop battery with its health and cycle count, and a UPS.
std::string add_battery_and_ups(orvo_dbus::Connection& bus) {
  const orvo_dbus::Target manager{kUPower, "/org/freedesktop/UPower"};
  auto added = bus.call<std::string>(manager, kMock, "AddDischargingBattery", 2s, std::string("mock_BAT0"),
                                     std::string("Laptop battery"), 57.4, std::int64_t{7500});
  EXPECT_TRUE(added.has_value());
  const std::string battery = std::get<0>(*added);
  const orvo_dbus::Target device{kUPower, battery};
  EXPECT_TRUE(bus.call<>(device, kMock, "AddProperty", 2s, std::string(kDevice), std::string("Capacity"),
                         sdbus::Variant(87.6)).has_value());
  EXPECT_TRUE(bus.call<>(device, kMock, "AddProperty", 2s, std::string(kDevice), std::string("ChargeCycles"),
                         sdbus::Variant(std::int32_t{412})).has_value());
  EXPECT_TRUE(bus.call<>(device, kMock, "AddProperty", 2s, std::string(kDevice), std::string("NativePath"),
                         sdbus::Variant(std::string("BAT0"))).has_value());
  const Props ups{{"Type", sdbus::Variant(std::uint32_t{3})},          {"PowerSupply", sdbus::Variant(false)},
                  {"IsPresent", sdbus::Variant(true)},                  {"Model", sdbus::Variant(std::string("Back-UPS 700"))},
                  {"Percentage", sdbus::Variant(100.0)},                {"State", sdbus::Variant(std::uint32_t{4})},
                  {"NativePath", sdbus::Variant(std::string("hiddev0"))}};
  EXPECT_TRUE(bus.call<>(manager, kMock, "AddObject", 2s, std::string("/org/freedesktop/UPower/devices/ups_hiddev0"),
                         std::string(kDevice), ups, std::vector<Method>{}).has_value());
  return battery;
}

TEST(PowerService, ReadsTheBatteryAndListsBatteryAndUps) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kUPower, "--template", "upower");
  auto connection = client();
  add_battery_and_ups(connection);

  const auto info = os_actions::battery::BatteryInfo::from_system();
  ASSERT_TRUE(info.present);
  EXPECT_EQ(info.percent, 57u);
  EXPECT_EQ(info.cycle_count, 412u);
  EXPECT_EQ(info.health_percent(), 88u);
  EXPECT_EQ(info.summary(), "Discharging · 2 h 5 min left");

  const auto devices = os_actions::battery::power_devices();
  ASSERT_EQ(devices.size(), 2u);
  const auto& battery = devices[0].ups ? devices[1] : devices[0];
  const auto& ups = devices[0].ups ? devices[0] : devices[1];
  EXPECT_EQ(battery.name, "BAT0");
  EXPECT_EQ(battery.model, "Laptop battery");
  EXPECT_EQ(battery.state, "Discharging");
  EXPECT_EQ(battery.percent, 57u);
  EXPECT_TRUE(ups.ups);
  EXPECT_EQ(ups.model, "Back-UPS 700");
  EXPECT_EQ(ups.state, "Fully charged");
  EXPECT_EQ(ups.percent, 100u);
}

TEST(PowerService, HistoryComesFromTheBatteryThinnedToOneSamplePerQuarterHour) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kUPower, "--template", "upower");
  auto connection = client();
  // Without a battery there is no history to ask for.
  EXPECT_TRUE(orvo_power_mgmt::history::load_battery_history().empty());

  const std::string battery = add_battery_and_ups(connection);
  // Newest first, as the service answers; 1000 is 5 minutes after 700 and is dropped, as is the
  // point with no time.
  ASSERT_TRUE(connection.call<>({kUPower, battery}, kMock, "AddMethod", 2s, std::string(kDevice), std::string("GetHistory"),
                                std::string("suu"), std::string("a(udu)"),
                                std::string("ret = [(2500, 71.0, 2), (1600, 80.0, 2), (1000, 90.0, 2), (700, 95.0, 2), "
                                            "(0, 10.0, 0)] if args[0] == 'charge' and args[1] == 2592000 else []"))
                  .has_value());
  EXPECT_EQ(orvo_power_mgmt::history::load_battery_history(),
            (std::vector<BatterySample>{{700, 95.0}, {1600, 80.0}, {2500, 71.0}}));
}

// Charge caps, written into fake sysfs trees of each kind and read back.
struct CapCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;
  std::uint32_t percent;
  std::vector<std::pair<std::string, std::string>> expected;  // file contents after the write
  ChargeControlKind kind;
};

TEST(ChargeCap, WritesEachKindOfControlAndReadsItBack) {
  const std::string bat = "sys/class/power_supply/BAT0/";
  const std::string ideapad = "sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/conservation_mode";
  const std::vector<CapCase> cases = {
      {"stop threshold", {{bat + "type", "Battery\n"}, {bat + "charge_control_end_threshold", "100\n"}}, 80,
       {{bat + "charge_control_end_threshold", "80\n"}}, ChargeControlKind::StopThreshold},
      {"conservation on", {{bat + "type", "Battery\n"}, {ideapad, "0\n"}}, 60, {{ideapad, "1\n"}},
       ChargeControlKind::ConservationMode},
      {"conservation off", {{bat + "type", "Battery\n"}, {ideapad, "1\n"}}, 100, {{ideapad, "0\n"}},
       ChargeControlKind::ConservationMode},
      {"window, cap above the start",
       {{bat + "type", "Battery\n"}, {bat + "charge_control_start_threshold", "40\n"},
        {bat + "charge_control_end_threshold", "100\n"}},
       80, {{bat + "charge_control_start_threshold", "40\n"}, {bat + "charge_control_end_threshold", "80\n"}},
       ChargeControlKind::StartEndWindow},
      {"window, cap below the start",
       {{bat + "type", "Battery\n"}, {bat + "charge_control_start_threshold", "75\n"},
        {bat + "charge_control_end_threshold", "90\n"}},
       60, {{bat + "charge_control_start_threshold", "50\n"}, {bat + "charge_control_end_threshold", "60\n"}},
       ChargeControlKind::StartEndWindow},
  };
  for (const auto& c : cases) {
    TempTree tree;
    for (const auto& [path, content] : c.files) tree.write(path, content);
    system_paths::ScopedOverride root(tree.root());
    const auto applied = os_actions::battery::set_charge_limit_checked(c.percent);
    ASSERT_TRUE(applied.has_value()) << c.name << ": " << applied.error();
    EXPECT_EQ(applied->current_percent, c.percent) << c.name;
    EXPECT_EQ(applied->kind, c.kind) << c.name;
    for (const auto& [path, content] : c.expected) {
      std::ifstream in(tree.root() / path);
      std::string written((std::istreambuf_iterator<char>(in)), {});
      EXPECT_EQ(written, content) << c.name << ": " << path;
    }
  }
}

TEST(ChargeCap, RefusedWritesAndCapsAreErrors) {
  TempTree tree;
  tree.write("sys/class/power_supply/BAT0/type", "Battery\n");
  // A directory where the threshold file was: the write fails even for root.
  std::filesystem::create_directories(tree.root() / "sys/class/power_supply/BAT0/charge_control_end_threshold");
  system_paths::ScopedOverride root(tree.root());
  const auto refused = os_actions::battery::set_charge_limit_checked(80);
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), "could not write charge_control_end_threshold: Is a directory");

  TempTree plain;
  plain.write("sys/class/power_supply/BAT0/type", "Battery\n");
  plain.write("sys/class/power_supply/BAT0/charge_control_end_threshold", "100\n");
  system_paths::ScopedOverride plain_root(plain.root());
  EXPECT_EQ(os_actions::battery::set_charge_limit_checked(85).error(), "85% is not a charge cap this battery offers");

  TempTree desktop;
  desktop.write("sys/class/power_supply/AC/type", "Mains\n");
  system_paths::ScopedOverride desktop_root(desktop.root());
  EXPECT_EQ(os_actions::battery::set_charge_limit_checked(80).error(), "this device has no battery charge-cap control");
}

TEST(BatteryText, SummaryAndHealthInWords) {
  os_actions::battery::BatteryInfo info;
  EXPECT_EQ(info.summary(), "No battery");
  info.present = true;
  info.state = 1;
  info.seconds_to_full = 1800;
  EXPECT_EQ(info.summary(), "Charging · 30 min until full");
  info.state = 4;
  EXPECT_EQ(info.summary(), "Fully charged");
  EXPECT_FALSE(info.health_percent().has_value());
  info.capacity = 72.2;
  EXPECT_EQ(info.health_percent(), 72u);
}

}  // namespace
