#include "device_local/device_probe.h"

namespace settings::device_local {

std::expected<std::optional<os_actions::battery::ChargeCapability>, std::string>
SystemDeviceProbe::charge_capability() {
  return os_actions::battery::charge_capability();
}

std::expected<os_actions::network::WiredState, std::string> SystemDeviceProbe::wired() {
  return os_actions::network::get_wired();
}

std::expected<std::vector<os_actions::bluez::BluetoothDevice>, std::string> SystemDeviceProbe::bluetooth_devices() {
  return os_actions::bluez::devices();
}

std::expected<media::audio::AudioGraph, std::string> SystemDeviceProbe::audio_graph() {
  return media::audio::enumerate();
}

std::expected<settings_store::DisplayHardwareSnapshot, std::string> SystemDeviceProbe::display_snapshot() {
  return settings_store::DisplayHardwareSnapshot::load();
}

std::expected<std::vector<os_actions::printing::PrinterQueue>, std::string> SystemDeviceProbe::printer_queues() {
  return os_actions::printing::queues();
}

std::expected<std::vector<os_actions::printing::PrintJob>, std::string> SystemDeviceProbe::print_jobs() {
  return os_actions::printing::jobs();
}

}  // namespace settings::device_local
