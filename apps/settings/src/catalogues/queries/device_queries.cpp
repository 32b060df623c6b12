#include "catalogues/queries/device_queries.h"

#include "orvo_log/log.h"
#include "os_actions/battery.h"
#include "os_actions/bluez.h"

namespace settings::actions {
namespace {

class SystemDeviceQueries final : public DeviceQueries {
 public:
  std::vector<BluetoothDeviceEntry> bluetooth_devices() const override {
    auto devices = os_actions::bluez::devices();
    if (!devices) {
      orvo_log::debug("bluetooth device query failed", {{"error", devices.error()}});
      return {};
    }
    std::vector<BluetoothDeviceEntry> entries;
    entries.reserve(devices->size());
    for (auto& device : *devices) {
      entries.push_back({std::move(device.path), std::move(device.name), device.paired, device.connected});
    }
    return entries;
  }

  std::optional<ChargeCapEntry> charge_capability() const override {
    auto capability = os_actions::battery::charge_capability();
    if (!capability) {
      orvo_log::debug("charge capability query failed", {{"error", capability.error()}});
      return std::nullopt;
    }
    if (!*capability) return std::nullopt;
    return ChargeCapEntry{std::move((*capability)->supported_percents), (*capability)->current_percent};
  }
};

}  // namespace

const DeviceQueries& system_device_queries() {
  static const SystemDeviceQueries queries;
  return queries;
}

}  // namespace settings::actions
