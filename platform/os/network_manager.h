#pragma once
// What the network calls share about the network service's D-Bus interface: names, devices,
// profiles and their settings dictionaries, active connections.
#include <chrono>
#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_dbus/connection.h"
#include "orvo_secret/secret_string.h"

namespace os_actions::network::nm {

using orvo_dbus::Target;

inline constexpr const char* kService = "org.freedesktop.NetworkManager";
inline constexpr const char* kManagerPath = "/org/freedesktop/NetworkManager";
inline constexpr const char* kSettingsPath = "/org/freedesktop/NetworkManager/Settings";
inline constexpr const char* kManagerInterface = "org.freedesktop.NetworkManager";
inline constexpr const char* kSettingsInterface = "org.freedesktop.NetworkManager.Settings";
inline constexpr const char* kProfileInterface = "org.freedesktop.NetworkManager.Settings.Connection";
inline constexpr const char* kDeviceInterface = "org.freedesktop.NetworkManager.Device";
inline constexpr const char* kWirelessInterface = "org.freedesktop.NetworkManager.Device.Wireless";
inline constexpr const char* kAccessPointInterface = "org.freedesktop.NetworkManager.AccessPoint";
inline constexpr const char* kActiveInterface = "org.freedesktop.NetworkManager.Connection.Active";
inline constexpr const char* kIp4Interface = "org.freedesktop.NetworkManager.IP4Config";

inline constexpr std::uint32_t kDeviceEthernet = 1;
inline constexpr std::uint32_t kDeviceWifi = 2;
inline constexpr std::uint32_t kDeviceModem = 8;
inline constexpr std::uint32_t kStateActivated = 100;
// Activation asks the service to start work; it answers once the work has begun.
inline constexpr std::chrono::milliseconds kActivationTimeout{15000};

inline const Target kManager{kService, kManagerPath};
inline const Target kSettings{kService, kSettingsPath};

// A profile's settings: section name to key to value.
using Settings = std::map<std::string, orvo_dbus::Properties>;

// The reason in words, for "Could not …: " sentences.
std::string describe(const orvo_dbus::Error& error);

// The system bus, or the reason it is missing.
std::expected<orvo_dbus::Connection, std::string> open();

bool is_object(const std::string& path);

struct Device {
  std::string path;
  std::uint32_t type = 0;
  std::uint32_t state = 0;
  std::string interface;
  std::string active_connection;  // "/" or empty when none
  std::vector<std::string> available_connections;
};

std::expected<std::vector<Device>, std::string> devices(orvo_dbus::Connection& bus);
// The wired device the pane shows: an activated one first, else the first.
std::optional<Device> wired_device(const std::vector<Device>& all);
std::optional<Device> first_of_type(const std::vector<Device>& all, std::uint32_t type);

struct Profile {
  std::string path;
  Settings settings;
};

// Every saved profile the service lists, in its order; a profile that vanished while being read is
// left out.
std::expected<std::vector<Profile>, std::string> profiles(orvo_dbus::Connection& bus);
std::expected<Profile, std::string> profile_by_uuid(orvo_dbus::Connection& bus, std::string_view uuid);

// Reads a typed value of a section; nullopt when absent or of another type.
template <typename T>
std::optional<T> setting(const Settings& settings, const std::string& section, const std::string& key) {
  const auto it = settings.find(section);
  if (it == settings.end()) return std::nullopt;
  return orvo_dbus::get<T>(it->second, key);
}

// Updates a profile: its settings are read (with the secrets the service keeps for it, so that
// writing them back loses none), changed by `change`, and written back whole.
template <typename Change>
std::expected<void, std::string> update_profile(orvo_dbus::Connection& bus, std::string_view uuid, Change&& change);

struct Active {
  std::string path;
  std::string connection;  // the profile's path
  std::string uuid;
  std::string id;
  std::string type;
  std::string specific_object;
  std::vector<std::string> devices;
};

std::expected<std::vector<Active>, std::string> active_connections(orvo_dbus::Connection& bus);

// The active Wi-Fi connections in access-point mode.
std::vector<Active> active_hotspots(orvo_dbus::Connection& bus, const std::vector<Active>& active);
// A profile is a hotspot profile when it is Wi-Fi in access-point mode.
bool is_hotspot_profile(const Settings& settings);

// The bytes of a network name as UTF-8, each invalid sequence replaced by U+FFFD.
std::string lossy_utf8(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> bytes_of(std::string_view text);

// A variant holding the secret's text; the temporary copy the library needs is wiped.
sdbus::Variant secret_variant(const orvo_secret::SecretString& secret);

// Brings up `profile` on `device` (paths; "/" lets the service choose).
std::expected<void, std::string> activate(orvo_dbus::Connection& bus, const std::string& profile,
                                          const std::string& device, const std::string& specific_object = "/");
std::expected<void, std::string> deactivate(orvo_dbus::Connection& bus, const std::string& active);
// The same, answering the active connection's path.
std::expected<std::string, std::string> activate_connection(orvo_dbus::Connection& bus, const std::string& profile,
                                                            const std::string& device,
                                                            const std::string& specific_object = "/");
// Waits until the active connection at `active` is up: success once it is activated; the
// service's reason (read from `device`) once it has gone down; a failure when it is still coming up
// after `wait`.
std::expected<void, std::string> wait_until_active(orvo_dbus::Connection& bus, const std::string& active,
                                                   const std::string& device, std::chrono::milliseconds wait);
// A device's state reason in words ("the password was not accepted", …).
std::string device_failure_reason(std::uint32_t reason);

std::expected<void, std::string> write_settings(orvo_dbus::Connection& bus, const std::string& profile_path,
                                                const Settings& settings);
std::expected<Settings, std::string> read_settings_with_secrets(orvo_dbus::Connection& bus,
                                                                const std::string& profile_path);

template <typename Change>
std::expected<void, std::string> update_profile(orvo_dbus::Connection& bus, std::string_view uuid, Change&& change) {
  auto profile = profile_by_uuid(bus, uuid);
  if (!profile) return std::unexpected(profile.error());
  auto settings = read_settings_with_secrets(bus, profile->path);
  if (!settings) return std::unexpected(settings.error());
  if (auto changed = change(*settings); !changed) return std::unexpected(changed.error());
  return write_settings(bus, profile->path, *settings);
}

}  // namespace os_actions::network::nm
