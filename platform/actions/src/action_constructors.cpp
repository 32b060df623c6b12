#include "orvo_actions/action_constructors.h"

namespace orvo_actions {
namespace {

ActionSpec assemble(std::string name, std::string title, OperationClass cls, std::vector<ActionParam> params,
                    std::optional<std::string> kind, std::string description, std::shared_ptr<const ActionEncoder> encoder) {
  ActionSpec spec;
  spec.name = std::move(name);
  spec.title = std::move(title);
  spec.contract = ActionContract::default_for(cls);
  spec.input = derive_input(params, encoder, std::move(description));
  spec.params = std::move(params);
  spec.operation_kind = std::move(kind);
  spec.encoder = std::move(encoder);
  spec.operation_class = cls;
  return spec;
}

ActionSpec prebuilt(std::string name, std::string title, OperationClass cls, std::optional<std::string> kind,
                    EncodedAction action) {
  ActionSpec spec;
  spec.name = std::move(name);
  spec.title = std::move(title);
  spec.contract = ActionContract::default_for(cls);
  spec.operation_kind = std::move(kind);
  spec.encoder = std::make_shared<const ActionEncoder>([action](const ActionArgs&) { return action; });
  spec.input = PrebuiltInput{std::move(action)};
  spec.operation_class = cls;
  return spec;
}

}  // namespace

ActionSpec typed_operation_spec(std::string name, std::string title, std::string description, OperationClass cls,
                                std::string operation_kind, std::vector<ActionParam> params, ArgumentHandler handler) {
  // Without a handler the spec has no encoder, and build_json refuses every invocation.
  std::shared_ptr<const ActionEncoder> guard;
  if (handler) {
    guard = std::make_shared<const ActionEncoder>(
        [kind = operation_kind, handler = std::move(handler)](const ActionArgs& args) {
          return enforce_operation_type(handler(args), kind);
        });
  }
  return assemble(std::move(name), std::move(title), cls, std::move(params), std::move(operation_kind),
                  std::move(description), std::move(guard));
}

ActionSpec typed_setting_spec(std::string name, std::string title, std::string description,
                              std::vector<ActionParam> params, ArgumentHandler handler) {
  std::shared_ptr<const ActionEncoder> encoder;
  if (handler) encoder = std::make_shared<const ActionEncoder>(std::move(handler));
  return assemble(std::move(name), std::move(title), OperationClass::Setting, std::move(params), std::nullopt,
                  std::move(description), std::move(encoder));
}

ActionSpec prebuilt_action_spec(std::string name, std::string title, EncodedAction action) {
  return prebuilt(std::move(name), std::move(title), OperationClass::Setting, std::nullopt, std::move(action));
}

ActionSpec flip_action_spec(std::string name, std::string title, EncodedAction flipped,
                            std::function<EncodedAction(bool value)> set) {
  ActionSpec spec = prebuilt(std::move(name), std::move(title), OperationClass::Setting, std::nullopt, flipped);
  spec.params = {ActionParam::boolean("value", "The state to set; without it the switch flips").optional()};
  spec.encoder = std::make_shared<const ActionEncoder>(
      [flipped = std::move(flipped), set = std::move(set)](const ActionArgs& args) {
        const auto value = args.boolean("value");
        return value && set ? set(*value) : flipped;
      });
  return spec;
}

ActionSpec fixed_encoded_spec(std::string name, std::string title, OperationClass cls, EncodedAction action) {
  std::string kind = action.kind;
  return prebuilt(std::move(name), std::move(title), cls, std::move(kind), std::move(action));
}

std::expected<ActionSpec, ActionError> fixed_action_spec(std::string title, OperationClass cls, const ControlId& id) {
  return fixed_encoded_spec(std::string(kControlInvokeAction), std::move(title), cls,
                            encode_control_id(std::string(kControlInvokeKind), id));
}

}  // namespace orvo_actions
