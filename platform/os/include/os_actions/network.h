#pragma once
// Networking through the system's network service (NetworkManager on the system bus).
//
// Every call opens its own bus connection, has a time limit, and answers at once when the bus or the
// service is missing. `get_wired` answers a whole sentence ("Could not read the wired connection:
// …"); every other call answers the reason only, in lower case ("the network service is not
// running"), because its callers put it after words of their own ("Could not change Wi-Fi power: ").
// Per-profile calls take the profile's uuid: the service allows two profiles with one name.
// Passphrases travel in wiping memory and only inside the D-Bus settings dictionary, never on a
// command line and never in a log.
#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_secret/secret_string.h"

namespace os_actions::network {

using Result = std::expected<void, std::string>;

// The wired link as the network pane shows it.
struct WiredState {
  std::optional<std::string> interface;   // absent: the machine has no wired device
  std::optional<std::string> connection;  // name of the active connection profile
  std::optional<std::string> ipv4;        // first IPv4 address, without prefix length
  bool enabled = false;                   // the link is being brought up or is up
};

// The wired device (an activated one first, else the first one the service lists).
std::expected<WiredState, std::string> get_wired();

// How a network can be joined with a passphrase.
enum class WifiSecurity : std::uint8_t {
  OpenOrOther = 0,  // open, enterprise (802.1X) or unknown: no personal passphrase
  Personal = 1,     // WPA/WPA2 personal (pre-shared key)
  Sae = 2,          // WPA3 personal only (SAE)
};

// One row per visible network name; the strongest access point of a name stands for it.
struct WifiNetwork {
  std::string ssid;              // the name's bytes as UTF-8, invalid sequences replaced
  bool secured = false;          // privacy or WPA/RSN flags set
  std::uint8_t in_use = 0;       // 1: the network this machine is connected to
  std::uint8_t signal_bars = 0;  // 0..3
  std::uint8_t security = 0;     // a `WifiSecurity` value, the kind a join uses

  bool operator==(const WifiNetwork&) const = default;
};

// Signal strength 0..100 to bars: 0..24 none, 25..49 one, 50..74 two, 75.. three.
std::uint8_t signal_bars(std::uint8_t strength);

// Networks in view: the connected one first, then by signal; hidden names are left out.
std::expected<std::vector<WifiNetwork>, std::string> list_wifi_networks();
// Asks the Wi-Fi devices for a fresh scan; a scan refused as too soon after the last one counts
// as done.
Result request_wifi_scan();

std::expected<bool, std::string> get_wifi();
Result set_wifi(bool enabled);
// Brings the wired device of `get_wired` up (with its best profile) or disconnects it.
Result set_wired(bool enabled);

// Radios. Absent (nullopt) means the service could not say.
struct RadioState {
  std::optional<bool> airplane_mode;  // Wi-Fi and mobile broadband both off
  bool mobile_present = false;        // a modem device is present
  std::optional<bool> mobile_broadband;
  std::optional<bool> hotspot;        // a Wi-Fi connection in access-point mode is active
  std::optional<bool> wifi;
  std::optional<bool> wifi_hardware;  // false: a hardware switch keeps Wi-Fi off
};

std::expected<RadioState, std::string> get_radio_state();
Result set_airplane_mode(bool enabled);
Result set_mobile_broadband(bool enabled);

enum class Connectivity : std::uint8_t {
  NotTested = 0,
  Offline = 1,
  Portal = 2,  // sign-in required
  Limited = 3,
  Full = 4,
};

std::expected<Connectivity, std::string> get_connectivity();
// The address to open for a network's sign-in page.
std::expected<std::string, std::string> captive_portal_uri();

// Saved connection profiles.
struct SavedNetworkProfile {
  std::string name;
  std::string uuid;
  std::string kind;  // the service's connection type: "802-11-wireless", "802-3-ethernet", "vpn", …
  bool autoconnect = true;

