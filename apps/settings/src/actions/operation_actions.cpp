#include "actions/operation_actions.h"

#include <utility>

#include "actions/contracts.h"
#include "actions/operation_encoding.h"
#include "actions/setting_handlers.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_log/log.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionContract;
using orvo_actions::ActionSpec;
using orvo_actions::OperationClass;

// The fixed action spec of the operation under its own kind; none when it cannot be encoded.
template <OperationEnumeration Op>
std::optional<ActionSpec> fixed_operation(std::string name, std::string title, OperationClass cls,
                                          const Op& operation) {
  auto spec = orvo_actions::fixed_action_spec(std::move(name), std::move(title), cls, std::string(Op::kKind),
                                              operation);
  if (!spec) return std::nullopt;
  return std::move(*spec);
}

std::optional<ActionSpec> with_contract(std::optional<ActionSpec> spec, ActionContract contract) {
  if (!spec) return std::nullopt;
  const std::string name = spec->name;
  auto attached = std::move(*spec).with_contract(std::move(contract));
  if (!attached) orvo_log::warn("operation contract refused", {{"action", name}});
  return attached;
}

template <OperationEnumeration Op>
std::optional<ActionSpec> effect_spec(std::string name, std::string title, const Op& operation, Tags tags) {
  return with_contract(fixed_operation(std::move(name), std::move(title), OperationClass::Effect, operation),
                       operation_contract(std::move(tags)));
}

}  // namespace

std::optional<ActionSpec> operation_spec(std::string name, std::string title, const AudioOperation& operation,
                                         Tags tags) {
  return effect_spec(std::move(name), std::move(title), operation, std::move(tags));
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title, const PrinterOperation& operation,
                                         Tags tags) {
  return effect_spec(std::move(name), std::move(title), operation, std::move(tags));
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title, const BluetoothOperation& operation,
                                         Tags tags) {
  return effect_spec(std::move(name), std::move(title), operation, std::move(tags));
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title, const AgentModelOperation& operation,
                                         Tags tags) {
  return effect_spec(std::move(name), std::move(title), operation, std::move(tags));
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title,
                                         const KeyboardSourceOperation& operation) {
  return effect_spec(std::move(name), std::move(title), operation, {"device-local", "input-source"});
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title, const AccountOperation& operation,
                                         OperationClass cls) {
  auto spec = fixed_operation(std::move(name), std::move(title), cls, operation);
  if (!std::holds_alternative<AccountOperation::Test>(operation)) return spec;
  return with_contract(std::move(spec), operation_contract({"device-local", "accounts", "network-probe"}));
}

std::optional<ActionSpec> operation_spec(std::string name, std::string title,
                                         const AgentProviderOperation& operation) {
  return with_contract(fixed_operation(std::move(name), std::move(title), OperationClass::Effect, operation),
                       agent_provider_contract());
}

ActionContract agent_provider_contract() {
  ActionContract contract;
  contract.tags = {"device-local", "agent-provider"};
  contract.classification = {0, 2, 0, 1, 3};
  return contract;
}

ActionSpec setting_choice_spec(std::string name, std::string title, std::string key, std::string description,
                               std::vector<std::string> choices, std::string current) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(
      orvo_actions::ActionParam::text("choice", "New setting value").with_choices(std::move(choices)));
  ActionSpec spec = orvo_actions::typed_setting_spec(std::move(name), std::move(title), std::move(description),
                                                     std::move(params),
                                                     setting_choice_handler(std::move(key), std::move(current)));
  // The settings contract is well formed, so attaching it cannot be refused.
  auto attached = ActionSpec(spec).with_contract(settings_contract());
  return attached ? std::move(*attached) : spec;
}

}  // namespace settings::actions
