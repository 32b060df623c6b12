#pragma once
// The Continuity choices of this device: a master switch, one switch per capability, and a short
// audit of changes. They belong to this device only and live in the "continuity" section of the
// settings file. An audit entry holds only the time, the capability and the new value: never the
// data a capability carries.
#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_json/json.h"
#include "panes/device_mesh/clock.h"

namespace settings::panes::device_mesh {

enum class ContinuityCapability : std::uint8_t {
  Clipboard = 0,
  Notifications = 1,
  WifiSettings = 2,
  Media = 3,
  DisplayInput = 4,
  FileTransfer = 5,
  RealtimeSessions = 6,
  TypedGamepad = 7,
  AppContinuations = 8,
};

inline constexpr std::array<ContinuityCapability, 9> kContinuityCapabilities = {
    ContinuityCapability::Clipboard,        ContinuityCapability::Notifications, ContinuityCapability::WifiSettings,
    ContinuityCapability::Media,            ContinuityCapability::DisplayInput,  ContinuityCapability::FileTransfer,
    ContinuityCapability::RealtimeSessions, ContinuityCapability::TypedGamepad,  ContinuityCapability::AppContinuations,
};

std::string_view id(ContinuityCapability capability);
std::string_view title(ContinuityCapability capability);
std::string_view description(ContinuityCapability capability);
std::optional<ContinuityCapability> capability_from_id(std::string_view id);

constexpr auto describe_json(orvo_json::Tag<ContinuityCapability>) {
  using C = ContinuityCapability;
  return orvo_json::unit_enum<C>("ContinuityCapability", {{"clipboard", C::Clipboard},
                                                         {"notifications", C::Notifications},
                                                         {"wifi_settings", C::WifiSettings},
                                                         {"media", C::Media},
                                                         {"display_input", C::DisplayInput},
                                                         {"file_transfer", C::FileTransfer},
                                                         {"realtime_sessions", C::RealtimeSessions},
                                                         {"typed_gamepad", C::TypedGamepad},
                                                         {"app_continuations", C::AppContinuations}});
}

struct AuditEntry {
  std::uint64_t recorded_at_secs = 0;
  // None for the master switch.
  std::optional<ContinuityCapability> capability;
  bool enabled = false;
  bool operator==(const AuditEntry&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AuditEntry>) {
  return orvo_json::record<AuditEntry>("AuditEntry", orvo_json::field("recorded_at_secs", &AuditEntry::recorded_at_secs),
                                       orvo_json::field("capability", &AuditEntry::capability),
                                       orvo_json::field("enabled", &AuditEntry::enabled));
}

struct ContinuityPrivacy {
  static constexpr std::size_t kAuditLimit = 24;

  bool enabled = false;
  bool clipboard = false;
  bool notifications = false;
  bool wifi_settings = false;
  bool media = false;
  bool display_input = false;
  bool file_transfer = false;
  bool realtime_sessions = false;
  bool typed_gamepad = false;
  bool app_continuations = false;
  // Oldest first.
  std::vector<AuditEntry> audit;

  bool& capability(ContinuityCapability which);
  bool capability(ContinuityCapability which) const;

  // Appends the change to the audit, keeping the last `kAuditLimit` entries.
  void record_change(std::optional<ContinuityCapability> capability, bool enabled, std::uint64_t now_secs);

  bool operator==(const ContinuityPrivacy&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<ContinuityPrivacy>) {
  using P = ContinuityPrivacy;
  return orvo_json::record<P>(
      "ContinuityPrivacy", orvo_json::defaulted_field("enabled", &P::enabled),
      orvo_json::defaulted_field("clipboard", &P::clipboard), orvo_json::defaulted_field("notifications", &P::notifications),
      orvo_json::defaulted_field("wifi_settings", &P::wifi_settings), orvo_json::defaulted_field("media", &P::media),
      orvo_json::defaulted_field("display_input", &P::display_input),
      orvo_json::defaulted_field("file_transfer", &P::file_transfer),
      orvo_json::defaulted_field("realtime_sessions", &P::realtime_sessions),
      orvo_json::defaulted_field("typed_gamepad", &P::typed_gamepad),
      orvo_json::defaulted_field("app_continuations", &P::app_continuations),
      orvo_json::defaulted_field("audit", &P::audit));
}

// The record in a section's text; an error for one that cannot be read. An audit longer than the
// limit keeps its last entries.
std::expected<ContinuityPrivacy, std::string> decode_continuity(std::string_view text);

// The record of the settings file's "continuity" section; the default record when there is no
// settings file or section, or the section cannot be read.
ContinuityPrivacy load_continuity();

// Replaces the "continuity" section of the settings file with the record, keeping every other
// member of the file in its place; the error text when it could not.
std::expected<void, std::string> save_continuity_section(const ContinuityPrivacy& privacy);

}  // namespace settings::panes::device_mesh
