// The network pane's editors and joins: the hotspot, the profile pickers, the IPv4 and policy
// editors, mobile broadband and the SIM, enterprise Wi-Fi with its CA chooser, the sign-in page,
// VPN Studio, and connecting to or joining a network in view. Each acts on a press of its key.
#include <algorithm>
#include <fmt/format.h>
#include <utility>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "panes/document_controls.h"
#include "panes/network/network_keys.h"
#include "panes/network/network_pane.h"

namespace settings::panes::network {

namespace {

using orvo_doc::ScalarValue;

std::string text_of(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  return lib::read_text(document, object, key).value_or("");
}

std::optional<net::Metered> metered_from_label(std::string_view label) {
  for (auto value : {net::Metered::Automatic, net::Metered::Metered, net::Metered::Unmetered}) {
    if (metered_label(value) == label) return value;
  }
  return std::nullopt;
}

std::optional<net::MacPolicy> mac_policy_from_label(std::string_view label) {
  for (auto value : {net::MacPolicy::Permanent, net::MacPolicy::Random, net::MacPolicy::Stable}) {
    if (mac_policy_label(value) == label) return value;
  }
  return std::nullopt;
}

std::string ascii_lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

void NetworkPane::sync_hotspot(orvo_doc::Document& document) {
  const bool apply = take_press(document, object_, kHotspotApplyKey);
  const bool qr = take_press(document, object_, kHotspotQrKey);
  if (!apply && !qr) return;
  const std::string name = text_of(document, object_, kHotspotSsidKey);
  hotspot_ssid_ = name.empty() ? std::string(kDefaultHotspotName) : name;
  hotspot_band_ = lib::read_text(document, object_, kHotspotBandKey).value_or(std::string(kDefaultHotspotBand));
  auto configuration = hotspot_configuration(hotspot_ssid_, hotspot_band_);
  if (!configuration) {
    set_status(std::move(configuration.error()));
    return;
  }
  if (qr) {
    hotspot_qr_shown_ = !hotspot_qr_shown_;
    mark_structure_dirty();
  }
  if (!apply || task_running("hotspot")) return;
  // Shared so the worker's call stays copyable; the password is wiped with the last holder.
  auto shared = std::make_shared<const net::HotspotConfiguration>(std::move(*configuration));
  call_on_worker<Reading<std::vector<net::HotspotClient>>>(
      "hotspot",
      [services = services_, shared]() -> Reading<std::vector<net::HotspotClient>> {
        if (auto configured = services->configure_hotspot(*shared); !configured) {
          return std::unexpected(std::move(configured.error()));
        }
        return services->list_hotspot_clients().value_or(std::vector<net::HotspotClient>{});
      },
      [](NetworkPane& pane, orvo_doc::Document& document, Reading<std::vector<net::HotspotClient>> clients) {
        if (!clients) {
          pane.set_status(fmt::format("Hotspot failed: {}", clients.error()));
          return;
        }
        pane.radio_.hotspot = true;
        pane.hotspot_clients_ = std::move(*clients);
        (void)lib::put_if_changed(document, pane.object_, kHotspotKey, ScalarValue::boolean(true));
        pane.set_status("Hotspot is active.");
      });
}

void NetworkPane::sync_profile_pickers(orvo_doc::Document& document) {
  const std::pair<std::string_view, std::optional<std::string>*> pickers[] = {
      {kAdvancedProfileKey, &selected_advanced_profile_},
      {kIpv4ProfileKey, &selected_ipv4_profile_},
  };
  for (const auto& [key, selected] : pickers) {
    const auto label = lib::read_text(document, object_, key);
    if (!label) continue;
    const auto found = std::find_if(saved_profiles_.begin(), saved_profiles_.end(),
                                    [&](const auto& profile) { return profile_label(profile) == *label; });
    if (found == saved_profiles_.end() || *selected == found->uuid) continue;
    *selected = found->uuid;
    mark_structure_dirty();
  }
}

void NetworkPane::sync_ipv4(orvo_doc::Document& document) {
  for (const auto& profile : profiles_of_kind(saved_profiles_, kEthernetKind)) {
    if (!take_press(document, object_, ipv4_key(profile.uuid, "apply"))) continue;
    const auto read = profile_settings_.find(profile.uuid);
    if (read == profile_settings_.end() || !read->second.method_readable) {
      set_status("IP settings were not applied because the profile could not be read safely.");
      continue;
    }
    net::Ipv4Settings settings;
    settings.automatic = lib::read_bool(document, object_, ipv4_key(profile.uuid, "automatic")).value_or(false);
    settings.addresses = typed_list(text_of(document, object_, ipv4_key(profile.uuid, "address")));
    settings.gateway = typed_optional(text_of(document, object_, ipv4_key(profile.uuid, "gateway")));
    settings.dns = typed_list(text_of(document, object_, ipv4_key(profile.uuid, "dns")));
    call_on_worker<Done>(
        "ipv4." + profile.uuid,
        [services = services_, uuid = profile.uuid, settings] { return services->configure_ipv4(uuid, settings); },
        [name = profile.name](NetworkPane& pane, orvo_doc::Document&, Done done) {
          pane.set_status(done ? fmt::format("Applied IP settings to {}.", name)
                               : fmt::format("IP settings were not applied: {}", done.error()));
        });
  }
}

void NetworkPane::sync_mobile_profile(orvo_doc::Document& document) {
  if (!take_press(document, object_, kMobileCreateKey)) return;
  start_mobile_profile(text_of(document, object_, kMobileProfileKey), text_of(document, object_, kMobileApnKey));
}

void NetworkPane::sync_editor_toggles(orvo_doc::Document& document) {
  if (take_press(document, object_, kAdvancedKey)) {
    advanced_open_ = !advanced_open_;
    if (advanced_open_) {
      for (const auto& profile : profiles_of_kind(saved_profiles_, kWirelessKind)) {
        (void)lib::ensure_text_object(document, object_, proxy_key(profile.uuid));
      }
    }
    mark_structure_dirty();
  }
  if (take_press(document, object_, kEnterpriseEditorKey)) {
    enterprise_editor_open_ = !enterprise_editor_open_;
    mark_structure_dirty();
  }
}

void NetworkPane::sync_policy(orvo_doc::Document& document) {
  const std::vector<net::SavedNetworkProfile> profiles = saved_profiles_;
  for (const auto& profile : profiles) {
    if (!take_press(document, object_, policy_key(profile.uuid))) continue;
    const auto read = profile_settings_.find(profile.uuid);
    if (read == profile_settings_.end()) {
      set_status("Policy was not applied because NetworkManager's current values could not be read.");
      continue;
    }
    const net::ConnectionProfileSettings& current = read->second;
    const auto metered = metered_from_label(text_of(document, object_, metered_key(profile.uuid)));
    const auto mac = mac_policy_from_label(text_of(document, object_, mac_key(profile.uuid)));
    const std::optional<std::string> proxy = typed_optional(text_of(document, object_, proxy_key(profile.uuid)));
    // Only what changes something is sent: an unknown current value is never overwritten.
    net::ConnectionPolicyPatch patch;
    if (current.metered && metered && *metered != *current.metered) patch.metered = metered;
    if (current.mac_policy && mac && *mac != *current.mac_policy) patch.mac_policy = mac;
    if (current.proxy && *current.proxy != proxy) patch.proxy = proxy;
    call_on_worker<Done>(
        "policy." + profile.uuid,
        [services = services_, uuid = profile.uuid, patch] {
          return services->configure_connection_policy_patch(uuid, patch);
        },
        [name = profile.name](NetworkPane& pane, orvo_doc::Document&, Done done) {
          pane.set_status(done ? fmt::format("Applied advanced policy to {}.", name)
                               : fmt::format("Policy was not applied: {}", done.error()));
        });
  }
}

void NetworkPane::sync_sim_unlock(orvo_doc::Document& document) {
  if (!take_press(document, object_, kMobileUnlockKey)) return;
  const auto chosen = lib::read_text(document, object_, kMobileSimKey);
  const os_actions::modem::MobileSim* sim = nullptr;
  if (chosen) {
    const auto by = [&](std::string os_actions::modem::MobileSim::*field) -> const os_actions::modem::MobileSim* {
      const auto found = std::find_if(mobile_sims_.begin(), mobile_sims_.end(),
                                      [&](const auto& each) { return each.*field == *chosen; });
      return found == mobile_sims_.end() ? nullptr : &*found;
    };
    sim = by(&os_actions::modem::MobileSim::label);
    if (!sim) sim = by(&os_actions::modem::MobileSim::identifier);
  }
  if (!sim && !mobile_sims_.empty()) sim = &mobile_sims_.front();
  start_sim_unlock(sim ? std::optional<std::string>(sim->path) : std::nullopt);
}

void NetworkPane::sync_enterprise(orvo_doc::Document& document) {
  if (take_press(document, object_, kEnterpriseConnectKey)) {
    net::EnterpriseWifiConfiguration configuration;
    configuration.profile = text_of(document, object_, "network.enterprise.profile");
    configuration.ssid = text_of(document, object_, "network.enterprise.ssid");
    configuration.identity = text_of(document, object_, "network.enterprise.identity");
    configuration.ca_certificate = text_of(document, object_, kEnterpriseCaKey);
    configuration.anonymous_identity = typed_optional(text_of(document, object_, "network.enterprise.anonymous"));
    const std::string method = text_of(document, object_, kEnterpriseMethodKey);
    configuration.method = method == "TTLS" ? net::EapMethod::Ttls : method == "TLS" ? net::EapMethod::Tls : net::EapMethod::Peap;
    if (auto phase2 = lib::read_text(document, object_, kEnterprisePhase2Key)) configuration.phase2 = ascii_lower(*phase2);
    configuration.client_certificate = typed_optional(text_of(document, object_, "network.enterprise.client_cert"));
    configuration.private_key = typed_optional(text_of(document, object_, "network.enterprise.private_key"));
    start_enterprise_wifi(std::move(configuration));
  }
  if (take_press(document, object_, kEnterpriseCaChooseKey)) start_ca_chooser();
}

void NetworkPane::sync_captive_portal(orvo_doc::Document& document) {
  if (!take_press(document, object_, kCaptivePortalKey) || task_running("portal")) return;
  call_on_worker<Done>(
      "portal",
      [services = services_]() -> Done {
        auto uri = services->captive_portal_uri();
        if (!uri) return std::unexpected(std::move(uri.error()));
        return services->open_uri(*uri);
      },
      [](NetworkPane& pane, orvo_doc::Document&, Done done) {
        if (!done) pane.set_status(fmt::format("Could not open network sign-in: {}", done.error()));
      });
}

void NetworkPane::sync_vpn_studio(orvo_doc::Document& document) {
  std::vector<std::optional<std::string>> launches;
  for (const auto& vpn : vpn_connections_) {
    if (take_press(document, object_, vpn_studio_key(vpn.name))) launches.emplace_back(vpn.name);
  }
  if (take_press(document, object_, kVpnStudioOpenKey)) launches.emplace_back(std::nullopt);
  for (auto& profile : launches) {
    call_on_worker<Done>(
        "vpn-studio", [services = services_, profile] { return services->open_vpn_studio(profile); },
        [](NetworkPane&, orvo_doc::Document&, Done done) {
          if (!done) orvo_log::warn("could not open VPN Studio", {{"error", done.error()}});
        });
  }
}

void NetworkPane::sync_expanded(orvo_doc::Document& document) {
  const std::string text = text_of(document, object_, kExpandedKey);
  std::optional<std::string> wanted = text.empty() ? std::nullopt : std::optional<std::string>(text);
  if (wanted != expanded_network_) set_expanded_network(document, std::move(wanted));
}

void NetworkPane::sync_connect_and_join(orvo_doc::Document& document) {
  const std::vector<net::WifiNetwork> networks = wifi_networks_;
  for (const auto& network : networks) {
    const bool expanded = expanded_network_ == network.ssid;
    if (take_press(document, object_, connect_key(network.ssid))) {
      if (network.secured && expanded) {
        set_expanded_network(document, std::nullopt);
      } else if (network.secured) {
        // A password stored or sealed on the person's devices is tried before asking.
        connect_wifi(network.ssid, network.security, std::nullopt, true);
      } else {
        connect_wifi(network.ssid, network.security, std::nullopt, false);
        set_expanded_network(document, std::nullopt);
      }
    }
    if (take_press(document, object_, join_key(network.ssid))) {
      std::optional<orvo_secret::SecretString> passphrase;
      if (auto buffer = wifi_password(network.ssid)) {
        orvo_secret::SecretString typed = buffer->take();
        if (!typed.empty()) passphrase.emplace(std::move(typed));
      }
      connect_wifi(network.ssid, network.security, std::move(passphrase), false);
      set_expanded_network(document, std::nullopt);
    }
  }
}

}  // namespace settings::panes::network
