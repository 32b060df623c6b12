// Changes to networking: switches, saved profiles, VPN, joins and new profiles.
#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "network_manager.h"
#include "os_actions/network.h"

namespace os_actions::network {
namespace {

using nm::Settings;

Result set_manager_flag(const char* name, bool value) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto set = bus->set_property(nm::kManager, nm::kManagerInterface, name, sdbus::Variant(value));
  if (!set) return std::unexpected(nm::describe(set.error()));
  return {};
}

std::string in_quotes(std::string_view text) { return "\u201C" + std::string(text) + "\u201D"; }

std::optional<std::uint32_t> parse_ipv4(const std::string& text) {
  in_addr address{};
  if (::inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
  return address.s_addr;
}

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

Result set_wifi(bool enabled) { return set_manager_flag("WirelessEnabled", enabled); }

Result set_mobile_broadband(bool enabled) { return set_manager_flag("WwanEnabled", enabled); }

Result set_airplane_mode(bool enabled) {
  if (auto wifi = set_manager_flag("WirelessEnabled", !enabled); !wifi) return wifi;
  return set_manager_flag("WwanEnabled", !enabled);
}

Result set_wired(bool enabled) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::devices(*bus);
  if (!all) return std::unexpected(all.error());
  const auto device = nm::wired_device(*all);
  if (!device) return std::unexpected("this computer has no wired network device");
  if (!enabled) {
    if (!nm::is_object(device->active_connection)) return {};
    auto reply = bus->call<>(nm::Target{nm::kService, device->path}, nm::kDeviceInterface, "Disconnect",
                             nm::kActivationTimeout);
    if (!reply) return std::unexpected(nm::describe(reply.error()));
    return {};
  }
  if (nm::is_object(device->active_connection)) return {};
  // The device's first usable profile; without one the service picks or creates a fitting profile.
  const std::string profile = device->available_connections.empty() ? "/" : device->available_connections.front();
  return nm::activate(*bus, profile, device->path);
}

Result set_network_autoconnect(std::string_view uuid, bool enabled) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  return nm::update_profile(*bus, uuid, [enabled](Settings& settings) -> Result {
    settings["connection"]["autoconnect"] = sdbus::Variant(enabled);
    return {};
  });
}

Result forget_network_profile(std::string_view uuid) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto profile = nm::profile_by_uuid(*bus, uuid);
  if (!profile) return std::unexpected(profile.error());
  auto reply = bus->call<>(nm::Target{nm::kService, profile->path}, nm::kProfileInterface, "Delete",
                           orvo_dbus::kDefaultTimeout);
  if (!reply) return std::unexpected(nm::describe(reply.error()));
  return {};
}

Result configure_ipv4(std::string_view uuid, const Ipv4Settings& wanted) {
  using AddressData = std::vector<std::map<std::string, sdbus::Variant>>;
  AddressData addresses;
  for (const auto& text : wanted.addresses) {
    const std::string entry = trim(text);
    const auto slash = entry.find('/');
    const std::string address = entry.substr(0, slash);
    std::uint32_t prefix = 24;
    if (slash != std::string::npos) {
      const std::string digits = entry.substr(slash + 1);
      const bool numeric = !digits.empty() && digits.size() <= 2 &&
                           std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
      if (!numeric || std::stoul(digits) > 32) {
        return std::unexpected(in_quotes(entry) + " is not an IPv4 address with a prefix length");
      }
      prefix = static_cast<std::uint32_t>(std::stoul(digits));
    }
    if (!parse_ipv4(address)) return std::unexpected(in_quotes(entry) + " is not an IPv4 address");
    addresses.push_back({{"address", sdbus::Variant(address)}, {"prefix", sdbus::Variant(prefix)}});
  }
  std::optional<std::string> gateway;
  if (wanted.gateway && !trim(*wanted.gateway).empty()) {
    gateway = trim(*wanted.gateway);
    if (!parse_ipv4(*gateway)) return std::unexpected(in_quotes(*gateway) + " is not an IPv4 gateway address");
  }
  std::vector<std::uint32_t> dns;
  for (const auto& text : wanted.dns) {
    const auto server = parse_ipv4(trim(text));
    if (!server) return std::unexpected(in_quotes(trim(text)) + " is not an IPv4 DNS server address");
    dns.push_back(*server);
  }
  if (!wanted.automatic && addresses.empty()) {
    return std::unexpected("a manual IPv4 configuration needs at least one address");
  }

  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  return nm::update_profile(*bus, uuid, [&](Settings& settings) -> Result {
    auto& ipv4 = settings["ipv4"];
    // The older "addresses" form would make the service ignore "address-data" and "gateway".
    ipv4.erase("addresses");
    ipv4.erase("dns-data");
    ipv4["method"] = sdbus::Variant(std::string(wanted.automatic ? "auto" : "manual"));
    ipv4["address-data"] = sdbus::Variant(wanted.automatic ? AddressData{} : addresses);
    // The service refuses a gateway without addresses.
    if (gateway && !wanted.automatic) ipv4["gateway"] = sdbus::Variant(*gateway);
    else ipv4.erase("gateway");
    ipv4["dns"] = sdbus::Variant(dns);
    return {};
  });
}

