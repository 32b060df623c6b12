#include "os_actions/bluez.h"

#include "orvo_dbus/connection.h"
#include "service_error.h"

namespace os_actions::bluez {
namespace {

constexpr const char* kDeviceInterface = "org.bluez.Device1";
constexpr const char* kBatteryInterface = "org.bluez.Battery1";

std::string failure(const orvo_dbus::Error& error) {
  return "Could not list Bluetooth devices: " + describe_service_error(error, "the Bluetooth service");
}

}  // namespace

std::expected<std::vector<BluetoothDevice>, std::string> devices() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(failure(bus.error()));
  auto objects = bus->managed_objects(orvo_dbus::Target{"org.bluez", "/"});
  if (!objects) return std::unexpected(failure(objects.error()));

  std::vector<BluetoothDevice> found;
  // The map is ordered by object path, which keeps the list stable between reads.
  for (const auto& [path, interfaces] : *objects) {
    const auto device = interfaces.find(kDeviceInterface);
    if (device == interfaces.end()) continue;
    const auto& p = device->second;
    BluetoothDevice entry;
    entry.path = path;
    entry.address = orvo_dbus::get<std::string>(p, "Address").value_or("");
    entry.name = orvo_dbus::get<std::string>(p, "Alias").value_or("");
    if (entry.name.empty()) entry.name = orvo_dbus::get<std::string>(p, "Name").value_or("");
    if (entry.name.empty()) entry.name = entry.address;
    entry.icon = orvo_dbus::get<std::string>(p, "Icon").value_or("");
    entry.rssi_dbm = orvo_dbus::get<std::int16_t>(p, "RSSI");
    entry.paired = orvo_dbus::get<bool>(p, "Paired").value_or(false);
    entry.trusted = orvo_dbus::get<bool>(p, "Trusted").value_or(false);
    entry.connected = orvo_dbus::get<bool>(p, "Connected").value_or(false);
    if (const auto battery = interfaces.find(kBatteryInterface); battery != interfaces.end()) {
      entry.battery_percent = orvo_dbus::get<std::uint8_t>(battery->second, "Percentage");
    }
    found.push_back(std::move(entry));
  }
  return found;
}

}  // namespace os_actions::bluez
