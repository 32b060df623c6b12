#pragma once
// The device operations the panes reach through one shared handle. Every slot answers success or
// a sentence saying why not; the provided bodies answer that the operation is not available on
// this system, and a family backend overrides the slots it carries out. `RealDispatcher` is the
// handle the panes get on a running system; tests give a pane a Dispatcher of their own.
//
// Stateless: a Dispatcher may be shared and called from worker threads.
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_secret/secret_string.h"

namespace os_actions {

using DispatchResult = std::expected<void, std::string>;

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;

  // In slot order.
  virtual DispatchResult set_brightness(float percent) const;
  virtual DispatchResult set_volume(float percent) const;
  virtual DispatchResult set_wifi(bool enabled) const;
  virtual DispatchResult set_bluetooth(bool enabled) const;
  virtual DispatchResult connect_bluetooth(std::string_view device) const;
  virtual DispatchResult disconnect_bluetooth(std::string_view device) const;
  virtual DispatchResult set_wired(bool enabled) const;
  virtual DispatchResult set_airplane_mode(bool enabled) const;
  virtual DispatchResult set_hotspot(bool enabled) const;
  virtual DispatchResult set_mobile_broadband(bool enabled) const;
  virtual DispatchResult set_vpn_connection(std::string_view name, bool enabled) const;
  // The passphrase travels in wiping memory and is never put on a command line.
  virtual DispatchResult connect_wifi(std::string_view ssid, const std::optional<orvo_secret::SecretString>& passphrase) const;
  virtual DispatchResult set_power_profile(std::string_view profile) const;
  virtual DispatchResult toggle_mute() const;
  virtual DispatchResult set_mute(bool muted) const;
};

// The system's own handle: the slots of the family backends this build carries out, the rest as
// provided. Brightness goes to `os_actions::display`, the network slots to `os_actions::network`, the
// volume and mute slots to `os_actions::audio`, the Bluetooth slots to `os_actions::bluez` (a device is its
// object path), the power profile to `os_actions::power`.
class RealDispatcher final : public Dispatcher {
 public:
  DispatchResult set_brightness(float percent) const override;
  DispatchResult set_wifi(bool enabled) const override;
  DispatchResult set_bluetooth(bool enabled) const override;
  DispatchResult connect_bluetooth(std::string_view device) const override;
  DispatchResult disconnect_bluetooth(std::string_view device) const override;
  DispatchResult set_wired(bool enabled) const override;
  DispatchResult set_airplane_mode(bool enabled) const override;
  DispatchResult set_hotspot(bool enabled) const override;
  DispatchResult set_mobile_broadband(bool enabled) const override;
  DispatchResult set_vpn_connection(std::string_view name, bool enabled) const override;
  DispatchResult connect_wifi(std::string_view ssid,
                              const std::optional<orvo_secret::SecretString>& passphrase) const override;
  DispatchResult set_volume(float percent) const override;
  DispatchResult toggle_mute() const override;
  DispatchResult set_mute(bool muted) const override;
  // The service's profile name: "power-saver", "balanced" or "performance".
  DispatchResult set_power_profile(std::string_view profile) const override;
};

}  // namespace os_actions