Result configure_connection_policy_patch(std::string_view uuid, const ConnectionPolicyPatch& patch) {
  if (patch.proxy && *patch.proxy) {
    const std::string& url = **patch.proxy;
    if (!url.starts_with("http://") && !url.starts_with("https://") && !url.starts_with("file://")) {
      return std::unexpected("the automatic proxy address must start with http://, https:// or file://");
    }
  }
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  if (!patch.metered && !patch.mac_policy && !patch.proxy) {
    auto profile = nm::profile_by_uuid(*bus, uuid);
    if (!profile) return std::unexpected(profile.error());
    return {};
  }
  return nm::update_profile(*bus, uuid, [&](Settings& settings) -> Result {
    if (patch.metered) settings["connection"]["metered"] = sdbus::Variant(static_cast<std::int32_t>(*patch.metered));
    if (patch.mac_policy) {
      const std::string type = nm::setting<std::string>(settings, "connection", "type").value_or("");
      if (type != "802-11-wireless" && type != "802-3-ethernet") {
        return std::unexpected("this kind of connection has no hardware address setting");
      }
      static constexpr const char* kWords[] = {"permanent", "random", "stable"};
      auto& section = settings[type];
      section.erase("cloned-mac-address");
      section["assigned-mac-address"] = sdbus::Variant(std::string(kWords[static_cast<int>(*patch.mac_policy)]));
    }
    if (patch.proxy) {
      auto& proxy = settings["proxy"];
      if (*patch.proxy) {
        proxy["method"] = sdbus::Variant(std::int32_t{1});
        proxy["pac-url"] = sdbus::Variant(**patch.proxy);
      } else {
        proxy["method"] = sdbus::Variant(std::int32_t{0});
        proxy.erase("pac-url");
      }
    }
    return {};
  });
}

Result set_vpn_connection(std::string_view name, bool enabled) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::profiles(*bus);
  if (!all) return std::unexpected(all.error());
  const auto profile = std::find_if(all->begin(), all->end(), [name](const nm::Profile& p) {
    const auto type = nm::setting<std::string>(p.settings, "connection", "type");
    return (type == "vpn" || type == "wireguard") && nm::setting<std::string>(p.settings, "connection", "id") == name;
  });
  if (profile == all->end()) return std::unexpected("there is no VPN connection named " + in_quotes(name));
  auto active = nm::active_connections(*bus);
  if (!active) return std::unexpected(active.error());
  const auto running = std::find_if(active->begin(), active->end(),
                                    [&](const nm::Active& a) { return a.connection == profile->path; });
  if (enabled) {
    if (running != active->end()) return {};
    return nm::activate(*bus, profile->path, "/");
  }
  if (running == active->end()) return {};
  return nm::deactivate(*bus, running->path);
}

