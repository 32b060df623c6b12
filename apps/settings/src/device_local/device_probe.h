#pragma once
// The live device state that the checks before a hand-over read: one narrow interface over the
// platform calls, so that the checks can be run against a fixed machine. `SystemDeviceProbe` asks
// the real services; each call reads afresh.
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "media/audio.h"
#include "os_actions/battery.h"
#include "os_actions/bluez.h"
#include "os_actions/network.h"
#include "os_actions/printing.h"
#include "settings_store/display_hardware.h"

namespace settings::device_local {

class DeviceProbe {
 public:
  virtual ~DeviceProbe() = default;
  virtual std::expected<std::optional<os_actions::battery::ChargeCapability>, std::string> charge_capability() = 0;
  virtual std::expected<os_actions::network::WiredState, std::string> wired() = 0;
  virtual std::expected<std::vector<os_actions::bluez::BluetoothDevice>, std::string> bluetooth_devices() = 0;
  virtual std::expected<media::audio::AudioGraph, std::string> audio_graph() = 0;
  virtual std::expected<settings_store::DisplayHardwareSnapshot, std::string> display_snapshot() = 0;
  virtual std::expected<std::vector<os_actions::printing::PrinterQueue>, std::string> printer_queues() = 0;
  virtual std::expected<std::vector<os_actions::printing::PrintJob>, std::string> print_jobs() = 0;
};

class SystemDeviceProbe final : public DeviceProbe {
 public:
  std::expected<std::optional<os_actions::battery::ChargeCapability>, std::string> charge_capability() override;
  std::expected<os_actions::network::WiredState, std::string> wired() override;
  std::expected<std::vector<os_actions::bluez::BluetoothDevice>, std::string> bluetooth_devices() override;
  std::expected<media::audio::AudioGraph, std::string> audio_graph() override;
  std::expected<settings_store::DisplayHardwareSnapshot, std::string> display_snapshot() override;
  std::expected<std::vector<os_actions::printing::PrinterQueue>, std::string> printer_queues() override;
  std::expected<std::vector<os_actions::printing::PrintJob>, std::string> print_jobs() override;
};

}  // namespace settings::device_local
