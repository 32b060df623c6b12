// The Wi-Fi hotspot: its configuration, its saved profile and its clients.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "network_manager.h"
#include "orvo_runtime/system_paths.h"
#include "os_actions/network.h"

namespace os_actions::network {
namespace {

using nm::Settings;

bool is_hex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
}

bool printable_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
}

void append_escaped(orvo_secret::SecretString& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == ';' || c == ',' || c == ':' || c == '"') out.append('\\');
    out.append(c);
  }
}

}  // namespace

Result HotspotConfiguration::validate() const {
  if (ssid.empty() || ssid.size() > 32) return std::unexpected("The hotspot name must be 1 to 32 bytes long.");
  const std::string_view text = password.view();
  const bool passphrase = text.size() >= 8 && text.size() <= 63 && printable_ascii(text);
  const bool raw_key = text.size() == 64 && is_hex(text);
  if (!passphrase && !raw_key) {
    return std::unexpected(
        "The hotspot password must be 8 to 63 printable ASCII characters or 64 hexadecimal digits.");
  }
  if (band > 2) return std::unexpected("The hotspot band must be automatic, 2.4 GHz or 5 GHz.");
  return {};
}

orvo_secret::SecretString HotspotConfiguration::qr_payload() const {
  orvo_secret::SecretString out("WIFI:T:WPA;S:");
  append_escaped(out, ssid);
  out.append(";P:");
  append_escaped(out, password.view());
  out.append(";;");
  return out;
}

namespace {

std::optional<nm::Profile> saved_hotspot(orvo_dbus::Connection& bus) {
  auto all = nm::profiles(bus);
  if (!all) return std::nullopt;
  for (auto& profile : *all) {
    if (nm::is_hotspot_profile(profile.settings)) return std::move(profile);
  }
  return std::nullopt;
}

void describe_hotspot(Settings& settings, const HotspotConfiguration& configuration) {
  settings["connection"]["id"] = sdbus::Variant(std::string("Hotspot"));
  settings["connection"]["type"] = sdbus::Variant(std::string("802-11-wireless"));
  settings["connection"]["autoconnect"] = sdbus::Variant(false);
  auto& wireless = settings["802-11-wireless"];
  wireless["ssid"] = sdbus::Variant(nm::bytes_of(configuration.ssid));
  wireless["mode"] = sdbus::Variant(std::string("ap"));
  if (configuration.band == 1) wireless["band"] = sdbus::Variant(std::string("bg"));
  else if (configuration.band == 2) wireless["band"] = sdbus::Variant(std::string("a"));
  else wireless.erase("band");
  settings["802-11-wireless-security"]["key-mgmt"] = sdbus::Variant(std::string("wpa-psk"));
  settings["802-11-wireless-security"]["psk"] = nm::secret_variant(configuration.password);
  settings["ipv4"]["method"] = sdbus::Variant(std::string("shared"));
  settings["ipv6"]["method"] = sdbus::Variant(std::string("ignore"));
}

}  // namespace

Result configure_hotspot(const HotspotConfiguration& configuration) {
  if (auto valid = configuration.validate(); !valid) return valid;
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto all = nm::devices(*bus);
  if (!all) return std::unexpected(all.error());
  const auto wifi = nm::first_of_type(*all, nm::kDeviceWifi);
  if (!wifi) return std::unexpected("this computer has no Wi-Fi device");

  std::string profile_path;
  if (auto saved = saved_hotspot(*bus)) {
    auto settings = nm::read_settings_with_secrets(*bus, saved->path);
    if (!settings) return std::unexpected(settings.error());
    describe_hotspot(*settings, configuration);
    if (auto written = nm::write_settings(*bus, saved->path, *settings); !written) return written;
    profile_path = saved->path;
  } else {
    Settings settings;
    describe_hotspot(settings, configuration);
    auto added = bus->call<sdbus::ObjectPath>(nm::kSettings, nm::kSettingsInterface, "AddConnection",
                                              orvo_dbus::kDefaultTimeout, settings);
    if (!added) return std::unexpected(nm::describe(added.error()));
    profile_path = std::get<0>(*added);
  }
  return nm::activate(*bus, profile_path, wifi->path);
}

Result set_hotspot(bool enabled) {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto active = nm::active_connections(*bus);
  if (!active) return std::unexpected(active.error());
  const auto running = nm::active_hotspots(*bus, *active);
  if (!enabled) {
    for (const auto& hotspot : running) {
      if (auto stopped = nm::deactivate(*bus, hotspot.path); !stopped) return stopped;
    }
    return {};
  }
  if (!running.empty()) return {};
  const auto saved = saved_hotspot(*bus);
  if (!saved) return std::unexpected("the hotspot has not been set up yet");
  auto all = nm::devices(*bus);
  if (!all) return std::unexpected(all.error());
  const auto wifi = nm::first_of_type(*all, nm::kDeviceWifi);
  if (!wifi) return std::unexpected("this computer has no Wi-Fi device");
  return nm::activate(*bus, saved->path, wifi->path);
}

std::expected<std::vector<HotspotClient>, std::string> list_hotspot_clients() {
  auto bus = nm::open();
  if (!bus) return std::unexpected(bus.error());
  auto active = nm::active_connections(*bus);
  if (!active) return std::unexpected(active.error());
  std::vector<HotspotClient> out;
  for (const auto& hotspot : nm::active_hotspots(*bus, *active)) {
    for (const auto& device : hotspot.devices) {
      auto name = bus->property(nm::Target{nm::kService, device}, nm::kDeviceInterface, "Interface");
      if (!name) continue;
      const std::string interface = orvo_dbus::get<std::string>(*name).value_or("");
      if (interface.empty() || interface.find('/') != std::string::npos) continue;
      // The shared-connection DHCP server's leases: "<expiry> <mac> <ip> <host name or *> <client id>".
      std::ifstream leases(system_paths::system_path("/var/lib/NetworkManager/dnsmasq-" + interface + ".leases"));
      std::string line;
      while (std::getline(leases, line)) {
        std::istringstream fields(line);
        std::string expiry, mac, address, host;
        if (!(fields >> expiry >> mac >> address)) continue;
        fields >> host;
        out.push_back(HotspotClient{host.empty() || host == "*" ? mac : host, std::nullopt});
      }
    }
  }
  return out;
}

}  // namespace os_actions::network
