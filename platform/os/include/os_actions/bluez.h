#pragma once
// Bluetooth devices read from the Bluetooth service's object manager over D-Bus.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
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

// The changes below act on the first adapter (in object path order) or on the device at `path`.
// A failure is the service's own message ("Device already paired"), or says that the service is
// not running or that there is no adapter.
using Done = std::expected<void, std::string>;

std::expected<bool, std::string> is_powered();
std::expected<bool, std::string> is_scanning();
Done set_powered(bool enabled);
// Discovery belongs to the bus connection that starts it, so it runs on one connection kept for
// the life of the program; an empty discovery filter is set first, clearing one this program left.
Done start_scan();
Done stop_scan();
// Pairs, then connects. Success holds the connection's failure, when only that failed.
std::expected<std::optional<std::string>, std::string> pair(std::string_view path);
Done cancel_pairing(std::string_view path);
Done connect(std::string_view path);
Done disconnect(std::string_view path);
Done set_trusted(std::string_view path, bool trusted);
Done set_alias(std::string_view path, std::string_view alias);
// Removes the device (its bond and keys) from the adapter it belongs to.
Done forget(std::string_view path);

}  // namespace os_actions::bluez
