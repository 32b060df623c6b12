#pragma once
// The contracts the section catalogues attach to their actions, and the "open" action of a pane.
#include <expected>
#include <string>
#include <vector>

#include "orvo_actions/action_spec.h"
#include "orvo_actions/contract.h"

namespace settings::actions {

inline constexpr std::string_view kOpenPaneKind = "settings.open-pane";

// Setting actions: tags "configuration", "system-setting"; no result schema; (1, 0, 0, 1, 3).
orvo_actions::ActionContract settings_contract();

// Device-local operations: the given tags in order, result schema {"type":"string"},
// (0, 2, 0, 1, 3) and the qualifier's second form holding zero.
orvo_actions::ActionContract operation_contract(std::vector<std::string> tags);

// A pane by its id and title.
struct PaneId {
  std::string id;
  std::string title;
};

// The pane's "open" action: "Open <title>", kind "settings.open-pane", class 2, payload the pane
// id as a JSON string.
std::expected<orvo_actions::ActionSpec, orvo_actions::ActionError> fixed_action_spec(const PaneId& pane);

}  // namespace settings::actions
