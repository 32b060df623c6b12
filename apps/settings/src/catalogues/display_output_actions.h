#pragma once
// The actions of one display output, shared by the Displays section and the display pane's
// bindings: four switches and six choices, each a "settings.display-operation" for the output's
// connector with the operation contract over "device-local", "display", "live-output".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/display_handlers.h"
#include "orvo_actions/action_spec.h"

namespace settings::actions {

// "enabled", "primary", "hdr", "vrr".
std::optional<OutputSwitch> output_switch_named(std::string_view name);

// "Set display enabled", "Set primary display", "Set HDR", "Set variable refresh rate".
std::optional<orvo_actions::ActionSpec> output_switch_spec(std::string connector, OutputSwitch which);
// "Set output scale", "Set output position", "Set output mirroring", "Set resolution and refresh
// rate", "Set display orientation", "Set colour profile", offering the given values in order.
std::optional<orvo_actions::ActionSpec> output_choice_spec(std::string connector, OutputChoice which,
                                                           std::vector<std::string> values);

}  // namespace settings::actions
