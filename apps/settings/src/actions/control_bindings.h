#pragma once
// Ties of pane controls to the actions their resources declare. A missing action gives no binding:
// the pane then shows the control unbound.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"
#include "orvo_ui/widgets/button.h"

namespace settings::actions {

// Toggles: {"value": true|false}.
std::optional<orvo_actions::ActionBinding<bool>> toggle_binding(const orvo_actions::Resource& resource,
                                                                std::string_view action);
// Sliders: {"value": n}, null for a value that is not finite.
std::optional<orvo_actions::ActionBinding<double>> number_binding(const orvo_actions::Resource& resource,
                                                                  std::string_view action);
// Dropdowns: {"choice": text}.
std::optional<orvo_actions::ActionBinding<std::string>> choice_binding(const orvo_actions::Resource& resource,
                                                                       std::string_view action);
// Percent dropdowns: {"percent": text}, the text unchanged (a trailing "%" stays).
std::optional<orvo_actions::ActionBinding<std::string>> percent_binding(const orvo_actions::Resource& resource,
                                                                        std::string_view action);
// Text controls whose action names its own parameter: {key: text}.
std::optional<orvo_actions::ActionBinding<std::string>> keyed_binding(const orvo_actions::Resource& resource,
                                                                      std::string_view action, std::string key);
// Buttons: a nullary action; none when the action is missing or takes arguments.
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> unit_binding(const orvo_actions::Resource& resource,
                                                                            std::string_view action);

inline constexpr std::string_view kControlResourcePrefix = "orvo.control:";
inline constexpr std::string_view kControlResourceKind = "orvo.control";

// What a button with its own handler is pressed through: a resource of its own, "orvo.control:" and
// the control id, declaring the one nullary action "invoke" (kind "orvo.ui.control.invoke", payload
// the control id as a JSON string), and the button's binding to it.
struct ControlInvoke {
  orvo_actions::Resource resource;
  orvo_actions::ActionBinding<orvo_actions::Unit> binding;
};
ControlInvoke control_invoke_binding(const orvo_actions::ControlId& id, std::string_view label,
                                     orvo_actions::OperationClass cls);

// Makes a button with its own handler pressable by the action system: binds it to its invoke action
// (built from the button's id and label), publishes that resource from the button and makes the
// handler its invoke handler. A press then runs the handler once, through the invoke operation.
// Binding a button again replaces the resource, the binding and the handler.
[[nodiscard]] orvo_ui::Button bind_control_invoke(orvo_ui::Button button, orvo_actions::OperationClass cls,
                                                  std::function<void()> handler);

}  // namespace settings::actions
