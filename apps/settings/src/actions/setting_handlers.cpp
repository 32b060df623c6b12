#include "actions/setting_handlers.h"

#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"
#include "lib/settings_document.h"
#include "orvo_doc/document.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

orvo_actions::EncodedAction set_setting(const std::string& key, SettingValue value) {
  return encode_settings_action(SettingsAction::SetSetting{key, std::move(value)});
}

}  // namespace

orvo_actions::ArgumentHandler setting_switch_handler(std::string key) {
  return [key = std::move(key)](const orvo_actions::ActionArgs& args) {
    return set_setting(key, SettingValue::Bool{handler_support::flag(args)});
  };
}

orvo_actions::ArgumentHandler setting_text_handler(std::string key) {
  return [key = std::move(key)](const orvo_actions::ActionArgs& args) {
    return set_setting(key, SettingValue::Text{handler_support::choice(args)});
  };
}

orvo_actions::ArgumentHandler setting_choice_handler(std::string key, std::string current) {
  return [key = std::move(key), current = std::move(current)](const orvo_actions::ActionArgs& args) {
    return set_setting(key, SettingValue::Text{handler_support::choice(args, current)});
  };
}

bool current_bool(const orvo_doc::Document& document, std::string_view key, bool fallback) {
  return lib::read_bool(document, orvo_doc::kRoot, key).value_or(fallback);
}

std::string current_text(const orvo_doc::Document& document, std::string_view key, std::string_view fallback) {
  auto value = lib::read_text(document, orvo_doc::kRoot, key);
  return value ? std::move(*value) : std::string(fallback);
}

bool current_setting_flag(const orvo_doc::Document& document, const preferences::Preferences& prefs,
                          std::string_view key) {
  if (auto value = lib::read_bool(document, orvo_doc::kRoot, key)) return *value;
  return preferences::stored_flag(prefs, key).value_or(false);
}

std::string current_setting_label(const orvo_doc::Document& document, const preferences::Preferences& prefs,
                                  std::string_view key) {
  if (auto value = lib::read_text(document, orvo_doc::kRoot, key)) return std::move(*value);
  return preferences::stored_label(prefs, key).value_or(std::string());
}

}  // namespace settings::actions
