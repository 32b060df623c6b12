#pragma once
// The network pane's document keys, the per-item key formatters and its small list functions.
// Per-profile keys take the profile's uuid: two saved profiles may share a name.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "os_actions/network.h"

namespace settings::panes::network {

inline constexpr std::string_view kRefreshKey = "network.refresh";
inline constexpr std::string_view kWifiEnabledKey = "network.wifi_enabled";
inline constexpr std::string_view kWiredEnabledKey = "network.wired_enabled";
inline constexpr std::string_view kAirplaneModeKey = "network.airplane_mode";
inline constexpr std::string_view kHotspotKey = "network.hotspot";
inline constexpr std::string_view kMobileBroadbandKey = "network.mobile_broadband";
inline constexpr std::string_view kDiagnosticsRunKey = "network.diagnostics.run";
inline constexpr std::string_view kExpandedKey = "network.expanded";
inline constexpr std::string_view kVpnStudioOpenKey = "network.vpn.studio.open";
inline constexpr std::string_view kHotspotApplyKey = "network.hotspot.apply";
inline constexpr std::string_view kHotspotQrKey = "network.hotspot.qr";
inline constexpr std::string_view kHotspotSsidKey = "network.hotspot.ssid";
inline constexpr std::string_view kHotspotBandKey = "network.hotspot.band";
inline constexpr std::string_view kAdvancedProfileKey = "network.advanced.profile";
inline constexpr std::string_view kIpv4ProfileKey = "network.ipv4.profile";
inline constexpr std::string_view kMobileSimKey = "network.mobile.sim";
inline constexpr std::string_view kEnterpriseMethodKey = "network.enterprise.method";
inline constexpr std::string_view kEnterprisePhase2Key = "network.enterprise.phase2";
inline constexpr std::string_view kEnterpriseCaKey = "network.enterprise.ca";
inline constexpr std::string_view kMobileCreateKey = "network.mobile.create";
inline constexpr std::string_view kMobileUnlockKey = "network.mobile.unlock";
inline constexpr std::string_view kMobileProfileKey = "network.mobile.profile";
inline constexpr std::string_view kMobileApnKey = "network.mobile.apn";
inline constexpr std::string_view kEnterpriseConnectKey = "network.enterprise.connect";
inline constexpr std::string_view kEnterpriseEditorKey = "network.enterprise.editor";
inline constexpr std::string_view kEnterpriseCaChooseKey = "network.enterprise.ca.choose";
inline constexpr std::string_view kCaptivePortalKey = "network.captive_portal.open";
inline constexpr std::string_view kAdvancedKey = "network.advanced";

// Text fields made Text objects at seeding.
inline constexpr std::string_view kSeededTextKeys[] = {
    "network.mobile.profile",      "network.mobile.apn",          "network.enterprise.profile",
    "network.enterprise.ssid",     "network.enterprise.identity", "network.enterprise.anonymous",
    "network.enterprise.ca",       "network.enterprise.client_cert", "network.enterprise.private_key",
};
// Press keys and closed editors written false at seeding.
inline constexpr std::string_view kSeededFalseKeys[] = {
    "network.mobile.create",        "network.mobile.unlock",        "network.enterprise.connect",
    "network.enterprise.editor",    "network.enterprise.ca.choose", "network.captive_portal.open",
    "network.diagnostics.run",      "network.advanced",
};

inline constexpr std::string_view kWirelessKind = "802-11-wireless";
inline constexpr std::string_view kEthernetKind = "802-3-ethernet";

std::string connect_key(std::string_view ssid);
std::string join_key(std::string_view ssid);
std::string share_key(std::string_view uuid);
std::string forget_key(std::string_view uuid);
std::string autoconnect_key(std::string_view uuid);
std::string ipv4_key(std::string_view uuid, std::string_view field);
std::string vpn_key(std::string_view name);
std::string vpn_studio_key(std::string_view name);
std::string policy_key(std::string_view uuid);
std::string metered_key(std::string_view uuid);
std::string mac_key(std::string_view uuid);
std::string proxy_key(std::string_view uuid);

// "{name} · {first 8 characters of the uuid}" (characters, not bytes).
std::string profile_label(const os_actions::network::SavedNetworkProfile& profile);

std::string_view metered_label(os_actions::network::Metered metered);
std::string_view mac_policy_label(os_actions::network::MacPolicy policy);
std::string_view connectivity_label(os_actions::network::Connectivity connectivity);

// The first text that is not blank, trimmed; none when every text is blank.
std::optional<std::string> first_nonblank_line(std::span<const std::string> lines);
// A typed list of addresses or servers: split at ",", each piece trimmed, empty pieces dropped,
// at most the first 17 pieces kept.
inline constexpr std::size_t kTypedListLimit = 17;
std::vector<std::string> typed_list(std::string_view text);
// A typed optional text: trimmed; none when nothing is left.
std::optional<std::string> typed_optional(std::string_view text);
// Each profile's choice label, in order.
std::vector<std::string> network_profile_choices(std::span<const os_actions::network::SavedNetworkProfile> profiles);
// The saved profiles of one connection type, in order.
std::vector<os_actions::network::SavedNetworkProfile> profiles_of_kind(
    std::span<const os_actions::network::SavedNetworkProfile> profiles, std::string_view kind);

}  // namespace settings::panes::network
