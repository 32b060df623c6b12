// The Network, Bluetooth, Storage and Power catalogues.
#include <gtest/gtest.h>

#include "catalogue_support.h"
#include "catalogues/charge_cap_action.h"
#include "catalogues/power_update_bindings.h"
#include "catalogues/resource_tree.h"
#include "catalogues/section_catalogues.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;
using orvo_actions::Resource;
using settings_app::SettingsSection;
using testing::action;
using testing::action_names;
using testing::allowed;
using testing::FakeDeviceQueries;
using testing::Inputs;
using testing::payload;
using Names = std::vector<std::string>;

TEST(NetworkCatalogue, PublishesWifiThenTenFixedOperations) {
  const Resource network = build_settings_actions(SettingsSection::Network, Inputs().get());
  EXPECT_EQ(action_names(network),
            (Names{"open", "wifi", "refresh", "run-diagnostics", "enable-wired", "disable-wired",
                   "enable-airplane-mode", "disable-airplane-mode", "enable-hotspot", "disable-hotspot",
                   "enable-mobile-broadband", "disable-mobile-broadband"}));
  for (std::size_t i = 1; i < network.actions.size(); ++i) {
    const auto& spec = network.actions[i];
    EXPECT_EQ(spec.operation_class, OperationClass::Effect) << spec.name;
    EXPECT_EQ(spec.operation_kind, "settings.network-operation") << spec.name;
    EXPECT_EQ(spec.contract.result_schema, R"({"type":"string"})") << spec.name;
    if (i > 1) {
      EXPECT_EQ(spec.contract.tags, (Names{"device-local", "network"})) << spec.name;
      EXPECT_EQ(spec.description(), "") << spec.name;
    }
  }
  const auto& wifi = action(network, "wifi");
  EXPECT_EQ(wifi.title, "Set Wi-Fi power");
  EXPECT_EQ(wifi.description(), "On or off on this device");
  EXPECT_EQ(wifi.contract.tags, (Names{"device-local", "network", "hardware"}));
  EXPECT_EQ(payload(wifi, R"({"value":true})"), R"({"SetWifiEnabled":{"enabled":true}})");
  EXPECT_EQ(payload(action(network, "refresh")), R"("Refresh")");
  EXPECT_EQ(payload(action(network, "disable-hotspot")), R"({"SetHotspot":{"enabled":false}})");
  EXPECT_EQ(payload(action(network, "enable-mobile-broadband")), R"({"SetMobileBroadband":{"enabled":true}})");
}

TEST(BluetoothCatalogue, OffersEachDeviceTheActionsItsStateAllows) {
  FakeDeviceQueries devices;
  devices.devices = {
      {"/org/bluez/hci0/dev_AA", "Headset", true, true},
      {"/org/bluez/hci0/dev_BB", "Mouse", true, false},
      {"/org/bluez/hci0/dev_CC", "Speaker", false, true},  // connected but not paired
      {"/org/bluez/hci0/dev_DD", "Phone", false, false},
  };
  const Resource bluetooth = build_settings_actions(SettingsSection::Bluetooth, Inputs(devices).get());
  EXPECT_EQ(action_names(bluetooth), (Names{"open", "bluetooth", "scan", "refresh"}));
  EXPECT_EQ(payload(action(bluetooth, "bluetooth"), R"({"value":false})"), R"({"SetPowered":{"enabled":false}})");
  EXPECT_EQ(action(bluetooth, "bluetooth").contract.tags, (Names{"device-local", "bluetooth", "hardware"}));
  EXPECT_EQ(payload(action(bluetooth, "scan")), R"("StartScan")");

  const struct {
    const char* title;
    Names actions;
  } expected[] = {
      {"Headset", {"disconnect", "forget"}},
      {"Mouse", {"connect", "forget"}},
      {"Speaker", {"pair"}},
      {"Phone", {"pair"}},
  };
  ASSERT_EQ(bluetooth.children.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Resource& child = bluetooth.children[i];
    EXPECT_EQ(child.id, "settings.bluetooth-device:" + devices.devices[i].path);
    EXPECT_EQ(child.kind, "settings.bluetooth-device");
    EXPECT_EQ(child.title, expected[i].title);
    EXPECT_EQ(action_names(child), expected[i].actions) << child.title;
  }
  const Resource& headset = bluetooth.children[0];
  EXPECT_EQ(payload(action(headset, "disconnect")), R"({"Disconnect":{"path":"/org/bluez/hci0/dev_AA"}})");
  EXPECT_FALSE(action(headset, "disconnect").is_destructive);
  EXPECT_EQ(action(headset, "disconnect").contract.tags, (Names{"device-local", "bluetooth", "live-device"}));
  const auto& forget = action(headset, "forget");
  EXPECT_EQ(forget.title, "Forget device");
  EXPECT_TRUE(forget.is_destructive);
  EXPECT_EQ(forget.contract.tags, (Names{"device-local", "bluetooth", "destructive", "live-device"}));
  EXPECT_EQ(payload(action(bluetooth.children[2], "pair")), R"({"Pair":{"path":"/org/bluez/hci0/dev_CC"}})");
}

