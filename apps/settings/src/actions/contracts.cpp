#include "actions/contracts.h"

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

orvo_actions::ActionContract settings_contract() {
  orvo_actions::ActionContract contract;
  contract.tags = {"configuration", "system-setting"};
  contract.classification = {1, 0, 0, 1, 3};
  return contract;
}

orvo_actions::ActionContract operation_contract(std::vector<std::string> tags) {
  orvo_actions::ActionContract contract;
  contract.tags = std::move(tags);
  contract.result_schema = R"({"type":"string"})";
  contract.classification = {0, 2, 0, 1, 3};
  contract.qualifier = orvo_actions::ContractQualifier{orvo_actions::ContractQualifier::Form::Second, 0};
  return contract;
}

std::expected<orvo_actions::ActionSpec, orvo_actions::ActionError> fixed_action_spec(const PaneId& pane) {
  return orvo_actions::fixed_action_spec("open", "Open " + pane.title, orvo_actions::OperationClass::Navigation,
                                         std::string(kOpenPaneKind), pane.id);
}

}  // namespace settings::actions
