#pragma once
// Ties a pane control to its section action. A binding the section's resource does not publish is
// a fault of the program, not of the user: the control is built unbound (it still edits the pane's
// document) and one warning with the message names what is missing.
#include <optional>
#include <string_view>
#include <utility>

#include "orvo_actions/binding.h"
#include "orvo_log/log.h"

namespace settings::panes {

template <typename Control, typename Value>
[[nodiscard]] Control bind_or_warn(Control control, std::optional<orvo_actions::ActionBinding<Value>> binding,
                                   std::string_view missing_message) {
  if (binding) return std::move(control).on_action(std::move(*binding));
  orvo_log::warn(missing_message, {{"op", "control_binding"}});
  return control;
}

}  // namespace settings::panes
