// JSON descriptions of `SettingsAction` and `SettingValue`.
#include "actions/settings_action.h"

#include <nlohmann/json.hpp>

#include "actions/payload_json.h"
#include "actions/setting_key_filter.h"
#include "lib/settings_document.h"
#include "orvo_doc/document.h"
#include "preferences/setting_fields.h"

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

std::expected<void, orvo_actions::ActionError> SettingsAction::apply_to_document(orvo_doc::Document& document) const {
  const auto& set = std::get<SetSetting>(*this);
  if (!is_allowed_setting_key(set.key, set.value)) {
    return std::unexpected(orvo_actions::ActionError::refused(std::string(kStaleSettingMessage) + set.key));
  }
  // Only Bool and Text pass the filter.
  orvo_doc::ScalarValue scalar = std::holds_alternative<SettingValue::Bool>(set.value)
                                     ? orvo_doc::ScalarValue::boolean(std::get<SettingValue::Bool>(set.value))
                                     : orvo_doc::ScalarValue::str(std::get<SettingValue::Text>(set.value));
  // A shared vision setting keeps its twin key equal, so neither page later reads a stale value
  // back and reverts the change.
  if (auto twin = preferences::shared_setting_twin(set.key)) {
    auto mirrored = lib::put_if_changed(document, orvo_doc::kRoot, *twin, scalar);
    if (!mirrored) return std::unexpected(orvo_actions::ActionError::document(mirrored.error().message));
  }
  auto written = lib::put_if_changed(document, orvo_doc::kRoot, set.key, std::move(scalar));
  if (!written) return std::unexpected(orvo_actions::ActionError::document(written.error().message));
  return {};
}

nlohmann::ordered_json settings_action_value(const SettingsAction& action) { return orvo_json::encode_value(action); }

template std::string encode_payload(const SettingsAction&);
template std::expected<SettingsAction, orvo_json::Error> decode_payload<SettingsAction>(std::string_view);
template std::string encode_payload(const SettingValue&);
template std::expected<SettingValue, orvo_json::Error> decode_payload<SettingValue>(std::string_view);

SettingsAction SettingsAction::set_setting(std::string_view key, bool value) {
  return SetSetting{std::string(key), SettingValue(value)};
}

SettingsAction SettingsAction::set_setting(std::string_view key, std::string value) {
  return SetSetting{std::string(key), SettingValue(std::move(value))};
}

SettingsAction SettingsAction::set_setting(std::string_view key, std::string_view value) {
  return SetSetting{std::string(key), SettingValue(std::string(value))};
}

SettingsAction SettingsAction::set_setting(std::string_view key, const char* value) {
  return set_setting(key, std::string_view(value));
}

}  // namespace settings::actions