TEST(BluetoothCatalogue, WithoutTheServiceKeepsItsOwnActionsAndListsNoDevices) {
  const Resource bluetooth = build_settings_actions(SettingsSection::Bluetooth, Inputs().get());
  EXPECT_EQ(action_names(bluetooth), (Names{"open", "bluetooth", "scan", "refresh"}));
  EXPECT_TRUE(bluetooth.children.empty());
}

TEST(BluetoothCatalogue, ListsAtMostTheFirst256Devices) {
  FakeDeviceQueries devices;
  for (int i = 0; i < 300; ++i) devices.devices.push_back({"/dev_" + std::to_string(i), "d", false, false});
  const Resource bluetooth = bluetooth_resource(Inputs(devices).get());
  ASSERT_EQ(bluetooth.children.size(), 256u);
  EXPECT_EQ(bluetooth.children.back().id, "settings.bluetooth-device:/dev_255");
}

TEST(StorageCatalogue, MarksOnlyTheTwoCleanUpsDestructive) {
  const Resource storage = build_settings_actions(SettingsSection::Storage, Inputs().get());
  EXPECT_EQ(action_names(storage), (Names{"open", "cleanup-caches", "free-synced-files", "open-disks", "open-backups"}));
  const struct {
    const char* name;
    bool destructive;
    const char* payload;
  } cases[] = {
      {"cleanup-caches", true, R"("CleanupCaches")"},
      {"free-synced-files", true, R"("FreeSyncedFiles")"},
      {"open-disks", false, R"("OpenDisks")"},
      {"open-backups", false, R"("OpenBackups")"},
  };
  for (const auto& c : cases) {
    const auto& spec = action(storage, c.name);
    EXPECT_EQ(spec.is_destructive, c.destructive) << c.name;
    EXPECT_EQ(payload(spec), c.payload) << c.name;
    EXPECT_EQ(spec.operation_kind, "settings.storage-operation") << c.name;
    EXPECT_EQ(spec.contract.tags, (Names{"device-local", "storage"})) << c.name;
  }
}

const Names kPowerActions{"open",          "auto_suspend",     "profile",          "suspend-after",
                          "blank-after",   "lock-after",       "saver-suspend",    "balanced-suspend",
                          "performance-suspend", "lid",        "power_key",        "critical"};

TEST(PowerCatalogue, WithoutChargeControlHasTwelveActions) {
  const Resource power = build_settings_actions(SettingsSection::Power, Inputs().get());
  EXPECT_EQ(action_names(power), kPowerActions);
  for (std::size_t i = 1; i < power.actions.size(); ++i) {
    EXPECT_EQ(power.actions[i].contract.tags, (Names{"device-local", "power"})) << power.actions[i].name;
    EXPECT_EQ(power.actions[i].operation_kind, "settings.power-operation") << power.actions[i].name;
  }
  EXPECT_EQ(payload(action(power, "auto_suspend"), R"({"value":true})"), R"({"SetAutoSuspend":{"enabled":true}})");
}

