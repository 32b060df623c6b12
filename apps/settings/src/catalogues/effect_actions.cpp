#include "catalogues/effect_actions.h"

#include "orvo_actions/action_param.h"

namespace settings::actions {

std::optional<orvo_actions::ActionSpec> with_operation_contract(orvo_actions::ActionSpec spec, Tags tags) {
  return std::move(spec).with_contract(operation_contract(std::move(tags)));
}

orvo_actions::ActionSpec switch_spec(std::string name, std::string title, std::string_view kind,
                                     orvo_actions::ArgumentHandler handler, std::string value_description) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::boolean("value", std::move(value_description)));
  return orvo_actions::typed_operation_spec(std::move(name), std::move(title), std::string(kSwitchDescription),
                                            orvo_actions::OperationClass::Effect, std::string(kind),
                                            std::move(params), std::move(handler));
}

orvo_actions::ActionSpec choice_spec(std::string name, std::string title, std::string_view kind,
                                     std::vector<std::string> choices, orvo_actions::ArgumentHandler handler) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("choice", "Choice").with_choices(std::move(choices)));
  return orvo_actions::typed_operation_spec(std::move(name), std::move(title), std::string(kChoiceDescription),
                                            orvo_actions::OperationClass::Effect, std::string(kind),
                                            std::move(params), std::move(handler));
}

void append_action(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action) {
  if (action) resource.actions.push_back(std::move(*action));
}

}  // namespace settings::actions
