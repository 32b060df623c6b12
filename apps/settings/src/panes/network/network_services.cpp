#include "panes/network/network_services.h"

#include <utility>

#include "orvo_portal/portal.h"
#include "os_actions/tool_intent.h"

namespace settings::panes::network {

inline constexpr std::string_view kCaChooserTitle = "Choose organization CA certificate";

NetworkServices real_network_services() {
  NetworkServices services;
  services.dispatcher = std::make_shared<os_actions::RealDispatcher>();
  services.continuity = std::make_shared<os_actions::continuity::WifiContinuityBackend>();
  services.list_wifi_networks = net::list_wifi_networks;
  services.request_wifi_scan = net::request_wifi_scan;
  services.get_wifi = net::get_wifi;
  services.get_wired = net::get_wired;
  services.get_radio_state = net::get_radio_state;
  services.get_connectivity = net::get_connectivity;
  services.list_saved_network_profiles = net::list_saved_network_profiles;
  services.connection_profile_settings = net::connection_profile_settings;
  services.list_vpn_connections = net::list_vpn_connections;
  services.list_mobile_sims = os_actions::modem::list_mobile_sims;
  services.list_hotspot_clients = net::list_hotspot_clients;
  services.connection_diagnostics = net::connection_diagnostics;
  services.set_network_autoconnect = net::set_network_autoconnect;
  services.forget_network_profile = net::forget_network_profile;
  services.configure_hotspot = net::configure_hotspot;
  services.configure_ipv4 = net::configure_ipv4;
  services.configure_connection_policy_patch = net::configure_connection_policy_patch;
  services.captive_portal_uri = net::captive_portal_uri;
  services.open_uri = [](std::string_view uri) -> Done {
    if (auto opened = runtime_portal_xdg::OpenUri::open(uri); !opened) {
      return std::unexpected("could not open browser through the desktop portal: " + opened.error().display());
    }
    return {};
  };
  services.create_mobile_profile = net::create_mobile_profile;
  services.unlock_mobile_sim_on = os_actions::modem::unlock_mobile_sim_on;
  services.connect_enterprise_wifi = net::connect_enterprise_wifi;
  services.choose_ca_certificate = []() -> CaChoice {
    auto chosen = runtime_portal_xdg::FileChooser::open(kCaChooserTitle);
    if (!chosen) return std::unexpected(chosen.error().display());
    if (chosen->empty() || !chosen->front().path) return std::optional<std::string>();
    return std::optional<std::string>(std::move(*chosen->front().path));
  };
  services.open_vpn_studio = [](std::optional<std::string> profile) -> Done {
    return os_actions::tool_intent::open_tool({os_actions::tool_intent::Tool::VpnStudio, std::move(profile)});
  };
  return services;
}

}  // namespace settings::panes::network