TEST(PowerCatalogue, ChoicesOfferTheirListsAndSendTheirOwnOperation) {
  const Resource power = power_resource(Inputs().get());
  const Names long_list{"5 minutes", "10 minutes", "15 minutes", "30 minutes", "45 minutes", "1 hour", "Never"};
  const Names short_list{"1 minute", "5 minutes", "10 minutes", "15 minutes", "30 minutes", "Never"};
  const Names buttons{"Suspend", "Lock screen", "Do nothing"};
  const struct {
    const char* name;
    Names choices;
    const char* args;
    const char* payload;
  } cases[] = {
      {"profile", {"Power Saver", "Balanced", "Performance"}, R"({"choice":"Performance"})",
       R"({"SetProfile":{"profile":"Performance"}})"},
      {"suspend-after", long_list, R"({"choice":"1 hour"})",
       R"({"SetSuspendTimeout":{"profile":"default","label":"1 hour"}})"},
      {"blank-after", short_list, R"({"choice":"1 minute"})", R"({"SetBlankTimeout":{"label":"1 minute"}})"},
      {"lock-after", short_list, R"({"choice":"Never"})", R"({"SetLockTimeout":{"label":"Never"}})"},
      {"saver-suspend", long_list, R"({"choice":"45 minutes"})",
       R"({"SetSuspendTimeout":{"profile":"saver","label":"45 minutes"}})"},
      {"balanced-suspend", long_list, R"({"choice":"Never"})",
       R"({"SetSuspendTimeout":{"profile":"balanced","label":"Never"}})"},
      {"performance-suspend", long_list, R"({"choice":"5 minutes"})",
       R"({"SetSuspendTimeout":{"profile":"performance","label":"5 minutes"}})"},
      {"lid", buttons, R"({"choice":"Do nothing"})", R"({"SetLidAction":{"action":"Do nothing"}})"},
      {"power_key", buttons, R"({"choice":"Lock screen"})", R"({"SetPowerKeyAction":{"action":"Lock screen"}})"},
      {"critical", buttons, R"({"choice":"Suspend"})", R"({"SetCriticalAction":{"action":"Suspend"}})"},
  };
  for (const auto& c : cases) {
    const auto& spec = action(power, c.name);
    EXPECT_EQ(allowed(spec, "choice"), c.choices) << c.name;
    EXPECT_EQ(spec.description(), "Choose a value available on this device") << c.name;
    EXPECT_EQ(payload(spec, c.args), c.payload) << c.name;
  }
  // A delay the list does not offer is refused before any operation is built.
  EXPECT_TRUE(payload(action(power, "blank-after"), R"({"choice":"1 hour"})").starts_with("error: "));
  EXPECT_TRUE(payload(action(power, "saver-suspend"), R"({"choice":"1 minute"})").starts_with("error: "));
}

TEST(PowerCatalogue, AddsThePrivilegedChargeCapWhenTheBatteryOffersOne) {
  FakeDeviceQueries devices;
  devices.charge_cap = ChargeCapEntry{{60, 80, 100}, 80};
  const Resource power = build_settings_actions(SettingsSection::Power, Inputs(devices).get());
  ASSERT_EQ(power.actions.size(), 13u);
  const auto& cap = power.actions.back();
  EXPECT_EQ(cap.name, "set-charge-cap");
  EXPECT_EQ(cap.title, "Set battery charge cap");
  EXPECT_EQ(cap.description(), "Choose a supported charge percentage");
  EXPECT_EQ(allowed(cap, "percent"), (Names{"60%", "80%", "100%"}));
  EXPECT_TRUE(cap.is_privileged);
  EXPECT_EQ(cap.contract.tags, (Names{"device-local", "hardware"}));
  EXPECT_EQ(payload(cap, R"({"percent":"60%"})"), R"({"SetChargeLimit":{"percent":60}})");
  EXPECT_TRUE(payload(cap, R"({"percent":"70%"})").starts_with("error: "));
  // Without a usable percentage the handler falls back to the default.
  EXPECT_EQ((*cap.encoder)(orvo_actions::ActionArgs()).payload, R"({"SetChargeLimit":{"percent":80}})");
}

TEST(PowerCatalogue, LeavesOutAChargeCapWithoutSupportedPercentages) {
  // No allowed values would mean any text is accepted as a percentage.
  EXPECT_FALSE(charge_cap_action({}, 80));
  FakeDeviceQueries devices;
  devices.charge_cap = ChargeCapEntry{{}, 80};
  EXPECT_EQ(action_names(build_settings_actions(SettingsSection::Power, Inputs(devices).get())), kPowerActions);
}

TEST(PowerBindings, BindThePublishedActionsWithoutAskingTheSystem) {
  const auto toggle = power_toggle_binding("auto_suspend");
  ASSERT_TRUE(toggle);
  EXPECT_EQ(toggle->resource, "settings.section:power");
  EXPECT_EQ(toggle->arguments(true).to_json_text(), R"({"value":true})");

  const auto choice = power_choice_binding("power_key");
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->arguments("Suspend").to_json_text(), R"({"choice":"Suspend"})");
  EXPECT_TRUE(orvo_actions::build_control_invocation(*choice, std::string("Suspend")));

  EXPECT_FALSE(power_toggle_binding("wifi"));
  EXPECT_FALSE(power_choice_binding("power-key"));  // the handler's name, not the action's
  // The charge cap needs the live battery query, which bindings never make.
  EXPECT_FALSE(power_choice_binding("set-charge-cap"));
}

}  // namespace
}  // namespace settings::actions
