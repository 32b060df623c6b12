#pragma once
// The battery charge cap action of the Power section, also bound by the Power page's own control.
#include <cstdint>
#include <optional>
#include <span>

#include "orvo_actions/action_spec.h"

namespace settings::actions {

// "set-charge-cap": one text parameter "percent" accepting each supported percentage written as
// "<n>%", in the given order; invoked without a usable percentage it caps at `default_percent`.
// Privileged, tags "device-local", "hardware". None when no percentage is supported: an empty
// list of allowed values would accept any text.
std::optional<orvo_actions::ActionSpec> charge_cap_action(std::span<const std::uint32_t> supported_percents,
                                                          std::uint32_t default_percent);

}  // namespace settings::actions
