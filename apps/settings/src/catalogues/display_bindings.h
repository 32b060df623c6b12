#pragma once
// The bindings of the display pane's per-output controls: each builds its one action on the
// output's one-action resource ("settings.display-output:<connector>"). None for a name the output
// does not publish.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_actions/binding.h"

namespace settings::actions {

// "enabled", "primary", "hdr" or "vrr".
std::optional<orvo_actions::ActionBinding<bool>> display_output_toggle_binding(std::string_view connector,
                                                                               std::string_view action);
// "scale", "position", "mirror", "mode", "transform" or "color-profile" over 1 to 128 values.
std::optional<orvo_actions::ActionBinding<std::string>> display_output_choice_binding(std::string_view connector,
                                                                                      std::string_view action,
                                                                                      std::vector<std::string> values);

}  // namespace settings::actions
