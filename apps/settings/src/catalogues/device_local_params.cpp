#include "catalogues/device_local_params.h"

#include <nlohmann/json.hpp>

#include "actions/contracts.h"

namespace settings::actions {
namespace {

std::optional<orvo_actions::ActionSpec> device_local_action(std::string name, std::string title,
                                                            std::string_view description, std::string_view kind,
                                                            orvo_actions::ActionParam param,
                                                            orvo_actions::ArgumentHandler handler, Tags tags) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(std::move(param));
  auto spec = orvo_actions::typed_operation_spec(std::move(name), std::move(title), std::string(description),
                                                 orvo_actions::OperationClass::Effect, std::string(kind),
                                                 std::move(params), std::move(handler));
  return std::move(spec).with_contract(operation_contract(std::move(tags)));
}

}  // namespace

orvo_actions::ActionParam switch_param() { return orvo_actions::ActionParam::boolean("value", "Enabled"); }

orvo_actions::ActionParam level_param() {
  nlohmann::ordered_json schema = nlohmann::ordered_json::object();
  schema["minimum"] = 0.0;
  schema["maximum"] = 1.0;
  return orvo_actions::ActionParam::number("value", "Value").with_schema(schema);
}

orvo_actions::ActionParam choice_param(std::vector<std::string> choices) {
  return orvo_actions::ActionParam::text("choice", "Choice").with_choices(std::move(choices));
}

std::optional<orvo_actions::ActionSpec> switch_action(std::string name, std::string title, std::string_view kind,
                                                      orvo_actions::ArgumentHandler handler, Tags tags) {
  return device_local_action(std::move(name), std::move(title), kSwitchDescription, kind, switch_param(),
                             std::move(handler), std::move(tags));
}

std::optional<orvo_actions::ActionSpec> level_action(std::string name, std::string title, std::string_view kind,
                                                     orvo_actions::ArgumentHandler handler, Tags tags) {
  return device_local_action(std::move(name), std::move(title), kLevelDescription, kind, level_param(),
                             std::move(handler), std::move(tags));
}

std::optional<orvo_actions::ActionSpec> choice_action(std::string name, std::string title, std::string_view kind,
                                                      std::vector<std::string> choices,
                                                      orvo_actions::ArgumentHandler handler, Tags tags) {
  return device_local_action(std::move(name), std::move(title), kChoiceDescription, kind,
                             choice_param(std::move(choices)), std::move(handler), std::move(tags));
}

void append_built(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action) {
  if (action) resource.actions.push_back(std::move(*action));
}

}  // namespace settings::actions
