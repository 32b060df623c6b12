#include "os_actions/network.h"

#include <arpa/inet.h>

#include <algorithm>
#include <map>
#include <vector>

#include "network_manager.h"
#include "orvo_dbus/connection.h"
#include "service_error.h"

namespace os_actions::network {
namespace {

using orvo_dbus::Target;

constexpr const char* kService = "org.freedesktop.NetworkManager";
constexpr const char* kManagerPath = "/org/freedesktop/NetworkManager";
constexpr const char* kManagerInterface = "org.freedesktop.NetworkManager";
constexpr const char* kDeviceInterface = "org.freedesktop.NetworkManager.Device";
constexpr const char* kActiveInterface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kIp4Interface = "org.freedesktop.NetworkManager.IP4Config";
constexpr std::uint32_t kDeviceTypeEthernet = 1;
// Device states from "prepare" (40) to "activated" (100) mean the link is coming up or up.
constexpr std::uint32_t kStatePrepare = 40;
constexpr std::uint32_t kStateActivated = 100;

std::string failure(const orvo_dbus::Error& error) {
  return "Could not read the wired connection: " + describe_service_error(error, "the network service");
}

bool is_object(const std::optional<sdbus::ObjectPath>& path) { return path && !path->empty() && *path != "/"; }

}  // namespace

std::expected<WiredState, std::string> get_wired() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(failure(bus.error()));
  auto devices = bus->property(Target{kService, kManagerPath}, kManagerInterface, "Devices");
  if (!devices) return std::unexpected(failure(devices.error()));
  const auto paths = orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*devices).value_or(std::vector<sdbus::ObjectPath>{});

  std::optional<orvo_dbus::Properties> chosen;
  for (const auto& path : paths) {
    auto properties = bus->all_properties(Target{kService, path}, kDeviceInterface);
    if (!properties) continue;  // a device that vanished between the two reads
    if (orvo_dbus::get<std::uint32_t>(*properties, "DeviceType") != kDeviceTypeEthernet) continue;
    const bool activated = orvo_dbus::get<std::uint32_t>(*properties, "State") == kStateActivated;
    if (!chosen || activated) chosen = std::move(*properties);
    if (activated) break;
  }
  if (!chosen) return WiredState{};

  WiredState state;
  state.interface = orvo_dbus::get<std::string>(*chosen, "Interface");
  const auto device_state = orvo_dbus::get<std::uint32_t>(*chosen, "State").value_or(0);
  state.enabled = device_state >= kStatePrepare && device_state <= kStateActivated;

  const auto active = orvo_dbus::get<sdbus::ObjectPath>(*chosen, "ActiveConnection");
  if (is_object(active)) {
    if (auto id = bus->property(Target{kService, *active}, kActiveInterface, "Id")) {
      state.connection = orvo_dbus::get<std::string>(*id);
    }
  }
  const auto ip4 = orvo_dbus::get<sdbus::ObjectPath>(*chosen, "Ip4Config");
  if (is_object(ip4)) {
    if (auto data = bus->property(Target{kService, *ip4}, kIp4Interface, "AddressData")) {
      const auto addresses = orvo_dbus::get<std::vector<std::map<std::string, sdbus::Variant>>>(*data);
      if (addresses && !addresses->empty()) state.ipv4 = orvo_dbus::get<std::string>(addresses->front(), "address");
    }
  }
  return state;
}

