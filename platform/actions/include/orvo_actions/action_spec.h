#pragma once
// The declaration of one action: name, title, parameters, contract, the operation it produces and
// the encoder that turns an invocation's arguments into that operation.
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "orvo_actions/action_args.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/contract.h"
#include "orvo_actions/encoded_action.h"

namespace orvo_actions {

// Turns an invocation's arguments into the encoded operation. Shared by every copy of a spec,
// immutable, callable from any thread.
using ActionEncoder = std::function<EncodedAction(const ActionArgs&)>;

// The input of an action whose payload is built from its arguments: its description and the JSON
// Schema of its argument object (compact text), derived from the parameters.
struct DerivedInput {
  std::string description;
  std::string arguments_schema;
  friend bool operator==(const DerivedInput&, const DerivedInput&) = default;
};
// The input of an action encoded once, when it was declared.
struct PrebuiltInput {
  EncodedAction action;
  friend bool operator==(const PrebuiltInput&, const PrebuiltInput&) = default;
};
using ActionInput = std::variant<DerivedInput, PrebuiltInput>;

DerivedInput derive_input(const std::vector<ActionParam>& params, const std::shared_ptr<const ActionEncoder>& encoder,
                          std::string description);

// Why arguments did not fit an action; `message` is a readable sentence fragment naming the argument.
struct BuildError {
  enum class Reason : std::uint8_t { NotAnObject, Missing, WrongType, NotAllowed, OutOfRange, NoEncoder, Unknown };
  Reason reason = Reason::NotAnObject;
  std::string argument;
  std::string message;
  friend bool operator==(const BuildError&, const BuildError&) = default;
};

struct ActionSpec {
  std::string name;
  std::string title;
  ActionContract contract;
  std::vector<ActionParam> params;
  // The declared operation kind; absent for setting actions.
  std::optional<std::string> operation_kind;
  ActionInput input;
  std::shared_ptr<const ActionEncoder> encoder;
  OperationClass operation_class = OperationClass::Setting;
  bool is_destructive = false;
  bool is_privileged = false;

  // The spec with the contract attached, or none when the contract is malformed (an empty or
  // repeated tag, a result schema that is not a JSON object).
  [[nodiscard]] std::optional<ActionSpec> with_contract(ActionContract contract) &&;
  [[nodiscard]] ActionSpec destructive() &&;
  [[nodiscard]] ActionSpec privileged() &&;

  const ActionParam* find_param(std::string_view param_name) const;
  // The description of a derived input; empty for a prebuilt one.
  std::string_view description() const;

  // Checks every argument against the parameters: each required one present, each present one of
  // its kind (a number finite), within the allowed values and the schema bounds, and no argument
  // that no parameter names.
  std::expected<void, BuildError> check_arguments(const ActionArgs& args) const;
  // Checks, then runs the encoder. Nothing runs when the check fails.
  std::expected<EncodedAction, BuildError> build_json(const ActionArgs& args) const;
  // The same from JSON text, which must hold one object.
  std::expected<EncodedAction, BuildError> build_json(std::string_view args_json) const;

  // Copies compare equal: the encoder is compared by identity.
  friend bool operator==(const ActionSpec&, const ActionSpec&) = default;
};

}  // namespace orvo_actions
