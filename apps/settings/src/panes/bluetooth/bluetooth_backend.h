#pragma once
// The Bluetooth pane's way to the machine. Each operation forwards to the `os_actions::bluez`
// function of the same name; tests give the pane a backend of their own. Stateless: one handle is
// shared by the pane and its pairing worker.
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os_actions/bluez.h"

namespace settings::panes::bluetooth {

using os_actions::bluez::BluetoothDevice;
using Done = std::expected<void, std::string>;
// Paired; holds the failure of the connection that follows, when only that failed.
using PairResult = std::expected<std::optional<std::string>, std::string>;

class BluetoothBackend {
 public:
  virtual ~BluetoothBackend() = default;

  virtual std::expected<std::vector<BluetoothDevice>, std::string> devices() const;
  virtual std::expected<bool, std::string> is_powered() const;
  virtual std::expected<bool, std::string> is_scanning() const;
  virtual Done set_powered(bool enabled) const;
  virtual Done start_scan() const;
  virtual Done stop_scan() const;
  virtual PairResult pair(std::string_view path) const;
  virtual Done cancel_pairing(std::string_view path) const;
  virtual Done connect(std::string_view path) const;
  virtual Done disconnect(std::string_view path) const;
  virtual Done set_trusted(std::string_view path, bool trusted) const;
  virtual Done set_alias(std::string_view path, std::string_view alias) const;
  virtual Done forget(std::string_view path) const;
};

}  // namespace settings::panes::bluetooth