namespace {

// Access point flags and key management bits of the service's D-Bus interface.
constexpr std::uint32_t kApPrivacy = 0x1;
constexpr std::uint32_t kKeyPsk = 0x100;
constexpr std::uint32_t kKey8021x = 0x200;
constexpr std::uint32_t kKeySae = 0x400;
constexpr std::uint32_t kKeySuiteB192 = 0x2000;

std::uint8_t security_kind(std::uint32_t key_management) {
  if (key_management & (kKey8021x | kKeySuiteB192)) return static_cast<std::uint8_t>(WifiSecurity::OpenOrOther);
  if (key_management & kKeyPsk) return static_cast<std::uint8_t>(WifiSecurity::Personal);
  if (key_management & kKeySae) return static_cast<std::uint8_t>(WifiSecurity::Sae);
  return static_cast<std::uint8_t>(WifiSecurity::OpenOrOther);
}

bool hidden(const std::vector<std::uint8_t>& ssid) {
  return std::all_of(ssid.begin(), ssid.end(), [](std::uint8_t b) { return b == 0; });
}

struct Seen {
  WifiNetwork network;
  std::uint8_t strength = 0;
};

// The SSID of the access point a Wi-Fi device is associated with, when it has one.
std::optional<std::vector<std::uint8_t>> active_ssid(orvo_dbus::Connection& bus, const nm::Device& device) {
  std::string ap;
  if (auto value = bus.property(nm::Target{nm::kService, device.path}, nm::kWirelessInterface, "ActiveAccessPoint")) {
    ap = orvo_dbus::get<sdbus::ObjectPath>(*value).value_or(sdbus::ObjectPath("/"));
  }
  if (!nm::is_object(ap) && nm::is_object(device.active_connection)) {
    if (auto value = bus.property(nm::Target{nm::kService, device.active_connection}, nm::kActiveInterface,
                                  "SpecificObject")) {
      ap = orvo_dbus::get<sdbus::ObjectPath>(*value).value_or(sdbus::ObjectPath("/"));
    }
  }
  if (!nm::is_object(ap)) return std::nullopt;
  auto ssid = bus.property(nm::Target{nm::kService, ap}, nm::kAccessPointInterface, "Ssid");
  if (!ssid) return std::nullopt;
  return orvo_dbus::get<std::vector<std::uint8_t>>(*ssid);
}

}  // namespace

std::uint8_t signal_bars(std::uint8_t strength) {
  if (strength >= 75) return 3;
  if (strength >= 50) return 2;
  if (strength >= 25) return 1;
  return 0;
}

std::expected<std::vector<WifiNetwork>, std::string> list_wifi_networks() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::devices(*bus);
  if (!all) return std::unexpected(all.error());

  std::map<std::string, Seen> by_name;
  for (const auto& device : *all) {
    if (device.type != nm::kDeviceWifi) continue;
    const auto in_use = active_ssid(*bus, device);
    auto points = bus->property(nm::Target{nm::kService, device.path}, nm::kWirelessInterface, "AccessPoints");
    if (!points) continue;
    for (const auto& path :
         orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*points).value_or(std::vector<sdbus::ObjectPath>{})) {
      auto properties = bus->all_properties(nm::Target{nm::kService, path}, nm::kAccessPointInterface);
      if (!properties) continue;
      const auto ssid = orvo_dbus::get<std::vector<std::uint8_t>>(*properties, "Ssid").value_or(std::vector<std::uint8_t>{});
      if (hidden(ssid)) continue;
      const std::uint8_t strength = orvo_dbus::get<std::uint8_t>(*properties, "Strength").value_or(0);
      const std::uint32_t flags = orvo_dbus::get<std::uint32_t>(*properties, "Flags").value_or(0);
      const std::uint32_t wpa = orvo_dbus::get<std::uint32_t>(*properties, "WpaFlags").value_or(0);
      const std::uint32_t rsn = orvo_dbus::get<std::uint32_t>(*properties, "RsnFlags").value_or(0);

      const std::string name = nm::lossy_utf8(ssid);
      Seen& seen = by_name[name];
      const bool connected = in_use && *in_use == ssid;
      if (seen.network.ssid.empty() || strength > seen.strength) {
        seen.strength = strength;
        seen.network.ssid = name;
        seen.network.secured = (flags & kApPrivacy) != 0 || wpa != 0 || rsn != 0;
        seen.network.signal_bars = signal_bars(strength);
        seen.network.security = security_kind(wpa | rsn);
      }
      if (connected) seen.network.in_use = 1;
    }
  }

  std::vector<Seen> rows;
  for (auto& [name, seen] : by_name) rows.push_back(std::move(seen));
  std::stable_sort(rows.begin(), rows.end(), [](const Seen& a, const Seen& b) {
    if (a.network.in_use != b.network.in_use) return a.network.in_use > b.network.in_use;
    return a.strength > b.strength;
  });
  std::vector<WifiNetwork> out;
  for (auto& row : rows) out.push_back(std::move(row.network));
  return out;
}

