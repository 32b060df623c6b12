#pragma once
// Where roamed settings came from: the settings sync service records, for each setting and each
// Wi-Fi profile that devices of the mesh disagree on, the source that won and the sources that
// differ. The file is "roaming-provenance.json" in the settings configuration directory:
//
//   {"settings": [{"key": "appearance.theme",
//                  "winner": {"device_label": "Laptop", "revision": 12},
//                  "differing": [{"device_label": "Desk", "revision": 9}]}],
//    "wifi_profiles": [{"profile": "Home", "security": "wpa-psk", "winner": {...}, "differing": [...]}]}
//
// Either list may be absent (empty); "differing" may be absent (empty); other keys are ignored.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "orvo_json/json.h"

namespace settings_store::roaming_provenance {

struct ProvenanceSource {
  std::string device_label;
  std::uint64_t revision = 0;
  bool operator==(const ProvenanceSource&) const = default;
};

struct RoamingSetting {
  std::string key;
  ProvenanceSource winner;
  std::vector<ProvenanceSource> differing;
  bool operator==(const RoamingSetting&) const = default;
};

struct RoamingWifiProfile {
  std::string profile;
  std::string security;
  ProvenanceSource winner;
  std::vector<ProvenanceSource> differing;
  bool operator==(const RoamingWifiProfile&) const = default;
};

struct RoamingProvenance {
  std::vector<RoamingSetting> settings;
  std::vector<RoamingWifiProfile> wifi_profiles;

  // Reads the file at `path` (at most 1 MiB); the error is a sentence naming what failed.
  static std::expected<RoamingProvenance, std::string> load_at(const std::filesystem::path& path);

  bool operator==(const RoamingProvenance&) const = default;
};

// None when no configuration directory is known.
std::optional<std::filesystem::path> path();

constexpr auto describe_json(orvo_json::Tag<ProvenanceSource>) {
  return orvo_json::record<ProvenanceSource>("ProvenanceSource",
                                             orvo_json::field("device_label", &ProvenanceSource::device_label),
                                             orvo_json::field("revision", &ProvenanceSource::revision));
}

constexpr auto describe_json(orvo_json::Tag<RoamingSetting>) {
  return orvo_json::record<RoamingSetting>("RoamingSetting", orvo_json::field("key", &RoamingSetting::key),
                                           orvo_json::field("winner", &RoamingSetting::winner),
                                           orvo_json::defaulted_field("differing", &RoamingSetting::differing));
}

constexpr auto describe_json(orvo_json::Tag<RoamingWifiProfile>) {
  using W = RoamingWifiProfile;
  return orvo_json::record<W>("RoamingWifiProfile", orvo_json::field("profile", &W::profile),
                              orvo_json::field("security", &W::security), orvo_json::field("winner", &W::winner),
                              orvo_json::defaulted_field("differing", &W::differing));
}

constexpr auto describe_json(orvo_json::Tag<RoamingProvenance>) {
  return orvo_json::record<RoamingProvenance>(
      "RoamingProvenance", orvo_json::defaulted_field("settings", &RoamingProvenance::settings),
      orvo_json::defaulted_field("wifi_profiles", &RoamingProvenance::wifi_profiles));
}

}  // namespace settings_store::roaming_provenance
