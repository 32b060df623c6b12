#pragma once
// Argument handlers of the Power section; each yields a "settings.power-operation".
#include <cstdint>
#include <string>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

// "value": SetAutoSuspend {enabled}. The "auto_suspend" switch.
orvo_actions::ArgumentHandler power_auto_suspend_handler();

// "choice": the button or battery action. `name` "lid" gives SetLidAction, "power-key"
// SetPowerKeyAction, any other name SetCriticalAction.
orvo_actions::ArgumentHandler power_button_choice_handler(std::string name);

// "choice": a profile or idle delay. `name` "active" gives SetProfile, "blank" SetBlankTimeout,
// "lock" SetLockTimeout, any other name (a profile: "default", "saver", ...) SetSuspendTimeout for
// that profile.
orvo_actions::ArgumentHandler power_timeout_choice_handler(std::string name);

// "percent": SetChargeLimit. The text ("80%") loses every trailing "%" and is read as an unsigned
// 32-bit decimal; anything else, or no argument, gives `default_percent`.
orvo_actions::ArgumentHandler charge_limit_handler(std::uint32_t default_percent);

}  // namespace settings::actions