Result request_wifi_scan() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::devices(*bus);
  if (!all) return std::unexpected(all.error());
  for (const auto& device : *all) {
    if (device.type != nm::kDeviceWifi) continue;
    auto reply = bus->call<>(nm::Target{nm::kService, device.path}, nm::kWirelessInterface, "RequestScan",
                             orvo_dbus::kDefaultTimeout, orvo_dbus::Properties{});
    // The service refuses a scan right after the last one; the list it has is fresh enough then.
    if (!reply && !reply.error().name.ends_with(".NotAllowed")) return std::unexpected(nm::describe(reply.error()));
  }
  return {};
}

std::expected<bool, std::string> get_wifi() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto value = bus->property(nm::kManager, nm::kManagerInterface, "WirelessEnabled");
  if (!value) return std::unexpected(nm::describe(value.error()));
  auto enabled = orvo_dbus::get<bool>(*value);
  if (!enabled) return std::unexpected("the network service did not report the Wi-Fi state");
  return *enabled;
}

std::expected<RadioState, std::string> get_radio_state() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto manager = bus->all_properties(nm::kManager, nm::kManagerInterface);
  if (!manager) return std::unexpected(nm::describe(manager.error()));
  RadioState state;
  state.wifi = orvo_dbus::get<bool>(*manager, "WirelessEnabled");
  state.wifi_hardware = orvo_dbus::get<bool>(*manager, "WirelessHardwareEnabled");
  state.mobile_broadband = orvo_dbus::get<bool>(*manager, "WwanEnabled");
  if (state.wifi && state.mobile_broadband) state.airplane_mode = !*state.wifi && !*state.mobile_broadband;
  if (auto all = nm::devices(*bus)) state.mobile_present = nm::first_of_type(*all, nm::kDeviceModem).has_value();
  if (auto active = nm::active_connections(*bus)) state.hotspot = !nm::active_hotspots(*bus, *active).empty();
  return state;
}

std::expected<Connectivity, std::string> get_connectivity() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto value = bus->property(nm::kManager, nm::kManagerInterface, "Connectivity");
  if (!value) return std::unexpected(nm::describe(value.error()));
  const std::uint32_t raw = orvo_dbus::get<std::uint32_t>(*value).value_or(0);
  return raw <= 4 ? static_cast<Connectivity>(raw) : Connectivity::NotTested;
}

std::expected<std::string, std::string> captive_portal_uri() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto value = bus->property(nm::kManager, nm::kManagerInterface, "ConnectivityCheckUri");
  if (!value) {
    if (value.error().service_missing()) return std::unexpected(nm::describe(value.error()));
    return std::unexpected("the network service has no connectivity check address");
  }
  const std::string uri = orvo_dbus::get<std::string>(*value).value_or("");
  if (uri.empty()) return std::unexpected("the network service has no connectivity check address");
  return uri;
}

std::expected<std::vector<SavedNetworkProfile>, std::string> list_saved_network_profiles() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::profiles(*bus);
  if (!all) return std::unexpected(all.error());
  std::vector<SavedNetworkProfile> out;
  for (const auto& profile : *all) {
    SavedNetworkProfile saved;
    saved.name = nm::setting<std::string>(profile.settings, "connection", "id").value_or("");
    saved.uuid = nm::setting<std::string>(profile.settings, "connection", "uuid").value_or("");
    saved.kind = nm::setting<std::string>(profile.settings, "connection", "type").value_or("");
    saved.autoconnect = nm::setting<bool>(profile.settings, "connection", "autoconnect").value_or(true);
    if (saved.uuid.empty()) continue;
    out.push_back(std::move(saved));
  }
  return out;
}

