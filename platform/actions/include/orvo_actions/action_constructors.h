#pragma once
// Constructors of action specs: typed actions whose payload is built from the arguments,
// and fixed actions whose payload is encoded once, when they are declared.
#include <expected>
#include <string>
#include <vector>

#include "orvo_actions/action_spec.h"
#include "orvo_actions/typed_encoding.h"

namespace orvo_actions {

// An argument handler: builds the encoded operation from the arguments and never fails (a handler
// that cannot encode answers its kind with an empty payload).
using ArgumentHandler = std::function<EncodedAction(const ActionArgs&)>;

// An operation action: the encoder is a guard that runs the handler and passes its result with the
// declared kind through `enforce_operation_type`.
ActionSpec typed_operation_spec(std::string name, std::string title, std::string description, OperationClass cls,
                                std::string operation_kind, std::vector<ActionParam> params, ArgumentHandler handler);

// A setting action: class 0, no operation kind; the handler is the encoder, unguarded.
ActionSpec typed_setting_spec(std::string name, std::string title, std::string description,
                              std::vector<ActionParam> params, ArgumentHandler handler);

// An action that always invokes the given encoded action, whatever its arguments: no parameters,
// no operation kind, class 0.
ActionSpec prebuilt_action_spec(std::string name, std::string title, EncodedAction action);

// A switch that flips: invoked without arguments it invokes `flipped` (the other state than the
// current one); with {"value": true|false} it invokes `set(value)`, exactly that state, whatever
// the current one is. Its one parameter, "value", is optional; no operation kind, class 0.
ActionSpec flip_action_spec(std::string name, std::string title, EncodedAction flipped,
                            std::function<EncodedAction(bool value)> set);

// A prebuilt action with a class, whose kind is also its declared operation kind.
ActionSpec fixed_encoded_spec(std::string name, std::string title, OperationClass cls, EncodedAction action);

// An operation value encoded once under its kind. The encoding error is returned and nothing is built.
template <TypedPayload T>
std::expected<ActionSpec, ActionError> fixed_action_spec(std::string name, std::string title, OperationClass cls,
                                                         std::string kind, const T& value) {
  auto encoded = encode_typed(std::move(kind), value);
  if (!encoded) return std::unexpected(std::move(encoded.error()));
  return fixed_encoded_spec(std::move(name), std::move(title), cls, std::move(*encoded));
}

// A setting action value (class 0) encoded once under its namespace; it declares no operation kind.
template <TypedPayload T>
std::expected<ActionSpec, ActionError> fixed_action_spec(std::string name, std::string title,
                                                         std::string action_namespace, const T& value) {
  auto encoded = encode_typed(std::move(action_namespace), value);
  if (!encoded) return std::unexpected(std::move(encoded.error()));
  return prebuilt_action_spec(std::move(name), std::move(title), std::move(*encoded));
}

inline constexpr std::string_view kControlInvokeKind = "orvo.ui.control.invoke";
inline constexpr std::string_view kControlInvokeAction = "invoke";

// The "invoke" action of a control: kind "orvo.ui.control.invoke", payload the control id as a
// JSON string, the class the caller gives.
std::expected<ActionSpec, ActionError> fixed_action_spec(std::string title, OperationClass cls, const ControlId& id);

}  // namespace orvo_actions
