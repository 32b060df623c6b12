#pragma once
// What the network pane calls on the machine, in one argument: the shared dispatcher and
// continuity backend, and one callable per platform call. `real_network_services` wires the
// system's own backends; tests hand the pane stand-ins.
//
// Every callable is called from the pane's worker threads, never from the interface thread, and
// must be safe to share.
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_secret/secret_string.h"
#include "os_actions/dispatcher.h"
#include "os_actions/modem.h"
#include "os_actions/network.h"
#include "os_actions/wifi_continuity.h"

namespace settings::panes::network {

namespace net = os_actions::network;

template <typename T>
using Reading = std::expected<T, std::string>;
using Done = std::expected<void, std::string>;

// A CA certificate choice: the chosen local path, none when nothing usable was chosen, or the
// error of the chooser.
using CaChoice = std::expected<std::optional<std::string>, std::string>;

struct NetworkServices {
  std::shared_ptr<const os_actions::Dispatcher> dispatcher;
  std::shared_ptr<const os_actions::continuity::WifiContinuityBackend> continuity;

  std::function<Reading<std::vector<net::WifiNetwork>>()> list_wifi_networks;
  // Asks the service to look for Wi-Fi networks again.
  std::function<Done()> request_wifi_scan;
  std::function<Reading<bool>()> get_wifi;
  std::function<Reading<net::WiredState>()> get_wired;
  std::function<Reading<net::RadioState>()> get_radio_state;
  std::function<Reading<net::Connectivity>()> get_connectivity;
  std::function<Reading<std::vector<net::SavedNetworkProfile>>()> list_saved_network_profiles;
  std::function<Reading<net::ConnectionProfileSettings>(std::string_view uuid)> connection_profile_settings;
  std::function<Reading<std::vector<net::VpnConnection>>()> list_vpn_connections;
  std::function<Reading<std::vector<os_actions::modem::MobileSim>>()> list_mobile_sims;
  std::function<Reading<std::vector<net::HotspotClient>>()> list_hotspot_clients;
  std::function<Reading<net::ConnectionDiagnostics>()> connection_diagnostics;
  std::function<Done(std::string_view uuid, bool enabled)> set_network_autoconnect;
  std::function<Done(std::string_view uuid)> forget_network_profile;
  std::function<Done(const net::HotspotConfiguration&)> configure_hotspot;
  std::function<Done(std::string_view uuid, const net::Ipv4Settings&)> configure_ipv4;
  std::function<Done(std::string_view uuid, const net::ConnectionPolicyPatch&)> configure_connection_policy_patch;
  std::function<Reading<std::string>()> captive_portal_uri;
  // Hands an address to the desktop's browser; the error is already worded for the person.
  std::function<Done(std::string_view uri)> open_uri;
  using CreateMobileProfile = std::function<Done(std::string_view name, std::string_view apn)>;
  using UnlockSim = std::function<Done(std::string_view sim, const orvo_secret::SecretString& pin)>;
  using ConnectEnterprise =
      std::function<Done(const net::EnterpriseWifiConfiguration&, const orvo_secret::SecretString& password)>;
  using ChooseCa = std::function<CaChoice()>;
  CreateMobileProfile create_mobile_profile;
  UnlockSim unlock_mobile_sim_on;
  ConnectEnterprise connect_enterprise_wifi;
  // Opens the desktop's file chooser and waits for the person's choice.
  ChooseCa choose_ca_certificate;
  // Opens VPN Studio, on a profile when one is named.
  std::function<Done(std::optional<std::string> profile)> open_vpn_studio;
};

// The system's own backends.
NetworkServices real_network_services();

}  // namespace settings::panes::network
