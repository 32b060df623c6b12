#pragma once
// Bindings of the Power and Updates pages' controls to their sections' actions. Each builds its
// section afresh against an empty settings document and the offline queries, so binding a control
// never asks the running system anything; an action the section does not publish gives none.
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/binding.h"

namespace settings::actions {

// The on/off binding ({"value": b}) of a Power switch ("auto_suspend").
std::optional<orvo_actions::ActionBinding<bool>> power_toggle_binding(std::string_view action);

// The choice binding ({"choice": text}) of a Power choice: the profile, the idle delays and the
// hardware-button actions.
std::optional<orvo_actions::ActionBinding<std::string>> power_choice_binding(std::string_view action);

// The choice binding of the Updates section's "schedule".
std::optional<orvo_actions::ActionBinding<std::string>> update_schedule_binding();

}  // namespace settings::actions