namespace {

struct AccessPoint {
  std::string device;
  std::string path;
  std::uint32_t key_management = 0;
};

// The strongest access point of that name on any Wi-Fi device.
std::expected<AccessPoint, std::string> find_access_point(orvo_dbus::Connection& bus, std::string_view ssid) {
  auto all = nm::devices(bus);
  if (!all) return std::unexpected(all.error());
  if (!nm::first_of_type(*all, nm::kDeviceWifi)) return std::unexpected("this computer has no Wi-Fi device");
  std::optional<AccessPoint> best;
  std::uint8_t best_strength = 0;
  const auto wanted = nm::bytes_of(ssid);
  for (const auto& device : *all) {
    if (device.type != nm::kDeviceWifi) continue;
    auto points = bus.property(nm::Target{nm::kService, device.path}, nm::kWirelessInterface, "AccessPoints");
    if (!points) continue;
    for (const auto& path :
         orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*points).value_or(std::vector<sdbus::ObjectPath>{})) {
      auto properties = bus.all_properties(nm::Target{nm::kService, path}, nm::kAccessPointInterface);
      if (!properties) continue;
      const auto name = orvo_dbus::get<std::vector<std::uint8_t>>(*properties, "Ssid");
      if (!name || (*name != wanted && nm::lossy_utf8(*name) != ssid)) continue;
      const std::uint8_t strength = orvo_dbus::get<std::uint8_t>(*properties, "Strength").value_or(0);
      if (best && strength <= best_strength) continue;
      best_strength = strength;
      best = AccessPoint{device.path, path,
                         orvo_dbus::get<std::uint32_t>(*properties, "WpaFlags").value_or(0) |
                             orvo_dbus::get<std::uint32_t>(*properties, "RsnFlags").value_or(0)};
    }
  }
  if (!best) return std::unexpected("no Wi-Fi network named " + in_quotes(ssid) + " is in range");
  return *best;
}

// Adds the profile and brings it up; the active connection's path.
std::expected<std::string, std::string> add_and_activate_connection(orvo_dbus::Connection& bus, const Settings& settings,
                                                                    const std::string& device,
                                                                    const std::string& specific_object) {
  auto reply = bus.call<sdbus::ObjectPath, sdbus::ObjectPath>(
      nm::kManager, nm::kManagerInterface, "AddAndActivateConnection", nm::kActivationTimeout, settings,
      sdbus::ObjectPath(device), sdbus::ObjectPath(specific_object));
  if (!reply) return std::unexpected(nm::describe(reply.error()));
  return std::string(std::get<1>(*reply));
}

constexpr std::uint32_t kKeySae = 0x400;
constexpr std::uint32_t kKeyPsk = 0x100;

}  // namespace

Result connect_wifi(std::string_view ssid, const std::optional<orvo_secret::SecretString>& passphrase) {
  return connect_wifi(ssid, passphrase, kConnectionWait);
}

Result connect_wifi(std::string_view ssid, const std::optional<orvo_secret::SecretString>& passphrase,
                    std::chrono::milliseconds wait) {
  if (ssid.empty()) return std::unexpected("a network name is required");
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto point = find_access_point(*bus, ssid);
  if (!point) return std::unexpected(point.error());

  const bool has_passphrase = passphrase && !passphrase->empty();
  const bool sae_only = (point->key_management & kKeySae) && !(point->key_management & kKeyPsk);
  const auto add_passphrase = [&](Settings& settings) {
    settings["802-11-wireless-security"]["key-mgmt"] = sdbus::Variant(std::string(sae_only ? "sae" : "wpa-psk"));
    settings["802-11-wireless-security"]["psk"] = nm::secret_variant(*passphrase);
  };

  // A saved profile of the network is used again: it knows its own secrets, and a new passphrase
  // replaces its old one rather than making a second profile.
  if (auto all = nm::profiles(*bus)) {
    for (const auto& profile : *all) {
      if (nm::is_hotspot_profile(profile.settings)) continue;
      const auto saved = nm::setting<std::vector<std::uint8_t>>(profile.settings, "802-11-wireless", "ssid");
      if (!saved || *saved != nm::bytes_of(ssid)) continue;
      if (has_passphrase) {
        auto settings = nm::read_settings_with_secrets(*bus, profile.path);
        if (!settings) return std::unexpected(settings.error());
        add_passphrase(*settings);
        if (auto written = nm::write_settings(*bus, profile.path, *settings); !written) return written;
      }
      auto active = nm::activate_connection(*bus, profile.path, point->device, point->path);
      if (!active) return std::unexpected(std::move(active.error()));
      return nm::wait_until_active(*bus, *active, point->device, wait);
    }
  }

  Settings settings;
  settings["connection"]["id"] = sdbus::Variant(std::string(ssid));
  settings["connection"]["type"] = sdbus::Variant(std::string("802-11-wireless"));
  settings["802-11-wireless"]["ssid"] = sdbus::Variant(nm::bytes_of(ssid));
  settings["802-11-wireless"]["mode"] = sdbus::Variant(std::string("infrastructure"));
  if (has_passphrase) add_passphrase(settings);
  auto active = add_and_activate_connection(*bus, settings, point->device, point->path);
  if (!active) return std::unexpected(std::move(active.error()));
  return nm::wait_until_active(*bus, *active, point->device, wait);
}

