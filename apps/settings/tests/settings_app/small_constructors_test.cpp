// Setting actions, search link entries and the operations built from a chosen label.
#include <gtest/gtest.h>

#include "actions/choice_operations.h"
#include "actions/settings_action.h"
#include "orvo_ui/search.h"

namespace settings::actions {
namespace {

const SettingValue& value_of(const SettingsAction& action) { return std::get<SettingsAction::SetSetting>(action).value; }
const std::string& key_of(const SettingsAction& action) { return std::get<SettingsAction::SetSetting>(action).key; }

TEST(SetSetting, BooleansGiveBoolAndEveryTextFormGivesText) {
  std::string key = "appearance.theme";
  std::string owned = "Dark";
  const SettingsAction from_bool = SettingsAction::set_setting("appearance.high_contrast", true);
  const SettingsAction from_literal = SettingsAction::set_setting(key, "Dark");
  const SettingsAction from_view = SettingsAction::set_setting(key, std::string_view(owned));
  const SettingsAction from_ref = SettingsAction::set_setting(key, owned);
  const SettingsAction from_owned = SettingsAction::set_setting(key, std::string("Dark"));
  EXPECT_EQ(value_of(from_bool), SettingValue(true));
  for (const SettingsAction* a : {&from_literal, &from_view, &from_ref, &from_owned}) {
    EXPECT_EQ(value_of(*a), SettingValue(std::string("Dark")));
    EXPECT_EQ(key_of(*a), "appearance.theme");
  }
  key[0] = 'X';
  EXPECT_EQ(key_of(from_ref), "appearance.theme");
  EXPECT_EQ(owned, "Dark");
}

TEST(SearchLink, TargetIsTheActionMarkerAndTheEncodedAddress) {
  orvo_actions::ActionAddress address{"settings.section:network", "open"};
  auto entry = orvo_ui::SearchEntry::link("Personal Settings", "Network", address).with_detail("one").with_detail("two");
  EXPECT_EQ(entry.target, std::string("\x01" "action" "\x1f") + address.encode());
  EXPECT_EQ(entry.detail, "two");
  EXPECT_EQ(entry.secondary, std::nullopt);
  EXPECT_EQ(entry.weight, 0u);
  EXPECT_EQ(entry.icon, std::nullopt);
  EXPECT_EQ(entry.action_address(), address);
}

TEST(ChoiceOperations, CarryTheChosenLabel) {
  EXPECT_EQ(acceleration_profile_choice("flat"), InputOperation(InputOperation::SetAccelerationProfile{"flat"}));
  EXPECT_EQ(compose_key_choice("ralt"), InputOperation(InputOperation::SetComposeKey{"ralt"}));
  EXPECT_EQ(active_source_choice("English (US)"), InputOperation(InputOperation::SetActiveSource{"English (US)"}));
  EXPECT_EQ(role_choice("home"), DeviceMeshOperation(DeviceMeshOperation::SetRole{"home"}));
  EXPECT_EQ(replication_choice("full"), DeviceMeshOperation(DeviceMeshOperation::SetReplication{"full"}));
}

}  // namespace
}  // namespace settings::actions
