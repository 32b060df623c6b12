#pragma once
// Bindings of the Mouse & Keyboard pane's controls to the actions of its section. Each call builds
// the section afresh from the saved preferences and an empty settings document, with the keyboard
// layouts of `queries`. An action the section does not publish gives no binding.
#include <optional>
#include <string>
#include <string_view>

#include "catalogues/queries/input_queries.h"
#include <vector>

#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

// On/off ({"value": b}): the eight pointer switches and the two text-assistance flips.
std::optional<orvo_actions::ActionBinding<bool>> input_toggle_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

// Text sent under the action's own parameter: "choice" when it has one, else "label", else
// "value" ("active-source", "compose-key", "add-source", "acceleration-profile").
std::optional<orvo_actions::ActionBinding<std::string>> input_choice_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

// A slider ({"value": n}): "touchpad-speed", "mouse-speed" or "key-repeat".
std::optional<orvo_actions::ActionBinding<double>> input_level_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

// A button on an action ("move-up", "move-down", "remove") of one configured keyboard source; none
// when the source is not configured or lacks the action.
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> keyboard_source_binding(
    std::string_view source_id, std::string_view action, const InputQueries& queries = system_input_queries());

// The first child whose id is "settings.input-source:<source id>".
std::optional<orvo_actions::Resource> find_input_source_resource(std::vector<orvo_actions::Resource> children,
                                                                 std::string_view source_id);

}  // namespace settings::actions
