#include "catalogues/section_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/action_builders.h"
#include "catalogues/charge_cap_action.h"
#include "catalogues/section_shell.h"
#include "catalogues/resource_tree.h"

namespace settings::actions {

using settings_app::SettingsSection;

std::optional<orvo_actions::ActionBinding<bool>> display_toggle_binding(std::string_view name) {
  if (name != "auto_brightness" && name != "night_light") return std::nullopt;
  return bind_toggle(offline_section(SettingsSection::Displays), name);
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> display_unit_binding(std::string_view name) {
  return unit_binding(offline_section(SettingsSection::Displays), name);
}

std::optional<orvo_actions::ActionBinding<std::string>> night_light_warmth_binding(std::string_view name) {
  if (name != "night_light_temperature") return std::nullopt;
  return choice_binding(offline_section(SettingsSection::Displays), name);
}

std::optional<orvo_actions::ActionBinding<double>> brightness_binding(std::string_view name) {
  if (name != "brightness") return std::nullopt;
  return number_binding(offline_section(SettingsSection::Displays), name);
}

std::optional<orvo_actions::ActionBinding<std::string>> charge_cap_binding(std::span<const std::uint32_t> percents,
                                                                           std::uint32_t default_percent) {
  auto action = charge_cap_action(percents, default_percent);
  if (!action) return std::nullopt;
  return percent_binding(section_shell(SettingsSection::Power).with_action(std::move(*action)), "set-charge-cap");
}

std::optional<orvo_actions::ActionBinding<bool>> network_toggle_binding(std::string_view name) {
  return bind_toggle(offline_section(SettingsSection::Network), name);
}

std::optional<orvo_actions::ActionBinding<bool>> bluetooth_toggle_binding(std::string_view name) {
  return bind_toggle(offline_section(SettingsSection::Bluetooth), name);
}

std::optional<orvo_actions::ActionBinding<bool>> updates_toggle_binding(std::string_view name) {
  return toggle_binding(offline_section(SettingsSection::Updates), name);
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> updates_unit_binding(std::string_view name) {
  return unit_binding(offline_section(SettingsSection::Updates), name);
}

std::optional<orvo_actions::ActionBinding<bool>> time_date_toggle_binding(std::string_view name) {
  return toggle_binding(offline_section(SettingsSection::TimeDate), name);
}

std::optional<orvo_actions::ActionBinding<std::string>> time_date_choice_binding(std::string_view name) {
  return choice_binding(offline_section(SettingsSection::TimeDate), name);
}

}  // namespace settings::actions
