#include "panes/setting_sync.h"

#include <optional>

#include "actions/settings_dispatch.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"

namespace settings::panes {

EmitSetting setting_emitter(orvo_ui::ActionHost& host, orvo_doc::Document& document) {
  return [&host, &document](const actions::SettingsAction& action) {
    actions::dispatch_with_context(
        host, document, actions::SettingsAction::kNamespace, action,
        actions::context_for_typed_action(actions::kSettingsAppId, actions::kSettingsAppName, action));
  };
}
namespace {

const orvo_doc::ScalarValue* scalar_at(const orvo_doc::Document& document, orvo_doc::ObjId object,
                                       std::string_view key) {
  auto found = document.lookup(object, key);
  if (!found || !*found) return nullptr;
  return std::get_if<orvo_doc::ScalarValue>(*found);
}

std::optional<bool> flag_at(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  const orvo_doc::ScalarValue* value = scalar_at(document, object, key);
  return value ? value->as_bool() : std::nullopt;
}

std::optional<std::string> text_at(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  const orvo_doc::ScalarValue* value = scalar_at(document, object, key);
  if (!value || !value->as_str()) return std::nullopt;
  return *value->as_str();
}

void put(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, orvo_doc::ScalarValue value) {
  if (auto written = document.put(object, key, std::move(value)); !written) {
    orvo_log::warn("could not write a setting's control", {{"key", std::string(key)}});
  }
}

}  // namespace

std::string edit_key(std::string_view key) { return std::string(key) + ".edit"; }

Reconciled<bool> sync_bool_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key,
                                   bool current, const EmitSetting& emit) {
  const std::string edit = edit_key(key);
  const bool effective = flag_at(document, object, key).value_or(current);
  const std::optional<bool> edited = flag_at(document, object, edit);
  if (effective != current) {
    put(document, object, edit, orvo_doc::ScalarValue::boolean(effective));
    return {effective, true};
  }
  if (edited && *edited != effective) {
    write_bool_setting(emit, key, *edited);
    return {*edited, true};
  }
  if (!edited) put(document, object, edit, orvo_doc::ScalarValue::boolean(current));
  return {current, false};
}

Reconciled<std::string> sync_text_setting(orvo_doc::Document& document, orvo_doc::ObjId object,
                                          std::string_view key, std::string_view current, SeenTexts& seen,
                                          const EmitSetting& emit) {
  const std::string edit = edit_key(key);
  const std::string stored = text_at(document, object, key).value_or(std::string(current));
  const std::optional<std::string> edited = text_at(document, object, edit);
  // A text counts as arriving only once: when it differs from the pane's label and from the text
  // last seen under the key.
  auto last = seen.find(key);
  const bool seen_before = last != seen.end() && last->second == stored;
  if (last == seen.end()) last = seen.emplace(std::string(key), stored).first;
  last->second = stored;
  if (stored != current && !seen_before) {
    put(document, object, edit, orvo_doc::ScalarValue::str(stored));
    return {stored, true};
  }
  if (edited && *edited != stored) {
    write_text_setting(emit, key, *edited);
    last->second = *edited;
    return {*edited, true};
  }
  if (!edited) put(document, object, edit, orvo_doc::ScalarValue::str(stored));
  return {std::string(current), false};
}

void mirror_shared_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key,
                           const preferences::SettingFieldValue& value) {
  const auto twin = preferences::shared_setting_twin(key);
  if (!twin) return;
  orvo_doc::ScalarValue scalar = std::holds_alternative<bool>(value)
                                     ? orvo_doc::ScalarValue::boolean(std::get<bool>(value))
                                     : orvo_doc::ScalarValue::str(std::get<std::string>(value));
  if (!lib::put_if_changed(document, object, *twin, std::move(scalar))) {
    orvo_log::warn("could not write a shared setting", {{"key", std::string(*twin)}});
  }
}

void show_stored_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  const orvo_doc::ScalarValue* value = scalar_at(document, object, key);
  if (!value) return;
  if (!lib::put_if_changed(document, object, edit_key(key), *value)) {
    orvo_log::warn("could not write a setting's control", {{"key", std::string(key)}});
  }
}

void write_bool_setting(const EmitSetting& emit, std::string_view key, bool value) {
  emit(actions::SettingsAction::set_setting(key, value));
}

void write_text_setting(const EmitSetting& emit, std::string_view key, std::string_view value) {
  emit(actions::SettingsAction::set_setting(key, value));
}

}  // namespace settings::panes
