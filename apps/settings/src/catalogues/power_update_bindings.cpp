#include "catalogues/power_update_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/action_builders.h"
#include "catalogues/resource_tree.h"

namespace settings::actions {

using settings_app::SettingsSection;

std::optional<orvo_actions::ActionBinding<bool>> power_toggle_binding(std::string_view action) {
  return bind_toggle(offline_section(SettingsSection::Power), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> power_choice_binding(std::string_view action) {
  return choice_binding(offline_section(SettingsSection::Power), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> update_schedule_binding() {
  return choice_binding(offline_section(SettingsSection::Updates), "schedule");
}

}  // namespace settings::actions