  bool operator==(const SavedNetworkProfile&) const = default;
};

enum class Metered : std::uint8_t { Automatic = 0, Metered = 1, Unmetered = 2 };
enum class MacPolicy : std::uint8_t { Permanent = 0, Random = 1, Stable = 2 };

struct ConnectionProfileSettings {
  // "auto" or "manual"; absent when the profile uses another IPv4 method or it could not be read.
  std::optional<std::string> method_readable;
  std::vector<std::string> addresses;  // "192.168.1.20/24"
  std::vector<std::string> dns;
  std::optional<std::string> gateway;
  bool automatic = false;
  // Outer: the proxy setting could be read; inner: the automatic proxy (PAC) address, if any.
  std::optional<std::optional<std::string>> proxy;
  std::optional<Metered> metered;
  std::optional<MacPolicy> mac_policy;
};

std::expected<std::vector<SavedNetworkProfile>, std::string> list_saved_network_profiles();
std::expected<ConnectionProfileSettings, std::string> connection_profile_settings(std::string_view uuid);
Result set_network_autoconnect(std::string_view uuid, bool enabled);
Result forget_network_profile(std::string_view uuid);

struct Ipv4Settings {
  bool automatic = true;
  std::vector<std::string> addresses;  // each "address/prefix"; a bare address means /24
  std::optional<std::string> gateway;
  std::vector<std::string> dns;
};
// Bad input (an address that is not IPv4, a manual setup without an address) is refused before
// anything is changed.
Result configure_ipv4(std::string_view uuid, const Ipv4Settings& settings);

// Only the fields present are changed.
struct ConnectionPolicyPatch {
  std::optional<Metered> metered;
  std::optional<MacPolicy> mac_policy;
  std::optional<std::optional<std::string>> proxy;  // set to a PAC address, or to no proxy
};
Result configure_connection_policy_patch(std::string_view uuid, const ConnectionPolicyPatch& patch);

// VPN and WireGuard profiles.
struct VpnConnection {
  std::string name;
  std::string uuid;
  std::string kind;  // "vpn" or "wireguard"
  bool active = false;

  bool operator==(const VpnConnection&) const = default;
};
std::expected<std::vector<VpnConnection>, std::string> list_vpn_connections();
// The first VPN profile of that name is brought up or down; nothing to do is success.
Result set_vpn_connection(std::string_view name, bool enabled);

// A look at the primary connection, without sending traffic.
struct ConnectionDiagnostics {
  std::string state;  // the service's overall state in words ("connected", "disconnected", …)
  std::vector<std::string> dns;
  std::vector<std::string> notes;  // "No default gateway", "No DNS servers", …
  std::optional<std::string> device;
  std::optional<std::string> address;
  std::optional<std::string> gateway;
  Connectivity connectivity = Connectivity::NotTested;
};
std::expected<ConnectionDiagnostics, std::string> connection_diagnostics();

// Joins a network in view through its saved profile (given a passphrase, the profile's is replaced),
// else through a new profile; WPA3-only networks get SAE.
// Ends once the service reports the connection up (or down, with its reason), at most `wait` after
// the request; the first form waits `kConnectionWait`.
inline constexpr std::chrono::milliseconds kConnectionWait{45000};
Result connect_wifi(std::string_view ssid, const std::optional<orvo_secret::SecretString>& passphrase);
Result connect_wifi(std::string_view ssid, const std::optional<orvo_secret::SecretString>& passphrase,
                    std::chrono::milliseconds wait);

// A mobile broadband profile for any modem; the APN may hold letters, digits, "." and "-".
Result create_mobile_profile(std::string_view name, std::string_view apn);

enum class EapMethod : std::uint8_t { Peap = 0, Ttls = 1, Tls = 2 };

struct EnterpriseWifiConfiguration {
  std::string profile;  // profile name; the SSID when empty
  std::string ssid;
  std::string identity;
  std::optional<std::string> anonymous_identity;
  std::string ca_certificate;  // absolute path of a readable file: server validation is mandatory
  EapMethod method = EapMethod::Peap;
  std::optional<std::string> phase2;  // inner authentication, lower case ("mschapv2")
  std::optional<std::string> client_certificate;
  std::optional<std::string> private_key;
};
// The password is the 802.1X password (PEAP, TTLS) or the private key's password (TLS). A request
// without a usable CA certificate, or a TLS request without certificate and key, is refused
// without contacting the service.
Result connect_enterprise_wifi(const EnterpriseWifiConfiguration& configuration,
                               const orvo_secret::SecretString& password);

// The Wi-Fi hotspot.
struct HotspotConfiguration {
  std::string ssid;
  orvo_secret::SecretString password;
  std::uint8_t band = 0;  // 0 automatic, 1 2.4 GHz, 2 5 GHz

  // Name 1..32 bytes; password 8..63 printable ASCII characters or 64 hexadecimal digits; band 0..2.
  Result validate() const;
  // "WIFI:T:WPA;S:<name>;P:<password>;;" with \ ; , : " escaped by a backslash.
  orvo_secret::SecretString qr_payload() const;
};

// Saves the hotspot profile (one, reused) and starts it on the Wi-Fi device.
Result configure_hotspot(const HotspotConfiguration& configuration);
// Starts the saved hotspot, or stops the running one.
Result set_hotspot(bool enabled);

struct HotspotClient {
  std::string name;  // the host name the client announced, else its hardware address
  std::optional<std::int32_t> signal_dbm;

  bool operator==(const HotspotClient&) const = default;
};
// Clients of the running hotspot from its address leases; empty when no hotspot runs.
std::expected<std::vector<HotspotClient>, std::string> list_hotspot_clients();

}  // namespace os_actions::network
