#include "network_manager.h"

#include <sodium.h>

#include <algorithm>
#include <thread>

#include "service_error.h"

namespace os_actions::network::nm {

std::string describe(const orvo_dbus::Error& error) { return describe_service_error(error, "the network service"); }

std::expected<orvo_dbus::Connection, std::string> open() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  return std::move(*bus);
}

bool is_object(const std::string& path) { return !path.empty() && path != "/"; }

std::expected<std::vector<Device>, std::string> devices(orvo_dbus::Connection& bus) {
  auto listed = bus.property(kManager, kManagerInterface, "Devices");
  if (!listed) return std::unexpected(describe(listed.error()));
  std::vector<Device> out;
  for (const auto& path : orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*listed).value_or(std::vector<sdbus::ObjectPath>{})) {
    auto properties = bus.all_properties(Target{kService, path}, kDeviceInterface);
    if (!properties) continue;  // a device that vanished between the two reads
    Device device;
    device.path = path;
    device.type = orvo_dbus::get<std::uint32_t>(*properties, "DeviceType").value_or(0);
    device.state = orvo_dbus::get<std::uint32_t>(*properties, "State").value_or(0);
    device.interface = orvo_dbus::get<std::string>(*properties, "Interface").value_or("");
    device.active_connection = orvo_dbus::get<sdbus::ObjectPath>(*properties, "ActiveConnection").value_or(sdbus::ObjectPath("/"));
    for (const auto& available : orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*properties, "AvailableConnections")
                                     .value_or(std::vector<sdbus::ObjectPath>{})) {
      device.available_connections.push_back(available);
    }
    out.push_back(std::move(device));
  }
  return out;
}

std::optional<Device> wired_device(const std::vector<Device>& all) {
  std::optional<Device> chosen;
  for (const auto& device : all) {
    if (device.type != kDeviceEthernet) continue;
    if (device.state == kStateActivated) return device;
    if (!chosen) chosen = device;
  }
  return chosen;
}

std::optional<Device> first_of_type(const std::vector<Device>& all, std::uint32_t type) {
  const auto it = std::find_if(all.begin(), all.end(), [type](const Device& d) { return d.type == type; });
  if (it == all.end()) return std::nullopt;
  return *it;
}

namespace {

std::expected<Settings, orvo_dbus::Error> get_settings(orvo_dbus::Connection& bus, const std::string& path) {
  auto reply = bus.call<Settings>(Target{kService, path}, kProfileInterface, "GetSettings", orvo_dbus::kDefaultTimeout);
  if (!reply) return std::unexpected(reply.error());
  return std::get<0>(std::move(*reply));
}

}  // namespace

std::expected<std::vector<Profile>, std::string> profiles(orvo_dbus::Connection& bus) {
  auto listed = bus.call<std::vector<sdbus::ObjectPath>>(kSettings, kSettingsInterface, "ListConnections",
                                                         orvo_dbus::kDefaultTimeout);
  if (!listed) return std::unexpected(describe(listed.error()));
  std::vector<Profile> out;
  for (const auto& path : std::get<0>(*listed)) {
    auto settings = get_settings(bus, path);
    if (!settings) continue;
    out.push_back(Profile{path, std::move(*settings)});
  }
  return out;
}

std::expected<Profile, std::string> profile_by_uuid(orvo_dbus::Connection& bus, std::string_view uuid) {
  // Listing rather than GetConnectionByUuid gives one clear answer for an unknown uuid.
  auto all = profiles(bus);
  if (!all) return std::unexpected(all.error());
  for (auto& profile : *all) {
    if (setting<std::string>(profile.settings, "connection", "uuid") == uuid) return std::move(profile);
  }
  return std::unexpected("the connection profile no longer exists");
}

std::expected<Settings, std::string> read_settings_with_secrets(orvo_dbus::Connection& bus,
                                                                const std::string& profile_path) {
  auto settings = get_settings(bus, profile_path);
  if (!settings) return std::unexpected(describe(settings.error()));
  for (const char* section : {"802-11-wireless-security", "802-1x"}) {
    if (!settings->contains(section)) continue;
    // Secrets the service does not hold (kept by the user's agent) are simply not there.
    auto secrets = bus.call<Settings>(Target{kService, profile_path}, kProfileInterface, "GetSecrets",
                                      orvo_dbus::kDefaultTimeout, std::string(section));
    if (!secrets) continue;
    const auto found = std::get<0>(*secrets).find(section);
    if (found == std::get<0>(*secrets).end()) continue;
    for (const auto& [key, value] : found->second) (*settings)[section][key] = value;
  }
  return std::move(*settings);
}

