#pragma once
// Bindings of the Accessibility pane's controls to the actions of its section, built from the
// default preferences and an empty settings document; whether the on-screen keyboard and a screen
// reader are installed comes from `queries`. An action the section does not publish gives no
// binding.
#include <optional>
#include <string>
#include <string_view>

#include "catalogues/queries/input_queries.h"
#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

// The section built once, for binding a whole page of controls: a page binds some twenty controls
// at every layout.
class AccessibilityBindings {
 public:
  explicit AccessibilityBindings(const InputQueries& queries = system_input_queries());

  std::optional<orvo_actions::ActionBinding<bool>> toggle(std::string_view action) const;
  std::optional<orvo_actions::ActionBinding<std::string>> choice(std::string_view action) const;

 private:
  orvo_actions::Resource section_;
};

// One binding, from a section built for it alone.

// On/off: the accessibility toggles.
std::optional<orvo_actions::ActionBinding<bool>> accessibility_toggle_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

// {"choice": s}: the accessibility choices.
std::optional<orvo_actions::ActionBinding<std::string>> accessibility_choice_binding(
    std::string_view action, const InputQueries& queries = system_input_queries());

}  // namespace settings::actions
