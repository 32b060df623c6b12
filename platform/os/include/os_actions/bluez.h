#pragma once
// Bluetooth devices read from the Bluetooth service's object manager over D-Bus.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

namespace os_actions::bluez {

struct BluetoothDevice {
  std::string path;     // the device's object path; identifies it everywhere
  std::string address;
  std::string name;     // the alias, else the advertised name, else the address
  std::string icon;     // the device's kind name, e.g. "audio-headset"
  std::optional<std::int16_t> rssi_dbm;
  std::optional<std::uint8_t> battery_percent;
  bool paired = false;
  bool trusted = false;
  bool connected = false;
};

// Every device the service knows, in object path order.
std::expected<std::vector<BluetoothDevice>, std::string> devices();

}  // namespace os_actions::bluez
