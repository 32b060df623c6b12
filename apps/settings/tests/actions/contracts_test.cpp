#include "actions/contracts.h"

#include <gtest/gtest.h>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionContract;
using orvo_actions::ContractQualifier;

TEST(Contracts, CarryTheirTagsSchemaAndClassification) {
  ActionContract setting = settings_contract();
  EXPECT_EQ(setting.tags, (std::vector<std::string>{"configuration", "system-setting"}));
  EXPECT_FALSE(setting.result_schema);
  EXPECT_EQ(setting.classification, (std::array<std::uint8_t, 5>{1, 0, 0, 1, 3}));
  EXPECT_FALSE(setting.qualifier);

  ActionContract operation = operation_contract({"device-local", "bluetooth", "destructive", "live-device"});
  EXPECT_EQ(operation.tags, (std::vector<std::string>{"device-local", "bluetooth", "destructive", "live-device"}));
  EXPECT_EQ(operation.result_schema, R"({"type":"string"})");
  EXPECT_EQ(operation.classification, (std::array<std::uint8_t, 5>{0, 2, 0, 1, 3}));
  EXPECT_EQ(operation.qualifier, (ContractQualifier{ContractQualifier::Form::Second, 0}));

  auto attached = orvo_actions::prebuilt_action_spec("a", "A", {"settings.action", "{}"}).with_contract(operation);
  ASSERT_TRUE(attached);
  EXPECT_EQ(attached->contract, operation);
  EXPECT_TRUE(orvo_actions::prebuilt_action_spec("a", "A", {"settings.action", "{}"}).with_contract(setting));
}

TEST(OpenPaneSpec, CarriesThePaneIdAsAJsonString) {
  auto spec = fixed_action_spec(PaneId{"default-apps", "Apps & Files"});
  ASSERT_TRUE(spec);
  EXPECT_EQ(spec->name, "open");
  EXPECT_EQ(spec->title, "Open Apps & Files");
  EXPECT_EQ(spec->operation_kind, "settings.open-pane");
  EXPECT_EQ(spec->operation_class, orvo_actions::OperationClass::Navigation);
  EXPECT_EQ(spec->contract.classification, (std::array<std::uint8_t, 5>{0, 0, 0, 0, 1}));
  EXPECT_TRUE(spec->params.empty());
  EXPECT_EQ(spec->build_json(orvo_actions::ActionArgs()),
            (orvo_actions::EncodedAction{"settings.open-pane", "\"default-apps\""}));
}

}  // namespace
}  // namespace settings::actions