namespace {

std::string ipv4_text(std::uint32_t network_order) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &network_order, text, sizeof text);
  return text;
}

std::optional<MacPolicy> mac_policy_of(const nm::Settings& settings, const std::string& section) {
  auto value = nm::setting<std::string>(settings, section, "assigned-mac-address");
  if (!value) value = nm::setting<std::string>(settings, section, "cloned-mac-address");
  if (!value) {
    // Without a choice of its own the profile keeps the device's own address.
    const auto it = settings.find(section);
    if (it == settings.end() || !it->second.contains("cloned-mac-address")) return MacPolicy::Permanent;
    return std::nullopt;  // a fixed address given as bytes
  }
  if (*value == "permanent") return MacPolicy::Permanent;
  if (*value == "random") return MacPolicy::Random;
  if (*value == "stable") return MacPolicy::Stable;
  return std::nullopt;
}

}  // namespace

std::expected<ConnectionProfileSettings, std::string> connection_profile_settings(std::string_view uuid) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto profile = nm::profile_by_uuid(*bus, uuid);
  if (!profile) return std::unexpected(profile.error());
  const nm::Settings& s = profile->settings;

  ConnectionProfileSettings out;
  const std::string method = nm::setting<std::string>(s, "ipv4", "method").value_or("auto");
  if (method == "auto" || method == "manual") {
    out.method_readable = method;
    out.automatic = method == "auto";
  }
  using AddressData = std::vector<std::map<std::string, sdbus::Variant>>;
  for (const auto& entry : nm::setting<AddressData>(s, "ipv4", "address-data").value_or(AddressData{})) {
    const auto address = orvo_dbus::get<std::string>(entry, "address");
    const auto prefix = orvo_dbus::get<std::uint32_t>(entry, "prefix");
    if (address) out.addresses.push_back(*address + "/" + std::to_string(prefix.value_or(32)));
  }
  if (auto gateway = nm::setting<std::string>(s, "ipv4", "gateway"); gateway && !gateway->empty()) out.gateway = gateway;
  for (std::uint32_t server : nm::setting<std::vector<std::uint32_t>>(s, "ipv4", "dns").value_or(std::vector<std::uint32_t>{})) {
    out.dns.push_back(ipv4_text(server));
  }

  const std::int32_t proxy_method = nm::setting<std::int32_t>(s, "proxy", "method").value_or(0);
  if (proxy_method == 0) {
    out.proxy = std::optional<std::string>{};
  } else if (proxy_method == 1) {
    const std::string pac = nm::setting<std::string>(s, "proxy", "pac-url").value_or("");
    out.proxy = pac.empty() ? std::optional<std::string>{} : std::optional<std::string>{pac};
  }

  const std::int32_t metered = nm::setting<std::int32_t>(s, "connection", "metered").value_or(0);
  if (metered >= 0 && metered <= 2) out.metered = static_cast<Metered>(metered);

  const std::string type = nm::setting<std::string>(s, "connection", "type").value_or("");
  if (type == "802-11-wireless" || type == "802-3-ethernet") out.mac_policy = mac_policy_of(s, type);
  return out;
}

std::expected<std::vector<VpnConnection>, std::string> list_vpn_connections() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::profiles(*bus);
  if (!all) return std::unexpected(all.error());
  auto active = nm::active_connections(*bus);
  if (!active) return std::unexpected(active.error());
  std::vector<VpnConnection> out;
  for (const auto& profile : *all) {
    const std::string kind = nm::setting<std::string>(profile.settings, "connection", "type").value_or("");
    if (kind != "vpn" && kind != "wireguard") continue;
    VpnConnection vpn;
    vpn.name = nm::setting<std::string>(profile.settings, "connection", "id").value_or("");
    vpn.uuid = nm::setting<std::string>(profile.settings, "connection", "uuid").value_or("");
    vpn.kind = kind;
    vpn.active = std::any_of(active->begin(), active->end(), [&](const nm::Active& a) {
      return a.connection == profile.path || (!vpn.uuid.empty() && a.uuid == vpn.uuid);
    });
    out.push_back(std::move(vpn));
  }
  return out;
}

