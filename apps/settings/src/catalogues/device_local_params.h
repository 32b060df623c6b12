#pragma once
// The three parameter shapes of the device-local operation actions (a switch, a level from 0 to 1,
// a choice among values this device offers) and the constructor of such an action: class 1, the
// given kind, the shape's one required parameter and description, and the operation contract over
// the given tags.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "orvo_actions/action_spec.h"
#include "orvo_actions/resource.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {

inline constexpr std::string_view kSwitchDescription = "On or off on this device";
inline constexpr std::string_view kLevelDescription = "A value from 0 to 1";
inline constexpr std::string_view kChoiceDescription = "Choose a value available on this device";

// Boolean "value" ("Enabled").
orvo_actions::ActionParam switch_param();
// Number "value" ("Value") with the schema {"minimum":0.0,"maximum":1.0}.
orvo_actions::ActionParam level_param();
// Text "choice" ("Choice") accepting the given values, in order.
orvo_actions::ActionParam choice_param(std::vector<std::string> choices);

// Each is none only when the contract refuses the tags (an empty or repeated tag).
std::optional<orvo_actions::ActionSpec> switch_action(std::string name, std::string title, std::string_view kind,
                                                      orvo_actions::ArgumentHandler handler, Tags tags);
std::optional<orvo_actions::ActionSpec> level_action(std::string name, std::string title, std::string_view kind,
                                                     orvo_actions::ArgumentHandler handler, Tags tags);
std::optional<orvo_actions::ActionSpec> choice_action(std::string name, std::string title, std::string_view kind,
                                                      std::vector<std::string> choices,
                                                      orvo_actions::ArgumentHandler handler, Tags tags);

// A resource's action list grows only by the actions that were built.
void append_built(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action);

}  // namespace settings::actions
