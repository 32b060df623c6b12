#include "actions/control_bindings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "orvo_actions/spec_builders.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionParam;
using orvo_actions::EncodedAction;
using orvo_actions::Resource;

orvo_actions::ActionSpec setting_spec(std::string name, std::string title, ActionParam param) {
  return orvo_actions::typed_setting_spec(std::move(name), std::move(title), "", {std::move(param)},
                                          [](const orvo_actions::ActionArgs&) {
                                            return EncodedAction{"settings.action", "{}"};
                                          });
}

Resource section() {
  return Resource::make("settings.sound", "settings.section", "Sound")
      .with_action(setting_spec("set-level", "First", ActionParam::number("value", "")))
      .with_action(setting_spec("set-level", "Second", ActionParam::number("value", "")))
      .with_action(setting_spec("set-mode", "Mode", ActionParam::text("choice", "")))
      .with_action(setting_spec("set-cap", "Cap", ActionParam::text("percent", "")))
      .with_action(setting_spec("set-enabled", "Enabled", ActionParam::boolean("value", "")));
}

TEST(ControlBindings, BindsTheFirstActionOfTheExactName) {
  const Resource resource = section();
  const auto level = number_binding(resource, "set-level");
  ASSERT_TRUE(level);
  EXPECT_EQ(level->resource, "settings.sound");
  EXPECT_EQ(level->spec.title, "First");
  EXPECT_FALSE(number_binding(resource, "Set-Level"));
  EXPECT_FALSE(toggle_binding(resource, "set-enabled "));
  EXPECT_FALSE(unit_binding(resource, "set-mode"));  // takes arguments

  // Binding twice gives an equal binding; copies share one converter.
  const auto again = number_binding(resource, "set-level");
  EXPECT_EQ(level->spec, again->spec);
  EXPECT_EQ(level->address(), again->address());
  const auto copy = *level;
  EXPECT_EQ(copy, *level);
}

TEST(ControlBindings, ConvertersWriteOneArgumentPerControlKind) {
  const Resource resource = section();
  EXPECT_EQ(number_binding(resource, "set-level")->arguments(std::nan("")).to_json_text(), R"({"value":null})");
  EXPECT_EQ(number_binding(resource, "set-level")->arguments(std::numeric_limits<double>::infinity()).to_json_text(),
            R"({"value":null})");
  EXPECT_EQ(toggle_binding(resource, "set-enabled")->arguments(false).to_json_text(), R"({"value":false})");
  EXPECT_EQ(keyed_binding(resource, "set-mode", "label")->arguments("Auto").to_json_text(), R"({"label":"Auto"})");

  auto cap = orvo_actions::build_control_invocation(*percent_binding(resource, "set-cap"), std::string("80%"));
  ASSERT_TRUE(cap);
  EXPECT_EQ(cap->resource_id, "settings.sound");
  EXPECT_EQ(cap->action, "set-cap");
  EXPECT_EQ(cap->args_json, R"({"percent":"80%"})");
  auto mode = orvo_actions::build_control_invocation(*choice_binding(resource, "set-mode"), std::string("Auto"));
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->args_json, R"({"choice":"Auto"})");
  // A spec that refuses the arguments gives its error and no invocation.
  EXPECT_FALSE(orvo_actions::build_control_invocation(*keyed_binding(resource, "set-mode", "other"), std::string("x")));
}

TEST(ControlBindings, AButtonIsPressedThroughItsOwnInvokeResource) {
  const orvo_actions::ControlId id{"open-workspace-privacy"};
  const auto invoke = control_invoke_binding(id, "Open privacy", orvo_actions::OperationClass::Effect);
  EXPECT_EQ(invoke.resource.id, "orvo.control:open-workspace-privacy");
  EXPECT_EQ(invoke.resource.kind, "orvo.control");
  EXPECT_EQ(invoke.resource.title, "Open privacy");
  ASSERT_EQ(invoke.resource.actions.size(), 1u);
  EXPECT_EQ(invoke.binding.resource, invoke.resource.id);
  EXPECT_EQ(invoke.binding.action, "invoke");
  auto built = invoke.binding.spec.build_json(std::string_view("{}"));
  ASSERT_TRUE(built);
  EXPECT_EQ(built->kind, "orvo.ui.control.invoke");
  EXPECT_EQ(built->payload, R"("open-workspace-privacy")");

  const auto again = control_invoke_binding(id, "Open privacy", orvo_actions::OperationClass::Effect);
  EXPECT_EQ(again.resource.id, invoke.resource.id);
  EXPECT_EQ(again.binding.address(), invoke.binding.address());
}

}  // namespace
}  // namespace settings::actions