namespace {

std::string state_words(std::uint32_t state) {
  switch (state) {
    case 10: return "asleep";
    case 20: return "disconnected";
    case 30: return "disconnecting";
    case 40: return "connecting";
    case 50: return "connected (local only)";
    case 60: return "connected (site only)";
    case 70: return "connected";
    default: return "unknown";
  }
}

}  // namespace

std::expected<ConnectionDiagnostics, std::string> connection_diagnostics() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto manager = bus->all_properties(nm::kManager, nm::kManagerInterface);
  if (!manager) return std::unexpected(nm::describe(manager.error()));

  ConnectionDiagnostics out;
  out.state = state_words(orvo_dbus::get<std::uint32_t>(*manager, "State").value_or(0));
  const std::uint32_t connectivity = orvo_dbus::get<std::uint32_t>(*manager, "Connectivity").value_or(0);
  out.connectivity = connectivity <= 4 ? static_cast<Connectivity>(connectivity) : Connectivity::NotTested;

  const std::string primary = orvo_dbus::get<sdbus::ObjectPath>(*manager, "PrimaryConnection").value_or(sdbus::ObjectPath("/"));
  std::string device_path;
  if (nm::is_object(primary)) {
    if (auto devices = bus->property(nm::Target{nm::kService, primary}, nm::kActiveInterface, "Devices")) {
      const auto paths = orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*devices).value_or(std::vector<sdbus::ObjectPath>{});
      if (!paths.empty()) device_path = paths.front();
    }
  }
  if (!nm::is_object(primary)) out.notes.push_back("No active network connection");

  if (nm::is_object(device_path)) {
    auto device = bus->all_properties(nm::Target{nm::kService, device_path}, nm::kDeviceInterface);
    if (device) {
      out.device = orvo_dbus::get<std::string>(*device, "Interface");
      const std::string ip4 = orvo_dbus::get<sdbus::ObjectPath>(*device, "Ip4Config").value_or(sdbus::ObjectPath("/"));
      auto config = nm::is_object(ip4) ? bus->all_properties(nm::Target{nm::kService, ip4}, nm::kIp4Interface)
                                       : std::expected<orvo_dbus::Properties, orvo_dbus::Error>(orvo_dbus::Properties{});
      if (config) {
        using Dicts = std::vector<std::map<std::string, sdbus::Variant>>;
        const auto addresses = orvo_dbus::get<Dicts>(*config, "AddressData").value_or(Dicts{});
        if (!addresses.empty()) {
          const auto address = orvo_dbus::get<std::string>(addresses.front(), "address");
          const auto prefix = orvo_dbus::get<std::uint32_t>(addresses.front(), "prefix");
          if (address) out.address = prefix ? *address + "/" + std::to_string(*prefix) : *address;
        }
        if (auto gateway = orvo_dbus::get<std::string>(*config, "Gateway"); gateway && !gateway->empty()) {
          out.gateway = gateway;
        }
        for (const auto& server : orvo_dbus::get<Dicts>(*config, "NameserverData").value_or(Dicts{})) {
          if (auto address = orvo_dbus::get<std::string>(server, "address")) out.dns.push_back(*address);
        }
        if (out.dns.empty()) {
          for (std::uint32_t server : orvo_dbus::get<std::vector<std::uint32_t>>(*config, "Nameservers")
                                          .value_or(std::vector<std::uint32_t>{})) {
            out.dns.push_back(ipv4_text(server));
          }
        }
      }
    }
  }
  if (!out.gateway) out.notes.push_back("No default gateway");
  if (out.dns.empty()) out.notes.push_back("No DNS servers");
  return out;
}

}  // namespace os_actions::network
