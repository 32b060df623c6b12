#include "catalogues/resource_tree.h"

#include <gtest/gtest.h>

#include "actions/contracts.h"
#include "actions/section_address.h"
#include "catalogues/action_builders.h"
#include "catalogue_support.h"
#include "orvo_doc/document.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;
using orvo_actions::PrebuiltInput;
using orvo_actions::Resource;
using settings_app::SettingsSection;
using testing::Inputs;

TEST(SettingsRoot, ListsTheTwentyTwoSectionsInTheSidebarOrderEachOpeningFirst) {
  const orvo_doc::Document document;
  const auto tree = settings_root_resource(document, {}, offline_queries());
  ASSERT_EQ(tree.size(), 1u);
  const Resource& root = tree.front();
  EXPECT_EQ(root.id, "settings.root");
  EXPECT_EQ(root.kind, "settings.root");
  EXPECT_EQ(root.title, "Settings");
  EXPECT_TRUE(root.actions.empty());

  const std::vector<std::string> expected_ids{
      "network",       "bluetooth",       "devices_sync",      "sound",        "displays",
      "mouse_keyboard", "keyboard_shortcuts", "printers",       "appearance",   "accessibility",
      "notifications", "default-apps",    "storage",           "power",        "time_date",
      "users",         "region_formats",  "external_accounts", "agent_models", "permissions",
      "updates",       "about"};
  ASSERT_EQ(root.children.size(), expected_ids.size());
  for (std::size_t i = 0; i < expected_ids.size(); ++i) {
    const Resource& section = root.children[i];
    SCOPED_TRACE(expected_ids[i]);
    EXPECT_EQ(section.id, "settings.section:" + expected_ids[i]);
    ASSERT_FALSE(section.actions.empty());
    const auto& open = section.actions.front();
    EXPECT_EQ(open.name, "open");
    EXPECT_EQ(open.title, "Open " + section.title);
    EXPECT_EQ(open.operation_class, OperationClass::Navigation);
    EXPECT_EQ(open.operation_kind, "settings.open-pane");
    EXPECT_EQ(open.input, orvo_actions::ActionInput(PrebuiltInput{{"settings.open-pane", '"' + expected_ids[i] + '"'}}));
  }
}

TEST(SettingsRoot, GivesThreeSectionsTheirOwnKindAndTwoOnlyTheirOpenAction) {
  const Inputs inputs;
  const struct {
    SettingsSection section;
    const char* kind;
  } kinds[] = {
      {SettingsSection::DefaultApps, "settings.default-apps"},
      {SettingsSection::ExternalAccounts, "settings.accounts"},
      {SettingsSection::AgentModels, "settings.agent-models"},
      {SettingsSection::Network, "settings.section"},
      {SettingsSection::About, "settings.section"},
  };
  for (const auto& [section, kind] : kinds) {
    const Resource resource = build_settings_actions(section, inputs.get());
    EXPECT_EQ(resource.kind, kind) << section.id();
    EXPECT_EQ(resource.id, section_resource_id(section)) << section.id();
  }
  for (const SettingsSection section : {SettingsSection::Permissions, SettingsSection::About}) {
    const Resource resource = build_settings_actions(section, inputs.get());
    EXPECT_EQ(testing::action_names(resource), std::vector<std::string>{"open"}) << section.id();
    EXPECT_TRUE(resource.children.empty());
  }
}

TEST(SmallBuilders, FlipTheValueTheTreeSawAndToggleToTheArgument) {
  const auto turn_on = setting_flip_action("dnd", "notifications.do_not_disturb", false, "Do Not Disturb");
  EXPECT_EQ(turn_on.title, "Turn on Do Not Disturb");
  // One optional argument: without it the switch flips, with it the switch takes that value.
  ASSERT_EQ(turn_on.params.size(), 1u);
  EXPECT_EQ(turn_on.params[0].name, "value");
  EXPECT_EQ(turn_on.operation_class, OperationClass::Setting);
  EXPECT_EQ(turn_on.contract, settings_contract());
  EXPECT_EQ(testing::payload(turn_on), R"({"SetSetting":{"key":"notifications.do_not_disturb","value":{"Bool":true}}})");
  const auto turn_off = setting_flip_action("dnd", "notifications.do_not_disturb", true, "Do Not Disturb");
  EXPECT_EQ(turn_off.title, "Turn off Do Not Disturb");
  EXPECT_EQ(testing::payload(turn_off), R"({"SetSetting":{"key":"notifications.do_not_disturb","value":{"Bool":false}}})");
  EXPECT_EQ(testing::payload(turn_off, R"({"value":true})"),
            R"({"SetSetting":{"key":"notifications.do_not_disturb","value":{"Bool":true}}})");

  const auto toggle = setting_toggle_action("mono", "Set mono", "audio.mono");
  EXPECT_EQ(toggle.description(), "On or off");
  EXPECT_EQ(toggle.contract, settings_contract());
  EXPECT_EQ(testing::payload(toggle, R"({"value":true})"), R"({"SetSetting":{"key":"audio.mono","value":{"Bool":true}}})");
  EXPECT_TRUE(testing::payload(toggle).starts_with("error: "));  // "value" is required

  const Resource with_toggle = Resource::make("r", "k", "t").with_action(toggle);
  ASSERT_TRUE(bind_toggle(with_toggle, "mono"));
  EXPECT_EQ(bind_toggle(with_toggle, "mono")->arguments(false).to_json_text(), R"({"value":false})");
  EXPECT_FALSE(bind_toggle(with_toggle, "muted"));

  const Resource output = display_output_resource("HDMI-A-1", toggle);
  EXPECT_EQ(output.id, "settings.display-output:HDMI-A-1");
  EXPECT_EQ(output.kind, "settings.display-output");
  EXPECT_EQ(output.title, "HDMI-A-1");
  EXPECT_EQ(testing::action_names(displays_resource_with(toggle)), std::vector<std::string>{"mono"});
}

// a ─┬─ b ─── dup(first)
//    ├─ dup(second)
//    └─ c
Resource lookup_fixture() {
  auto first = Resource::make("dup", "k", "first");
  auto second = Resource::make("dup", "k", "second");
  auto b = Resource::make("b", "k", "b").with_child(std::move(first));
  return Resource::make("a", "k", "a")
      .with_child(std::move(b))
      .with_child(std::move(second))
      .with_child(Resource::make("c", "k", "c"));
}

TEST(FindResource, SearchesDepthFirstInPreOrderByExactId) {
  const struct {
    const char* id;
    std::optional<std::string> title;
  } cases[] = {
      {"a", "a"},              // the root itself
      {"c", "c"},              // the last child
      {"dup", "first"},        // the deeper one met first in pre-order wins over the later sibling
      {"missing", std::nullopt},
      {"C", std::nullopt},     // letter case counts
      {"", std::nullopt},
  };
  for (const auto& [id, title] : cases) {
    const auto found = find_resource(lookup_fixture(), id);
    ASSERT_EQ(found.has_value(), title.has_value()) << id;
    if (found) {
      EXPECT_EQ(found->title, *title) << id;
    }
  }
}

TEST(FindResource, AnswersTheFoundSubtreeWhole) {
  const auto found = find_resource(lookup_fixture(), "b");
  ASSERT_TRUE(found);
  EXPECT_EQ(testing::child_ids(*found), std::vector<std::string>{"dup"});
}

}  // namespace
}  // namespace settings::actions
