#pragma once
// `SettingsAction`: the typed action of the namespace "settings.action", which writes one entry of the
// shared settings document.
#include <cstdint>
#include <expected>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <variant>

#include "orvo_actions/encoded_action.h"

namespace orvo_doc {
class Document;
}

namespace settings::actions {

// A setting's value, four newtype variants: {"Bool":true}, {"Int":-3}, {"Float":0.5}, {"Text":"Dark"}.
struct SettingValue : std::variant<bool, std::int64_t, double, std::string> {
  using variant::variant;
  using Bool = bool;
  using Int = std::int64_t;
  using Float = double;
  using Text = std::string;
};

namespace settings_action {
// {"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}}
struct SetSetting {
  std::string key;  // dotted setting key
  SettingValue value;
  bool operator==(const SetSetting&) const = default;
};
}  // namespace settings_action

struct SettingsAction : std::variant<settings_action::SetSetting> {
  using variant::variant;
  static constexpr std::string_view kNamespace = "settings.action";
  using SetSetting = settings_action::SetSetting;

  // A SetSetting of the key (copied) and the value: a boolean gives Bool, every text form Text.
  static SettingsAction set_setting(std::string_view key, bool value);
  static SettingsAction set_setting(std::string_view key, std::string value);
  static SettingsAction set_setting(std::string_view key, std::string_view value);
  // Without this a string literal would convert to bool.
  static SettingsAction set_setting(std::string_view key, const char* value);

  // Writes the setting into the document's root map when the key and value pass the setting-key
  // filter. A value equal to the stored one (same scalar kind, same value) records no change; an entry
  // of another kind, a map or a list under the key is replaced by the scalar. A refusal leaves the
  // document untouched; a failed write answers the document's error.
  std::expected<void, orvo_actions::ActionError> apply_to_document(orvo_doc::Document& document) const;
};

// The text of every refusal, followed by the key.
inline constexpr std::string_view kStaleSettingMessage =
    "settings target is stale, unknown, or has an invalid value: ";

// The action as a JSON document value, the same shape as its text.
nlohmann::ordered_json settings_action_value(const SettingsAction& action);

}  // namespace settings::actions
