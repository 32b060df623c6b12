#include "os_actions/dispatcher.h"

#include "os_actions/audio.h"
#include "os_actions/bluez.h"
#include "os_actions/display.h"
#include "os_actions/network.h"
#include "os_actions/power.h"

namespace os_actions {
namespace {

DispatchResult unavailable(std::string_view what) {
  return std::unexpected(std::string(what) + " is not available on this system.");
}

}  // namespace

DispatchResult Dispatcher::set_brightness(float) const { return unavailable("Brightness control"); }
DispatchResult Dispatcher::set_volume(float) const { return unavailable("Volume control"); }
DispatchResult Dispatcher::set_wifi(bool) const { return unavailable("Wi-Fi control"); }
DispatchResult Dispatcher::set_bluetooth(bool) const { return unavailable("Bluetooth control"); }
DispatchResult Dispatcher::connect_bluetooth(std::string_view) const { return unavailable("Connecting Bluetooth devices"); }
DispatchResult Dispatcher::disconnect_bluetooth(std::string_view) const {
  return unavailable("Disconnecting Bluetooth devices");
}
DispatchResult Dispatcher::set_wired(bool) const { return unavailable("Wired network control"); }
DispatchResult Dispatcher::set_airplane_mode(bool) const { return unavailable("Airplane mode"); }
DispatchResult Dispatcher::set_hotspot(bool) const { return unavailable("The Wi-Fi hotspot"); }
DispatchResult Dispatcher::set_mobile_broadband(bool) const { return unavailable("Mobile broadband"); }
DispatchResult Dispatcher::set_vpn_connection(std::string_view, bool) const { return unavailable("VPN control"); }
DispatchResult Dispatcher::connect_wifi(std::string_view, const std::optional<orvo_secret::SecretString>&) const {
  return unavailable("Joining Wi-Fi networks");
}
DispatchResult Dispatcher::set_power_profile(std::string_view) const { return unavailable("Power profile control"); }
DispatchResult Dispatcher::toggle_mute() const { return unavailable("Mute control"); }
DispatchResult Dispatcher::set_mute(bool) const { return unavailable("Mute control"); }

DispatchResult RealDispatcher::set_brightness(float percent) const { return display::set_brightness(percent); }
DispatchResult RealDispatcher::set_wifi(bool enabled) const { return network::set_wifi(enabled); }
DispatchResult RealDispatcher::set_bluetooth(bool enabled) const { return bluez::set_powered(enabled); }
DispatchResult RealDispatcher::connect_bluetooth(std::string_view device) const { return bluez::connect(device); }
DispatchResult RealDispatcher::disconnect_bluetooth(std::string_view device) const { return bluez::disconnect(device); }
DispatchResult RealDispatcher::set_wired(bool enabled) const { return network::set_wired(enabled); }
DispatchResult RealDispatcher::set_airplane_mode(bool enabled) const { return network::set_airplane_mode(enabled); }
DispatchResult RealDispatcher::set_hotspot(bool enabled) const { return network::set_hotspot(enabled); }
DispatchResult RealDispatcher::set_mobile_broadband(bool enabled) const { return network::set_mobile_broadband(enabled); }
DispatchResult RealDispatcher::set_vpn_connection(std::string_view name, bool enabled) const {
  return network::set_vpn_connection(name, enabled);
}
DispatchResult RealDispatcher::connect_wifi(std::string_view ssid,
                                            const std::optional<orvo_secret::SecretString>& passphrase) const {
  return network::connect_wifi(ssid, passphrase);
}
DispatchResult RealDispatcher::set_volume(float percent) const { return audio::set_volume(percent); }
DispatchResult RealDispatcher::toggle_mute() const { return audio::toggle_mute(); }
DispatchResult RealDispatcher::set_mute(bool muted) const { return audio::set_mute(muted); }
DispatchResult RealDispatcher::set_power_profile(std::string_view profile) const {
  return power::set_power_profile(profile);
}

}  // namespace os_actions
