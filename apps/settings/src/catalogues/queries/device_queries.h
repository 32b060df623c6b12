#pragma once
// Live queries of the catalogues about the devices of this machine: the Bluetooth devices and the
// battery's charge cap. The base class answers as if nothing were attached; a query that fails on
// the running system answers the same, never an error.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace settings::actions {

// What the Bluetooth catalogue reads of a device.
struct BluetoothDeviceEntry {
  std::string path;  // the device's object path; it identifies the device in every operation
  std::string name;
  bool paired = false;
  bool connected = false;
  friend bool operator==(const BluetoothDeviceEntry&, const BluetoothDeviceEntry&) = default;
};

// How far the battery's charge can be capped.
struct ChargeCapEntry {
  std::vector<std::uint32_t> supported_percents;  // in the order they are offered
  std::uint32_t default_percent = 100;            // used when an invocation names no percentage
  friend bool operator==(const ChargeCapEntry&, const ChargeCapEntry&) = default;
};

class DeviceQueries {
 public:
  virtual ~DeviceQueries() = default;

  // The Bluetooth devices the system knows, in its order.
  virtual std::vector<BluetoothDeviceEntry> bluetooth_devices() const { return {}; }
  // The battery's charge cap; none without a battery that offers one.
  virtual std::optional<ChargeCapEntry> charge_capability() const { return std::nullopt; }
};

// The queries against the running system (the Bluetooth service over D-Bus, the battery under
// /sys); one instance per process.
const DeviceQueries& system_device_queries();

}  // namespace settings::actions
