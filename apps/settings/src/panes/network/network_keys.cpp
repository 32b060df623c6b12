#include "panes/network/network_keys.h"

#include <fmt/format.h>

#include "orvo_runtime/text.h"

namespace settings::panes::network {

namespace net = os_actions::network;

std::string connect_key(std::string_view ssid) { return fmt::format("network.connect.{}", ssid); }
std::string join_key(std::string_view ssid) { return fmt::format("network.join.{}", ssid); }
std::string share_key(std::string_view uuid) { return fmt::format("network.profile.share.{}", uuid); }
std::string forget_key(std::string_view uuid) { return fmt::format("network.profile.forget.{}", uuid); }
std::string autoconnect_key(std::string_view uuid) { return fmt::format("network.profile.autoconnect.{}", uuid); }
std::string ipv4_key(std::string_view uuid, std::string_view field) {
  return fmt::format("network.ipv4.{}.{}", uuid, field);
}
std::string vpn_key(std::string_view name) { return fmt::format("network.vpn.{}", name); }
std::string vpn_studio_key(std::string_view name) { return fmt::format("network.vpn.studio.{}", name); }
std::string policy_key(std::string_view uuid) { return fmt::format("network.profile.policy.{}", uuid); }
std::string metered_key(std::string_view uuid) { return fmt::format("network.profile.metered.{}", uuid); }
std::string mac_key(std::string_view uuid) { return fmt::format("network.profile.mac.{}", uuid); }
std::string proxy_key(std::string_view uuid) { return fmt::format("network.profile.proxy.{}", uuid); }

std::string profile_label(const net::SavedNetworkProfile& profile) {
  return fmt::format("{} · {}", profile.name, orvo_runtime::text::first_characters(profile.uuid, 8));
}

std::string_view metered_label(net::Metered metered) {
  switch (metered) {
    case net::Metered::Metered: return "Metered";
    case net::Metered::Unmetered: return "Unmetered";
    case net::Metered::Automatic: break;
  }
  return "Automatic";
}

std::string_view mac_policy_label(net::MacPolicy policy) {
  switch (policy) {
    case net::MacPolicy::Random: return "Random each connection";
    case net::MacPolicy::Stable: return "Stable per network";
    case net::MacPolicy::Permanent: break;
  }
  return "Permanent hardware address";
}

std::string_view connectivity_label(net::Connectivity connectivity) {
  switch (connectivity) {
    case net::Connectivity::Offline: return "Offline";
    case net::Connectivity::Portal: return "Sign-in required";
    case net::Connectivity::Limited: return "Limited connectivity";
    case net::Connectivity::Full: return "Connected to the internet";
    case net::Connectivity::NotTested: break;
  }
  return "Connectivity not checked";
}

std::optional<std::string> first_nonblank_line(std::span<const std::string> lines) {
  for (const std::string& line : lines) {
    if (const std::string_view trimmed = orvo_runtime::text::trim_ascii_whitespace(line); !trimmed.empty()) return std::string(trimmed);
  }
  return std::nullopt;
}

std::vector<std::string> typed_list(std::string_view text) {
  std::vector<std::string> pieces;
  while (pieces.size() < kTypedListLimit) {
    const std::size_t comma = text.find(',');
    const std::string_view piece = orvo_runtime::text::trim_unicode_whitespace(text.substr(0, comma));
    if (!piece.empty()) pieces.emplace_back(piece);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return pieces;
}

std::optional<std::string> typed_optional(std::string_view text) {
  const std::string_view trimmed = orvo_runtime::text::trim_unicode_whitespace(text);
  if (trimmed.empty()) return std::nullopt;
  return std::string(trimmed);
}

std::vector<std::string> network_profile_choices(std::span<const net::SavedNetworkProfile> profiles) {
  std::vector<std::string> labels;
  labels.reserve(profiles.size());
  for (const auto& profile : profiles) labels.push_back(profile_label(profile));
  return labels;
}

std::vector<net::SavedNetworkProfile> profiles_of_kind(std::span<const net::SavedNetworkProfile> profiles,
                                                      std::string_view kind) {
  std::vector<net::SavedNetworkProfile> matching;
  for (const auto& profile : profiles) {
    if (profile.kind == kind) matching.push_back(profile);
  }
  return matching;
}

}  // namespace settings::panes::network
