#include "actions/control_bindings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "orvo_actions/action_constructors.h"
#include "orvo_ui/action_host.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/text.h"

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

  EXPECT_EQ(invoke.binding.spec.operation_class, orvo_actions::OperationClass::Effect);

  const auto again = control_invoke_binding(id, "Open privacy", orvo_actions::OperationClass::Effect);
  EXPECT_EQ(again.resource.id, invoke.resource.id);
  EXPECT_EQ(again.binding.address(), invoke.binding.address());
}

// A pane-like tree: a card holding a row of two buttons bound to their own invoke actions, one plain
// button and a text, below a column.
struct ButtonPane : ::testing::Test {
  int saved = 0;
  int removed = 0;
  int plain = 0;
  orvo_ui::Button* remove = nullptr;
  orvo_ui::Column pane;
  orvo_ui::ActionHost host;

  void SetUp() override {
    auto save_button = std::make_unique<orvo_ui::Button>(bind_control_invoke(
        orvo_ui::Button("provider.save", "Save details"), orvo_actions::OperationClass::Effect, [this] { ++saved; }));
    // No quoting in the resource id; the payload writes the quotes escaped.
    auto remove_button = std::make_unique<orvo_ui::Button>(
        bind_control_invoke(orvo_ui::Button(R"(remove "main" key)", "Remove key"),
                            orvo_actions::OperationClass::Effect, [this] { ++removed; }));
    remove = remove_button.get();
    auto row = std::make_unique<orvo_ui::Row>();
    row->push(std::move(save_button));
    row->push(orvo_ui::Button("plain", "Plain").on_press([this] { ++plain; }));
    row->push(std::move(remove_button));
    pane.push(orvo_ui::Text("Provider"));
    pane.push(orvo_ui::Card(std::move(row)));
  }

  orvo_ui::StartAnswer invoke(std::string resource) {
    return host.request(pane, {std::move(resource), "invoke"}, "{}");
  }
};

TEST_F(ButtonPane, InvokingAButtonsResourceRunsExactlyThatButtonsHandler) {
  EXPECT_EQ(invoke("orvo.control:provider.save"), orvo_ui::StartAnswer{orvo_ui::start::Completed{}});
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(removed, 0);
  EXPECT_EQ(invoke(R"(orvo.control:remove "main" key)"), orvo_ui::StartAnswer{orvo_ui::start::Completed{}});
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(plain, 0);

  // A plain button publishes nothing; an unknown control is refused by name.
  EXPECT_EQ(invoke("orvo.control:plain"),
            orvo_ui::StartAnswer{orvo_ui::start::Rejected{"no resource orvo.control:plain"}});
  EXPECT_EQ(plain, 0);

  // The tree declares the invoke kind once, however many buttons handle it.
  EXPECT_EQ(pane.resource_operation_handlers(), std::unordered_set<std::string>{"orvo.ui.control.invoke"});
}

TEST_F(ButtonPane, APressRunsTheHandlerOnceThroughTheInvokeOperation) {
  ASSERT_TRUE(remove->perform_action(orvo_ui::a11y::Activate{}));
  EXPECT_EQ(removed, 0) << "the handler runs when the operation arrives, not at the press";
  auto invocation = pane.take_control_invocation();
  ASSERT_TRUE(invocation);
  EXPECT_EQ(invocation->resource_id, R"(orvo.control:remove "main" key)");
  EXPECT_EQ(invocation->action, "invoke");
  host.dispatch(pane, *invocation);
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(saved, 0);
  EXPECT_FALSE(pane.take_control_invocation());
}

TEST_F(ButtonPane, AnOperationForAnotherOrADisabledButtonRunsNothing) {
  // Same kind, a payload naming no button, and the right payload under the setting class.
  const std::string payload = orvo_actions::json_string("provider.save");
  const orvo_ui::RequestId id{};
  EXPECT_EQ(pane.start_resource_operation_with_document(id, orvo_ui::OperationClass::Effect, "orvo.ui.control.invoke",
                                                        R"("provider.other")", nullptr),
            orvo_ui::StartAnswer{orvo_ui::start::NotHandled{}});
  EXPECT_EQ(pane.start_resource_operation_with_document(id, orvo_ui::OperationClass::Setting,
                                                        "orvo.ui.control.invoke", payload, nullptr),
            orvo_ui::StartAnswer{orvo_ui::start::NotHandled{}});
  EXPECT_EQ(saved, 0);

  orvo_ui::Column disabled_pane;
  disabled_pane.push(bind_control_invoke(orvo_ui::Button("provider.save", "Save details").enabled(false),
                                         orvo_actions::OperationClass::Effect, [this] { ++saved; }));
  EXPECT_EQ(host.request(disabled_pane, {"orvo.control:provider.save", "invoke"}, "{}"),
            orvo_ui::StartAnswer{orvo_ui::start::Rejected{"the control provider.save is disabled"}});
  EXPECT_EQ(saved, 0);
}

TEST(ControlBindings, BindingAButtonTwiceKeepsOnlyTheSecondResourceAndHandler) {
  int first = 0;
  int second = 0;
  const auto cls = orvo_actions::OperationClass::Effect;
  orvo_ui::Column pane;
  pane.push(bind_control_invoke(
      bind_control_invoke(orvo_ui::Button("about.identity-backup.button", "Back up"), cls, [&] { ++first; }), cls,
      [&] { ++second; }));
  orvo_ui::Button once = bind_control_invoke(orvo_ui::Button("about.identity-backup.button", "Back up"), cls, [] {});

  const auto published = pane.children_mut().front()->resources();
  ASSERT_EQ(published.size(), 1u);
  const orvo_actions::Resource& twice = published.front();
  const orvo_actions::Resource single = once.resources().at(0);
  EXPECT_EQ(twice.id, single.id);
  EXPECT_EQ(twice.kind, single.kind);
  EXPECT_EQ(twice.title, single.title);
  ASSERT_EQ(twice.actions.size(), 1u);
  EXPECT_EQ(twice.actions[0].name, "invoke");
  EXPECT_EQ(twice.actions[0].input, single.actions[0].input);
  EXPECT_EQ(twice.actions[0].operation_kind, single.actions[0].operation_kind);

  // The button's binding is the one to its published resource, and a press runs the second handler only.
  const auto& bound = dynamic_cast<const orvo_ui::Button&>(*pane.children().front()).emitter();
  ASSERT_TRUE(bound && once.emitter());
  EXPECT_EQ(bound->address(), once.emitter()->address());
  EXPECT_EQ(bound->binding().spec.input, twice.actions[0].input);

  orvo_ui::ActionHost host;
  EXPECT_EQ(host.request(pane, {"orvo.control:about.identity-backup.button", "invoke"}, "{}"),
            orvo_ui::StartAnswer{orvo_ui::start::Completed{}});
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

}  // namespace
}  // namespace settings::actions
