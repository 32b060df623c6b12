#pragma once
// A resource with one action per kind of control value, for binding controls in tests.
#include <nlohmann/json.hpp>

#include "orvo_actions/resource.h"
#include "orvo_actions/action_constructors.h"

namespace orvo_ui::testing {

inline orvo_actions::ActionSpec sample_operation(std::string name, std::vector<orvo_actions::ActionParam> params) {
  using namespace orvo_actions;
  return typed_operation_spec(std::move(name), "Title", "", orvo_actions::OperationClass::Effect, "settings.input-operation",
                              std::move(params), [](const ActionArgs& args) {
                                return EncodedAction{"settings.input-operation", args.to_json_text()};
                              });
}

inline orvo_actions::Resource sample_resource() {
  using namespace orvo_actions;
  return Resource::make("settings.section:mouse_keyboard", "settings.section", "Mouse & Keyboard")
      .with_action(sample_operation("tap-to-click", {ActionParam::boolean("value", "Enabled")}))
      .with_action(sample_operation("key-repeat", {ActionParam::number("value", "Value").with_schema(
                                                      nlohmann::ordered_json::parse(R"({"minimum":0.0,"maximum":1.0})"))}))
      .with_action(sample_operation("acceleration-profile",
                                    {ActionParam::text("choice", "Choice").with_choices({"Adaptive", "Flat"})}))
      .with_action(sample_operation("reset", {}));
}

}  // namespace orvo_ui::testing
