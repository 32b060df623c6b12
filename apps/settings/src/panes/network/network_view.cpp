// The network page: ten cards built from the pane's state. Every control writes a document key of
// the pane (or is the Wi-Fi switch, which also carries the section's "wifi" action); the pass does
// what they ask. Secret fields edit the pane's wiping buffers and never a document key.
#include <algorithm>
#include <fmt/format.h>

#include "catalogues/section_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/qr_widget.h"
#include "orvo_ui/widgets/signal_strength.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/control_binding.h"
#include "panes/network/network_keys.h"
#include "panes/network/network_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::network {

namespace {

using widget_support::caption_text;
using widget_support::section_stack;
using widget_support::setting_row;
using widget_support::setting_row_fixed;
using widget_support::value_row;
using widget_support::WidgetBox;

constexpr std::string_view kProxyPlaceholder = "https://proxy.example.com/proxy.pac";

WidgetBox row_text(std::string text) {
  return std::make_unique<orvo_ui::Text>(
      orvo_ui::Text(std::move(text)).with_size(widget_support::kRowTextSize).with_wrap(true));
}

// The widgets in a row, each at its own width.
WidgetBox row_of(std::vector<WidgetBox> widgets) {
  auto row = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(widget_support::kFixedRowGap));
  for (auto& widget : widgets) row->push(std::move(widget));
  return row;
}

// A button, then a flexible spacer.
WidgetBox button_row(orvo_ui::Button button) {
  std::vector<WidgetBox> parts;
  parts.push_back(std::make_unique<orvo_ui::Button>(std::move(button)));
  parts.push_back(std::make_unique<orvo_ui::Spacer>(orvo_ui::Spacer::flexible()));
  return row_of(std::move(parts));
}

template <typename W>
WidgetBox boxed(W widget) {
  return std::make_unique<W>(std::move(widget));
}

WidgetBox card(std::string_view title, std::vector<WidgetBox> rows) {
  return widget_support::titled_card(title, section_stack(std::move(rows)));
}

WidgetBox card_with(std::string_view title, WidgetBox accessory, std::vector<WidgetBox> rows) {
  return widget_support::titled_card_with_accessory(title, std::move(accessory), section_stack(std::move(rows)));
}

// The network's signal bars and lock, drawn by the toolkit (no icon font needed).
WidgetBox signal_icon(const net::WifiNetwork& network) {
  const auto bars = static_cast<std::uint8_t>(std::min<unsigned>(network.signal_bars, orvo_ui::SignalStrength::kMaxBars));
  return std::make_unique<orvo_ui::SignalStrength>(bars, network.secured);
}

const net::SavedNetworkProfile* target_profile(const std::vector<net::SavedNetworkProfile>& profiles,
                                               const std::optional<std::string>& selected) {
  if (profiles.empty()) return nullptr;
  for (const auto& profile : profiles) {
    if (selected && profile.uuid == *selected) return &profile;
  }
  return &profiles.front();
}

