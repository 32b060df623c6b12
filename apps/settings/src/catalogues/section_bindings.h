#pragma once
// Bindings of the panes' controls to the actions of the sections whose actions do not depend on the
// running system: each builds its section offline, finds the action by name (byte for byte) and
// binds it. None for a name the section does not publish or the function does not accept.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "orvo_actions/binding.h"

namespace settings::actions {

// Displays: "auto_brightness" and "night_light" only.
std::optional<orvo_actions::ActionBinding<bool>> display_toggle_binding(std::string_view name);
// Displays: a button, for example "apply", "confirm" or "revert" of a staged change.
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> display_unit_binding(std::string_view name);
// Displays: "night_light_temperature" only.
std::optional<orvo_actions::ActionBinding<std::string>> night_light_warmth_binding(std::string_view name);
// Displays: "brightness" only, a slider from 0 to 1.
std::optional<orvo_actions::ActionBinding<double>> brightness_binding(std::string_view name);

// Power: "set-charge-cap" over the given percentages, sent as {"percent": "<n>%"}; none when no
// percentage is supported.
std::optional<orvo_actions::ActionBinding<std::string>> charge_cap_binding(std::span<const std::uint32_t> percents,
                                                                           std::uint32_t default_percent);

std::optional<orvo_actions::ActionBinding<bool>> network_toggle_binding(std::string_view name);
std::optional<orvo_actions::ActionBinding<bool>> bluetooth_toggle_binding(std::string_view name);
std::optional<orvo_actions::ActionBinding<bool>> updates_toggle_binding(std::string_view name);
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> updates_unit_binding(std::string_view name);
std::optional<orvo_actions::ActionBinding<bool>> time_date_toggle_binding(std::string_view name);
std::optional<orvo_actions::ActionBinding<std::string>> time_date_choice_binding(std::string_view name);

}  // namespace settings::actions
