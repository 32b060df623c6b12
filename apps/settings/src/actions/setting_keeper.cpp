#include "actions/setting_keeper.h"

#include "actions/register.h"
#include "actions/setting_key_filter.h"
#include "preferences/setting_fields.h"

namespace settings::actions {

std::expected<void, std::string> keep_setting_action(const orvo_actions::TypedAction& action) {
  const auto* settings_action = dynamic_cast<const SettingsTypedAction*>(&action);
  if (!settings_action) return {};
  const auto& set = std::get<SettingsAction::SetSetting>(settings_action->action());
  if (!is_allowed_setting_key(set.key, set.value)) return std::unexpected(std::string(kStaleSettingMessage) + set.key);
  // The filter lets only flags and texts through.
  if (const bool* flag = std::get_if<bool>(&set.value)) return preferences::write_setting_through(set.key, *flag);
  if (const auto* text = std::get_if<std::string>(&set.value)) return preferences::write_setting_through(set.key, *text);
  return {};
}

}  // namespace settings::actions