std::expected<void, std::string> write_settings(orvo_dbus::Connection& bus, const std::string& profile_path,
                                                const Settings& settings) {
  auto reply = bus.call<>(Target{kService, profile_path}, kProfileInterface, "Update", orvo_dbus::kDefaultTimeout,
                          settings);
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

std::expected<std::vector<Active>, std::string> active_connections(orvo_dbus::Connection& bus) {
  auto listed = bus.property(kManager, kManagerInterface, "ActiveConnections");
  if (!listed) return std::unexpected(describe(listed.error()));
  std::vector<Active> out;
  for (const auto& path : orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*listed).value_or(std::vector<sdbus::ObjectPath>{})) {
    auto properties = bus.all_properties(Target{kService, path}, kActiveInterface);
    if (!properties) continue;
    Active active;
    active.path = path;
    active.connection = orvo_dbus::get<sdbus::ObjectPath>(*properties, "Connection").value_or(sdbus::ObjectPath("/"));
    active.uuid = orvo_dbus::get<std::string>(*properties, "Uuid").value_or("");
    active.id = orvo_dbus::get<std::string>(*properties, "Id").value_or("");
    active.type = orvo_dbus::get<std::string>(*properties, "Type").value_or("");
    active.specific_object =
        orvo_dbus::get<sdbus::ObjectPath>(*properties, "SpecificObject").value_or(sdbus::ObjectPath("/"));
    for (const auto& device :
         orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*properties, "Devices").value_or(std::vector<sdbus::ObjectPath>{})) {
      active.devices.push_back(device);
    }
    out.push_back(std::move(active));
  }
  return out;
}

bool is_hotspot_profile(const Settings& settings) {
  return setting<std::string>(settings, "connection", "type") == "802-11-wireless" &&
         setting<std::string>(settings, "802-11-wireless", "mode") == "ap";
}

std::vector<Active> active_hotspots(orvo_dbus::Connection& bus, const std::vector<Active>& active) {
  std::vector<Active> out;
  for (const auto& connection : active) {
    if (connection.type != "802-11-wireless" || !is_object(connection.connection)) continue;
    auto settings = get_settings(bus, connection.connection);
    if (settings && is_hotspot_profile(*settings)) out.push_back(connection);
  }
  return out;
}

std::string lossy_utf8(const std::vector<std::uint8_t>& bytes) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t lead = bytes[i];
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, minimum = 0x10000;
    bool valid = length != 0 && i + length <= bytes.size();
    std::uint32_t code = length == 0 ? 0 : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; valid && k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) valid = false;
      else code = (code << 6) | (bytes[i + k] & 0x3F);
    }
    valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) {
      out += kReplacement;
      ++i;
      // Skip the continuation bytes that belonged to the broken sequence.
      while (i < bytes.size() && (bytes[i] & 0xC0) == 0x80) ++i;
      continue;
    }
    out.append(reinterpret_cast<const char*>(&bytes[i]), length);
    i += length;
  }
  return out;
}

std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

sdbus::Variant secret_variant(const orvo_secret::SecretString& secret) {
  std::string copy(secret.view());
  sdbus::Variant variant(copy);
  sodium_memzero(copy.data(), copy.size());
  return variant;
}

std::expected<std::string, std::string> activate_connection(orvo_dbus::Connection& bus, const std::string& profile,
                                                            const std::string& device,
                                                            const std::string& specific_object) {
  auto reply = bus.call<sdbus::ObjectPath>(kManager, kManagerInterface, "ActivateConnection", kActivationTimeout,
                                           sdbus::ObjectPath(profile), sdbus::ObjectPath(device),
                                           sdbus::ObjectPath(specific_object));
  if (!reply) return std::unexpected(describe(reply.error()));
  return std::string(std::get<0>(*reply));
}

std::expected<void, std::string> activate(orvo_dbus::Connection& bus, const std::string& profile,
                                          const std::string& device, const std::string& specific_object) {
  auto active = activate_connection(bus, profile, device, specific_object);
  if (!active) return std::unexpected(std::move(active.error()));
  return {};
}

std::string device_failure_reason(std::uint32_t reason) {
  switch (reason) {
    case 7: return "the password was not accepted";
    case 8: return "the network refused the connection; check the password";
    case 9: return "the Wi-Fi security settings could not be used";
    case 11: return "the network did not answer in time";
    case 53: return "the network is no longer in range";
    default: return "the connection could not be established";
  }
}

std::expected<void, std::string> wait_until_active(orvo_dbus::Connection& bus, const std::string& active,
                                                   const std::string& device, std::chrono::milliseconds wait) {
  constexpr std::uint32_t kActivated = 2;
  constexpr std::uint32_t kDeactivated = 4;
  const auto until = std::chrono::steady_clock::now() + wait;
  const auto went_down = [&]() -> std::expected<void, std::string> {
    std::uint32_t reason = 0;
    if (is_object(device)) {
      if (auto value = bus.property(Target{kService, device}, kDeviceInterface, "StateReason")) {
        if (auto pair = orvo_dbus::get<sdbus::Struct<std::uint32_t, std::uint32_t>>(*value)) reason = pair->get<1>();
      }
    }
    return std::unexpected(device_failure_reason(reason));
  };
  while (true) {
    auto state = bus.property(Target{kService, active}, kActiveInterface, "State");
    // An active connection that has gone away went down.
    if (!state) return went_down();
    const std::uint32_t value = orvo_dbus::get<std::uint32_t>(*state).value_or(0);
    if (value == kActivated) return {};
    if (value == kDeactivated) return went_down();
    if (std::chrono::steady_clock::now() >= until) return std::unexpected("the connection did not come up in time");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::expected<void, std::string> deactivate(orvo_dbus::Connection& bus, const std::string& active) {
  auto reply = bus.call<>(kManager, kManagerInterface, "DeactivateConnection", kActivationTimeout,
                          sdbus::ObjectPath(active));
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

}  // namespace os_actions::network::nm