std::string join_texts(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> NetworkPane::content() {
  std::vector<WidgetBox> cards;
  if (!loaded_) {
    cards.push_back(card("Network", [] {
      std::vector<WidgetBox> rows;
      rows.push_back(caption_text("Reading the network state…"));
      return rows;
    }()));
    return widget_support::page_stack(std::move(cards));
  }
  cards.push_back(internet_card());
  cards.push_back(wifi_card());
  cards.push_back(enterprise_card());
  cards.push_back(wired_card());
  cards.push_back(profiles_card());
  cards.push_back(diagnostics_card());
  cards.push_back(vpn_card());
  cards.push_back(airplane_card());
  cards.push_back(hotspot_card());
  if (radio_.mobile_present) cards.push_back(mobile_card());
  return widget_support::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::secret_field(const std::shared_ptr<orvo_secret::SecretBuffer>& buffer,
                                                           std::string_view id, std::string_view placeholder) {
  return boxed(orvo_ui::TextInput::from_secret(buffer ? buffer : orvo_secret::SecretBuffer::make())
                   .with_id(id)
                   .with_placeholder(placeholder));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::internet_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(value_row("Connectivity", connectivity_label(connectivity_)));
  const bool portal = connectivity_ == net::Connectivity::Portal;
  rows.push_back(caption_text(portal ? "This network requires browser sign-in. NetworkManager will keep it below a fully "
                                       "connected route until sign-in succeeds."
                                     : "Connectivity comes from NetworkManager's captive-portal check, not merely from "
                                       "having an IP address."));
  if (portal) {
    rows.push_back(button_row(controls_.press_button(std::string(kCaptivePortalKey), "Open sign-in page", kCaptivePortalKey)));
  }
  return card("Internet access", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::wifi_card() {
  auto toggle = bind_or_warn(controls_.toggle(kWifiEnabledKey).with_id("network.wifi"),
                             actions::network_toggle_binding("wifi"), "the network section must publish \"wifi\"");
  std::vector<WidgetBox> rows;
  std::string status = "Wi-Fi is off";
  if (wifi_enabled_) {
    const auto in_use = std::find_if(wifi_networks_.begin(), wifi_networks_.end(),
                                     [](const auto& network) { return network.in_use == 1; });
    status = in_use == wifi_networks_.end() ? "Not connected" : "Connected to " + in_use->ssid;
  }
  rows.push_back(value_row("Status", status));
  if (status_message_) rows.push_back(caption_text(*status_message_));
  if (wifi_enabled_) {
    for (const auto& network : wifi_networks_) {
      const bool expanded = expanded_network_ == network.ssid;
      const std::string connect = connect_key(network.ssid);
      std::vector<WidgetBox> parts;
      parts.push_back(signal_icon(network));
      parts.push_back(row_text(network.ssid));
      parts.push_back(boxed(orvo_ui::Spacer::flexible()));
      parts.push_back(boxed(controls_.press_button(connect,
                                                   network.in_use == 1 ? "Connected" : expanded ? "Cancel" : "Connect",
                                                   connect)));
      rows.push_back(row_of(std::move(parts)));
      if (!expanded) continue;
      const std::string join = join_key(network.ssid);
      std::vector<WidgetBox> password;
      password.push_back(secret_field(wifi_password(network.ssid), "settings.network.password." + network.ssid, "Password"));
      password.push_back(boxed(orvo_ui::Spacer::flexible()));
      password.push_back(boxed(controls_.press_button(join, "Join", join)));
      rows.push_back(row_of(std::move(password)));
    }
  }
  rows.push_back(button_row(controls_.press_button(std::string(kRefreshKey), "Refresh", kRefreshKey)));
  rows.push_back(caption_text("Wi-Fi scanning and connection are best-effort via nmcli; secure networks prompt for a "
                              "password before joining."));
  return card_with("Wi-Fi", boxed(std::move(toggle)), std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::enterprise_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(caption_text(
      "Use an enterprise network for PEAP, TTLS, or EAP-TLS sign-in. Server certificate validation is mandatory."));
  if (enterprise_editor_open_) {
    rows.push_back(setting_row_fixed(
        "Method", boxed(controls_.dropdown(kEnterpriseMethodKey, {"PEAP", "TTLS", "TLS"}).with_placeholder("PEAP"))));
    rows.push_back(setting_row_fixed(
        "Inner authentication",
        boxed(controls_.dropdown(kEnterprisePhase2Key, {"MSCHAPv2", "PAP", "CHAP"}).with_placeholder("MSCHAPv2"))));
    static constexpr std::pair<std::string_view, std::string_view> kFields[] = {
        {"network.enterprise.profile", "Profile name"},
        {"network.enterprise.client_cert", "Client certificate path (TLS)"},
        {"network.enterprise.private_key", "Private key path (TLS)"},
        {"network.enterprise.ssid", "Network name (SSID)"},
        {"network.enterprise.identity", "Username / identity"},
        {"network.enterprise.anonymous", "Anonymous identity (optional)"},
        {kEnterpriseCaKey, "Absolute path to CA certificate"},
    };
    for (const auto& [key, placeholder] : kFields) rows.push_back(boxed(controls_.text_input(key).with_placeholder(placeholder)));
    rows.push_back(button_row(controls_.press_button(std::string(kEnterpriseCaChooseKey), "Choose CA certificate…",
                                                     kEnterpriseCaChooseKey)));
    rows.push_back(secret_field(enterprise_password_, "network.enterprise.password", "Password"));
    rows.push_back(button_row(
        controls_.press_button(std::string(kEnterpriseConnectKey), "Save and connect", kEnterpriseConnectKey)));
  }
  rows.push_back(button_row(controls_.press_button(std::string(kEnterpriseEditorKey),
                                                   enterprise_editor_open_ ? "Close enterprise setup" : "Set up enterprise",
                                                   kEnterpriseEditorKey)));
  return card("Enterprise Wi-Fi", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::wired_card() {
  std::vector<WidgetBox> rows;
  if (!wired_.enabled) {
    rows.push_back(value_row("Ethernet", "Not connected"));
    rows.push_back(caption_text("Plug in an Ethernet cable to use a wired connection."));
  } else {
    rows.push_back(value_row("Ethernet", wired_.connection ? "Connected · " + *wired_.connection : "Connected"));
  }
  if (wired_.interface) rows.push_back(value_row("Interface", *wired_.interface));
  rows.push_back(value_row("IPv4", wired_.ipv4.value_or("—")));
  const auto wired_profiles = profiles_of_kind(saved_profiles_, kEthernetKind);
  if (const auto* target = target_profile(wired_profiles, selected_ipv4_profile_)) {
    if (wired_profiles.size() >= 2) {
      rows.push_back(setting_row_fixed("Edit profile",
                                       boxed(controls_.dropdown(kIpv4ProfileKey, network_profile_choices(wired_profiles))
                                                 .with_placeholder(profile_label(*target)))));
    }
    const auto read = profile_settings_.find(target->uuid);
    if (read != profile_settings_.end() && read->second.method_readable) {
      rows.push_back(setting_row("Automatic IPv4", boxed(controls_.toggle(ipv4_key(target->uuid, "automatic")))));
      rows.push_back(boxed(controls_.text_input(ipv4_key(target->uuid, "address"))
                               .with_placeholder("Address/prefix · e.g. 192.0.2.10/24")));
      rows.push_back(boxed(controls_.text_input(ipv4_key(target->uuid, "gateway")).with_placeholder("Gateway")));
      rows.push_back(
          boxed(controls_.text_input(ipv4_key(target->uuid, "dns")).with_placeholder("DNS servers · comma-separated")));
      const std::string apply = ipv4_key(target->uuid, "apply");
      rows.push_back(button_row(controls_.press_button(apply, "Apply IP settings", apply)));
      rows.push_back(caption_text("NetworkManager validates and applies this profile. Custom DNS disables DHCP-provided "
                                  "DNS for this connection only."));
    } else {
      rows.push_back(caption_text(
          "This profile's IPv4 method is unsupported or could not be read; Settings will leave it unchanged."));
    }
  }
  if (!wired_.interface) return card("Wired", std::move(rows));
  return card_with("Wired", boxed(controls_.toggle(kWiredEnabledKey).with_id("network.wired")), std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::profiles_card() {
  auto accessory = boxed(controls_.press_button(std::string(kAdvancedKey),
                                                advanced_open_ ? "Hide connection policy" : "Connection policy", kAdvancedKey));
  std::vector<WidgetBox> rows;
  const auto wifi_profiles = profiles_of_kind(saved_profiles_, kWirelessKind);
  if (wifi_profiles.empty()) {
    rows.push_back(caption_text("No saved Wi-Fi networks."));
    return card_with("Connection profiles", std::move(accessory), std::move(rows));
  }
  for (const auto& profile : wifi_profiles) {
    std::vector<WidgetBox> parts;
    parts.push_back(row_text(profile.name));
    parts.push_back(boxed(orvo_ui::Spacer::flexible()));
    const std::string share = share_key(profile.uuid);
    const std::string forget = forget_key(profile.uuid);
    parts.push_back(boxed(controls_.press_button(share, "Share with my devices", share)));
    parts.push_back(boxed(controls_.press_button(forget, "Forget", forget)));
    parts.push_back(boxed(controls_.toggle(autoconnect_key(profile.uuid))));
    rows.push_back(row_of(std::move(parts)));
  }
  rows.push_back(caption_text("Sharing is opt-in and seals only the network name, security mode, and passphrase for "
                              "your certified devices. Interface, MAC, IP, DNS, proxy, and auto-connect settings stay "
                              "on this device."));
  if (advanced_open_) {
    const auto* target = target_profile(wifi_profiles, selected_advanced_profile_);
    if (wifi_profiles.size() >= 2) {
      rows.push_back(setting_row_fixed("Edit profile",
                                       boxed(controls_.dropdown(kAdvancedProfileKey, network_profile_choices(wifi_profiles))
                                                 .with_placeholder(profile_label(*target)))));
    }
    rows.push_back(caption_text(
        fmt::format("Connection policy for {}. NetworkManager remains the source of truth.", target->name)));
    if (profile_settings_.contains(target->uuid)) {
      rows.push_back(setting_row_fixed(
          "Metered", boxed(controls_.dropdown(metered_key(target->uuid), {"Automatic", "Metered", "Unmetered"})
                               .with_placeholder("Automatic"))));
      rows.push_back(setting_row_fixed(
          "Wi-Fi address",
          boxed(controls_
                    .dropdown(mac_key(target->uuid),
                              {"Stable per network", "Random each connection", "Permanent hardware address"})
                    .with_placeholder("Stable per network"))));
      rows.push_back(setting_row("Automatic proxy URL",
                                 boxed(controls_.text_input(proxy_key(target->uuid)).with_placeholder(kProxyPlaceholder))));
      const std::string apply = policy_key(target->uuid);
      rows.push_back(button_row(controls_.press_button(apply, "Apply policy", apply)));
    } else {
      rows.push_back(caption_text(
          "Policy values could not be read from NetworkManager, so Settings will not offer a destructive default editor."));
    }
  }
  return card_with("Connection profiles", std::move(accessory), std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::diagnostics_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(button_row(controls_.press_button(std::string(kDiagnosticsRunKey), "Run diagnostics", kDiagnosticsRunKey)));
  if (!diagnostics_) {
    rows.push_back(caption_text(
        "Checks NetworkManager state, address, gateway and DNS without sending traffic to a Orvo service."));
    return card("Connection diagnostics", std::move(rows));
  }
  rows.push_back(value_row("NetworkManager", diagnostics_->state));
  rows.push_back(value_row("Internet", connectivity_label(diagnostics_->connectivity)));
  if (diagnostics_->device) rows.push_back(value_row("Device", *diagnostics_->device));
  if (diagnostics_->address) rows.push_back(value_row("Address", *diagnostics_->address));
  if (diagnostics_->gateway) rows.push_back(value_row("Gateway", *diagnostics_->gateway));
  rows.push_back(value_row("DNS", diagnostics_->dns.empty() ? "Not provided" : join_texts(diagnostics_->dns)));
  for (const auto& note : diagnostics_->notes) rows.push_back(caption_text(note));
  return card("Connection diagnostics", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::vpn_card() {
  std::vector<WidgetBox> rows;
  for (const auto& vpn : vpn_connections_) {
    std::vector<WidgetBox> parts;
    parts.push_back(row_text(vpn.name));
    parts.push_back(boxed(orvo_ui::Spacer::flexible()));
    const std::string studio = vpn_studio_key(vpn.name);
    parts.push_back(boxed(controls_.press_button(studio, "Open VPN Studio", studio)));
    parts.push_back(boxed(controls_.toggle(vpn_key(vpn.name))));
    rows.push_back(row_of(std::move(parts)));
  }
  rows.push_back(caption_text(vpn_connections_.empty()
                                  ? "No VPN profiles yet. VPN Studio can import WireGuard and OpenVPN configurations."
                                  : "Connect here day to day. Use VPN Studio only for imports, DNS, routing, and "
                                    "kill-switch rules."));
  std::vector<WidgetBox> open;
  open.push_back(boxed(orvo_ui::Spacer::flexible()));
  open.push_back(boxed(controls_.press_button(std::string(kVpnStudioOpenKey), "Open VPN Studio", kVpnStudioOpenKey)));
  rows.push_back(row_of(std::move(open)));
  return card("VPN", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::airplane_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(caption_text("Disables Wi-Fi and mobile broadband together."));
  return card_with("Airplane mode", boxed(controls_.toggle(kAirplaneModeKey)), std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::hotspot_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(value_row("Status", radio_.hotspot == false ? "Off" : "Active"));
  rows.push_back(boxed(controls_.text_input(kHotspotSsidKey).with_placeholder("Hotspot name")));
  rows.push_back(secret_field(hotspot_password_, "network.hotspot.password", "Password · at least 8 characters"));
  rows.push_back(setting_row_fixed("Band", boxed(controls_.dropdown(kHotspotBandKey, {"Automatic", "2.4 GHz", "5 GHz"})
                                                     .with_placeholder("Automatic"))));
  std::vector<WidgetBox> buttons;
  buttons.push_back(
      boxed(controls_.press_button(std::string(kHotspotApplyKey), "Apply and start", kHotspotApplyKey)));
  buttons.push_back(boxed(
      controls_.press_button(std::string(kHotspotQrKey), hotspot_qr_shown_ ? "Hide QR" : "Share QR", kHotspotQrKey)));
  buttons.push_back(boxed(orvo_ui::Spacer::flexible()));
  rows.push_back(row_of(std::move(buttons)));
  if (hotspot_qr_shown_) {
    if (auto configuration = hotspot_configuration(hotspot_ssid_, hotspot_band_)) {
      rows.push_back(boxed(orvo_ui::QrWidget(configuration->qr_payload())));
      rows.push_back(caption_text("Scan to join. The QR code contains the hotspot password."));
    }
  }
  if (radio_.hotspot == true) {
    rows.push_back(value_row("Connected devices", fmt::format("{}", hotspot_clients_.size())));
    for (const auto& client : hotspot_clients_) {
      rows.push_back(value_row(client.name, client.signal_dbm ? fmt::format("{} dBm", *client.signal_dbm) : "signal unknown"));
    }
    rows.push_back(caption_text("Client names are not guessed from traffic. Turn the hotspot off to disconnect every "
                                "client immediately."));
  }
  return card_with("Wi-Fi hotspot", boxed(controls_.toggle(kHotspotKey)), std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::mobile_card() {
  std::vector<WidgetBox> rows;
  rows.push_back(caption_text("Create the carrier profile through NetworkManager. The APN is supplied by your carrier."));
  rows.push_back(boxed(controls_.text_input(kMobileProfileKey).with_placeholder("Profile name")));
  rows.push_back(boxed(controls_.text_input(kMobileApnKey).with_placeholder("Access point name (APN)")));
  rows.push_back(button_row(controls_.press_button(std::string(kMobileCreateKey), "Create profile", kMobileCreateKey)));
  rows.push_back(caption_text("If the SIM is locked, enter its PIN. It is sent directly to ModemManager over the system "
                              "bus and is never saved."));
  if (!mobile_sims_.empty()) {
    std::vector<std::string> labels;
    for (const auto& sim : mobile_sims_) labels.push_back(sim.label);
    rows.push_back(setting_row_fixed(
        "SIM", boxed(controls_.dropdown(kMobileSimKey, std::move(labels)).with_placeholder(mobile_sims_.front().label))));
  }
  rows.push_back(secret_field(mobile_pin_, "network.mobile.pin", "SIM PIN"));
  rows.push_back(button_row(controls_.press_button(std::string(kMobileUnlockKey), "Unlock SIM", kMobileUnlockKey)));
  return card_with("Mobile broadband", boxed(controls_.toggle(kMobileBroadbandKey)), std::move(rows));
}

}  // namespace settings::panes::network
