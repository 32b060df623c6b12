#include "panes/bluetooth/bluetooth_backend.h"

namespace settings::panes::bluetooth {

namespace bluez = os_actions::bluez;

std::expected<std::vector<BluetoothDevice>, std::string> BluetoothBackend::devices() const { return bluez::devices(); }
std::expected<bool, std::string> BluetoothBackend::is_powered() const { return bluez::is_powered(); }
std::expected<bool, std::string> BluetoothBackend::is_scanning() const { return bluez::is_scanning(); }
Done BluetoothBackend::set_powered(bool enabled) const { return bluez::set_powered(enabled); }
Done BluetoothBackend::start_scan() const { return bluez::start_scan(); }
Done BluetoothBackend::stop_scan() const { return bluez::stop_scan(); }
PairResult BluetoothBackend::pair(std::string_view path) const { return bluez::pair(path); }
Done BluetoothBackend::cancel_pairing(std::string_view path) const { return bluez::cancel_pairing(path); }
Done BluetoothBackend::connect(std::string_view path) const { return bluez::connect(path); }
Done BluetoothBackend::disconnect(std::string_view path) const { return bluez::disconnect(path); }
Done BluetoothBackend::set_trusted(std::string_view path, bool trusted) const { return bluez::set_trusted(path, trusted); }
Done BluetoothBackend::set_alias(std::string_view path, std::string_view alias) const {
  return bluez::set_alias(path, alias);
}
Done BluetoothBackend::forget(std::string_view path) const { return bluez::forget(path); }

}  // namespace settings::panes::bluetooth
