#include <algorithm>

#include "actions/connectivity_handlers.h"
#include "catalogues/effect_actions.h"
#include "catalogues/queries/device_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

using Op = BluetoothOperation;

// More devices than this are not listed; a Bluetooth service does not know that many in practice.
constexpr std::size_t kMaxDevices = 256;

constexpr std::string_view kDevicePrefix = "settings.bluetooth-device:";
constexpr std::string_view kDeviceKind = "settings.bluetooth-device";

Tags device_tags() { return {"device-local", "bluetooth", "live-device"}; }

// One of "disconnect", "connect" or "pair" by the device's state, then "forget" for a paired one.
orvo_actions::Resource device_resource(const BluetoothDeviceEntry& device) {
  auto resource = orvo_actions::Resource::make(std::string(kDevicePrefix) + device.path, std::string(kDeviceKind),
                                               device.name);
  if (device.paired && device.connected) {
    append_action(resource, operation_spec("disconnect", "Disconnect", Op{Op::Disconnect{device.path}}, device_tags()));
  } else if (device.paired) {
    append_action(resource, operation_spec("connect", "Connect", Op{Op::Connect{device.path}}, device_tags()));
  } else {
    append_action(resource, operation_spec("pair", "Pair", Op{Op::Pair{device.path}}, device_tags()));
  }
  if (device.paired) {
    auto forget = operation_spec("forget", "Forget device", Op{Op::Forget{device.path}},
                                 {"device-local", "bluetooth", "destructive", "live-device"});
    if (forget) append_action(resource, std::move(*forget).destructive());
  }
  return resource;
}

}  // namespace

orvo_actions::Resource bluetooth_resource(const SectionInputs& inputs) {
  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::Bluetooth);
  append_action(resource, with_operation_contract(switch_spec("bluetooth", "Set Bluetooth power", Op::kKind,
                                                              bluetooth_powered_handler()),
                                                  {"device-local", "bluetooth", "hardware"}));
  append_action(resource, operation_spec("scan", "Scan for Bluetooth devices", Op{Op::StartScan{}},
                                         {"device-local", "bluetooth"}));
  append_action(resource, operation_spec("refresh", "Refresh Bluetooth devices", Op{Op::Refresh{}},
                                         {"device-local", "bluetooth"}));

  const std::vector<BluetoothDeviceEntry> devices = inputs.queries.devices.bluetooth_devices();
  const std::size_t listed = std::min(devices.size(), kMaxDevices);
  for (std::size_t i = 0; i < listed; ++i) resource.children.push_back(device_resource(devices[i]));
  return resource;
}

}  // namespace settings::actions
