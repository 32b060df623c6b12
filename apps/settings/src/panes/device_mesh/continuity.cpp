#include "panes/device_mesh/continuity.h"

#include <chrono>

#include <nlohmann/json.hpp>

#include "settings_store/settings_file.h"

namespace settings::panes::device_mesh {
namespace {

constexpr std::string_view kSection = "continuity";

struct CapabilityText {
  std::string_view id;
  std::string_view title;
  std::string_view description;
};

constexpr std::array<CapabilityText, 9> kTexts = {{
    {"clipboard", "Clipboard", "Share copied text and images with the current certified device."},
    {"notifications", "Notifications", "Mirror notification content and actions to the current device."},
    {"wifi_settings", "Wi-Fi & settings", "Offer saved network and compatible personal settings."},
    {"media", "Media", "Continue playback and expose media transport controls."},
    {"display_input", "Display & input", "Allow this device to extend a display or accept remote input."},
    {"file_transfer", "File transfer", "Accept explicit file sends between your certified devices."},
    {"realtime_sessions", "Realtime sessions", "Hand off active calls and other live app sessions."},
    {"typed_gamepad", "Typed gamepad forwarding", "Forward typed gamepad events, never an untyped input stream."},
    {"app_continuations", "App continuations",
     "Offer app placement and bounded resume state to your certified devices."},
}};

const CapabilityText& texts(ContinuityCapability capability) { return kTexts[static_cast<std::size_t>(capability)]; }

void keep_last_entries(std::vector<AuditEntry>& audit) {
  if (audit.size() > ContinuityPrivacy::kAuditLimit)
    audit.erase(audit.begin(), audit.end() - static_cast<std::ptrdiff_t>(ContinuityPrivacy::kAuditLimit));
}

}  // namespace

std::string_view id(ContinuityCapability capability) { return texts(capability).id; }
std::string_view title(ContinuityCapability capability) { return texts(capability).title; }
std::string_view description(ContinuityCapability capability) { return texts(capability).description; }

std::optional<ContinuityCapability> capability_from_id(std::string_view text) {
  for (ContinuityCapability capability : kContinuityCapabilities) {
    if (id(capability) == text) return capability;
  }
  return std::nullopt;
}

bool& ContinuityPrivacy::capability(ContinuityCapability which) {
  switch (which) {
    case ContinuityCapability::Clipboard: return clipboard;
    case ContinuityCapability::Notifications: return notifications;
    case ContinuityCapability::WifiSettings: return wifi_settings;
    case ContinuityCapability::Media: return media;
    case ContinuityCapability::DisplayInput: return display_input;
    case ContinuityCapability::FileTransfer: return file_transfer;
    case ContinuityCapability::RealtimeSessions: return realtime_sessions;
    case ContinuityCapability::TypedGamepad: return typed_gamepad;
    case ContinuityCapability::AppContinuations: return app_continuations;
  }
  return app_continuations;
}

bool ContinuityPrivacy::capability(ContinuityCapability which) const {
  return const_cast<ContinuityPrivacy&>(*this).capability(which);
}

void ContinuityPrivacy::record_change(std::optional<ContinuityCapability> which, bool value, std::uint64_t now_secs) {
  audit.push_back(AuditEntry{now_secs, which, value});
  keep_last_entries(audit);
}

std::expected<ContinuityPrivacy, std::string> decode_continuity(std::string_view text) {
  auto decoded = orvo_json::decode<ContinuityPrivacy>(text);
  if (!decoded) return std::unexpected(decoded.error().text());
  keep_last_entries(decoded->audit);
  return std::move(*decoded);
}

ContinuityPrivacy load_continuity() {
  const std::optional<nlohmann::ordered_json> section = settings_store::load_section(kSection);
  if (!section) return {};
  auto decoded = decode_continuity(orvo_json::value_text(*section));
  return decoded ? std::move(*decoded) : ContinuityPrivacy{};
}

std::expected<void, std::string> save_continuity_section(const ContinuityPrivacy& privacy) {
  nlohmann::ordered_json value = orvo_json::encode_value(privacy);
  if (!value.is_object()) return std::unexpected(std::string("continuity policy is not an object"));
  return settings_store::update_section(kSection, [&](nlohmann::ordered_json& section) {
    section = std::move(value);
    return true;
  });
}

}  // namespace settings::panes::device_mesh
