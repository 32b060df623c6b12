#pragma once
// Builders of the Mouse & Keyboard section (sections/input.cpp) that its bindings and tests name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/input_handlers.h"
#include "orvo_actions/action_spec.h"

namespace settings::actions {

inline constexpr std::string_view kInputSourcePrefix = "settings.input-source:";
inline constexpr std::string_view kInputSourceKind = "settings.input-source";

// A device-local input choice: kind "settings.input-operation", class 1, description "Choose an
// input preference", one text parameter "choice" ("Device-local input value") offering `allowed`
// in order, tags "device-local", "input". Invoked, it sends the operation `which` makes of the
// choice, or of `current` when no choice is given. None when the contract cannot be attached.
std::optional<orvo_actions::ActionSpec> input_choice_action(std::string id, std::string title, std::string current,
                                                            std::vector<std::string> allowed, InputChoice which);

}  // namespace settings::actions
