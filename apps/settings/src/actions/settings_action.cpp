// JSON descriptions of `SettingsAction` and `SettingValue`.
#include "actions/settings_action.h"

#include <nlohmann/json.hpp>

#include "actions/payload_json.h"

namespace settings::actions {

constexpr auto describe_json(orvo_json::Tag<SettingValue>) {
  using orvo_json::newtype_variant;
  return orvo_json::externally_tagged<SettingValue>(
      "SettingValue", newtype_variant<SettingValue::Bool>("Bool"), newtype_variant<SettingValue::Int>("Int"),
      newtype_variant<SettingValue::Float>("Float"), newtype_variant<SettingValue::Text>("Text"));
}

constexpr auto describe_json(orvo_json::Tag<SettingsAction>) {
  using settings_action::SetSetting;
  return orvo_json::externally_tagged<SettingsAction>(
      "SettingsAction", orvo_json::struct_variant("SetSetting", orvo_json::field("key", &SetSetting::key),
                                                  orvo_json::field("value", &SetSetting::value)));
}

nlohmann::ordered_json settings_action_value(const SettingsAction& action) { return orvo_json::encode_value(action); }

template std::string encode_payload(const SettingsAction&);
template std::expected<SettingsAction, orvo_json::Error> decode_payload<SettingsAction>(std::string_view);
template std::string encode_payload(const SettingValue&);
template std::expected<SettingValue, orvo_json::Error> decode_payload<SettingValue>(std::string_view);

}  // namespace settings::actions
