#pragma once
// Bindings of the Mouse & Keyboard pane's controls to the actions of its section. Each call builds
// the section afresh from the saved preferences and an empty settings document, with the keyboard
// layouts of `queries`. An action the section does not publish gives no binding.
#include <optional>
#include <string>
#include <string_view>

#include "catalogues/queries/input_queries.h"
#include "orvo_actions/binding.h"

namespace settings::actions {

// On/off ({"value": b}): the eight pointer switches and the two text-assistance flips.
std::optional<orvo_actions::ActionBinding<bool>> input_toggle_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

// Text sent under the action's own parameter: "choice" when it has one, else "label", else
// "value" ("active-source", "compose-key", "add-source", "acceleration-profile").
std::optional<orvo_actions::ActionBinding<std::string>> input_choice_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

}  // namespace settings::actions