Result create_mobile_profile(std::string_view name, std::string_view apn) {
  const std::string profile = trim(name);
  if (profile.empty()) return std::unexpected("a profile name is required");
  const std::string access_point = trim(apn);
  const bool apn_ok = std::all_of(access_point.begin(), access_point.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-';
  });
  if (!apn_ok) return std::unexpected("the APN may hold only letters, digits, dots and hyphens");
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  Settings settings;
  settings["connection"]["id"] = sdbus::Variant(profile);
  settings["connection"]["type"] = sdbus::Variant(std::string("gsm"));
  settings["gsm"]["apn"] = sdbus::Variant(access_point);
  settings["ipv4"]["method"] = sdbus::Variant(std::string("auto"));
  settings["ipv6"]["method"] = sdbus::Variant(std::string("auto"));
  auto reply = bus->call<sdbus::ObjectPath>(nm::kSettings, nm::kSettingsInterface, "AddConnection",
                                            orvo_dbus::kDefaultTimeout, settings);
  if (!reply) return std::unexpected(nm::describe(reply.error()));
  return {};
}

namespace {

// Certificate and key settings name a file as a NUL-terminated "file://" address.
std::vector<std::uint8_t> file_reference(const std::string& path) {
  std::vector<std::uint8_t> bytes = nm::bytes_of("file://" + path);
  bytes.push_back(0);
  return bytes;
}

bool readable_file(const std::string& path) {
  std::error_code ec;
  return std::filesystem::path(path).is_absolute() && std::filesystem::is_regular_file(path, ec) &&
         ::access(path.c_str(), R_OK) == 0;
}

}  // namespace

Result connect_enterprise_wifi(const EnterpriseWifiConfiguration& configuration,
                               const orvo_secret::SecretString& password) {
  if (!readable_file(configuration.ca_certificate)) {
    return std::unexpected("An absolute path to a readable CA certificate is required.");
  }
  const bool tls = configuration.method == EapMethod::Tls;
  if (tls && (!configuration.client_certificate || !configuration.private_key)) {
    return std::unexpected("TLS sign-in needs a client certificate and a private key.");
  }
  if (configuration.ssid.empty()) return std::unexpected("a network name is required");
  for (const auto* file : {&configuration.client_certificate, &configuration.private_key}) {
    if (*file && !readable_file(**file)) return std::unexpected(in_quotes(**file) + " is not a readable file");
  }

  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto point = find_access_point(*bus, configuration.ssid);
  if (!point) return std::unexpected(point.error());

  Settings settings;
  const std::string id = configuration.profile.empty() ? configuration.ssid : configuration.profile;
  settings["connection"]["id"] = sdbus::Variant(id);
  settings["connection"]["type"] = sdbus::Variant(std::string("802-11-wireless"));
  settings["802-11-wireless"]["ssid"] = sdbus::Variant(nm::bytes_of(configuration.ssid));
  settings["802-11-wireless"]["mode"] = sdbus::Variant(std::string("infrastructure"));
  settings["802-11-wireless-security"]["key-mgmt"] = sdbus::Variant(std::string("wpa-eap"));
  auto& eap = settings["802-1x"];
  static constexpr const char* kMethods[] = {"peap", "ttls", "tls"};
  eap["eap"] = sdbus::Variant(std::vector<std::string>{kMethods[static_cast<int>(configuration.method)]});
  eap["identity"] = sdbus::Variant(configuration.identity);
  if (configuration.anonymous_identity) eap["anonymous-identity"] = sdbus::Variant(*configuration.anonymous_identity);
  eap["ca-cert"] = sdbus::Variant(file_reference(configuration.ca_certificate));
  if (!tls && configuration.phase2) eap["phase2-auth"] = sdbus::Variant(*configuration.phase2);
  if (configuration.client_certificate) eap["client-cert"] = sdbus::Variant(file_reference(*configuration.client_certificate));
  if (configuration.private_key) eap["private-key"] = sdbus::Variant(file_reference(*configuration.private_key));
  if (!password.empty()) eap[tls ? "private-key-password" : "password"] = nm::secret_variant(password);
  auto active = add_and_activate_connection(*bus, settings, point->device, point->path);
  if (!active) return std::unexpected(std::move(active.error()));
  return nm::wait_until_active(*bus, *active, point->device, kConnectionWait);
}

}  // namespace os_actions::network
