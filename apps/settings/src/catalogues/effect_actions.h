#pragma once
// Building blocks of the catalogues whose actions are device-local operations (class 1): the
// switch and choice shapes, fixed operations, and the operation contract. An action whose spec or
// contract cannot be built is left out of its resource; the others are still appended.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "actions/contracts.h"
#include "actions/operation_encoding.h"
#include "actions/operation_actions.h"
#include "orvo_actions/resource.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {

inline constexpr std::string_view kSwitchDescription = "On or off on this device";
inline constexpr std::string_view kChoiceDescription = "Choose a value available on this device";

// The spec with the operation contract over `tags`; none when the contract is refused.
std::optional<orvo_actions::ActionSpec> with_operation_contract(orvo_actions::ActionSpec spec, Tags tags);

// A device-local switch: one boolean parameter "value" described `value_description`, the
// description "On or off on this device", class 1 under `kind`.
orvo_actions::ActionSpec switch_spec(std::string name, std::string title, std::string_view kind,
                                     orvo_actions::ArgumentHandler handler,
                                     std::string value_description = "Enabled");

// A device-local choice: one text parameter "choice" ("Choice") accepting exactly `choices`, the
// description "Choose a value available on this device", class 1 under `kind`.
orvo_actions::ActionSpec choice_spec(std::string name, std::string title, std::string_view kind,
                                     std::vector<std::string> choices, orvo_actions::ArgumentHandler handler);

// An action that always sends `operation` under its own kind; none when it cannot be encoded.
template <OperationEnumeration Op>
std::optional<orvo_actions::ActionSpec> fixed_operation_spec(
    std::string name, std::string title, const Op& operation,
    orvo_actions::OperationClass cls = orvo_actions::OperationClass::Effect) {
  auto spec = orvo_actions::fixed_action_spec(std::move(name), std::move(title), cls, std::string(Op::kKind),
                                              operation);
  if (!spec) return std::nullopt;
  return std::move(*spec);
}

// Appends the action when there is one.
void append_action(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action);

}  // namespace settings::actions
