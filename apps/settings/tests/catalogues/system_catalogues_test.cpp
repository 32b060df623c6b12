// The Updates and Time & Date catalogues.
#include <gtest/gtest.h>

#include "catalogue_support.h"
#include "catalogues/power_update_bindings.h"
#include "catalogues/resource_tree.h"
#include "catalogues/section_catalogues.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;
using orvo_actions::Resource;
using settings_app::SettingsSection;
using testing::action;
using testing::action_names;
using testing::allowed;
using testing::Inputs;
using testing::payload;
using Names = std::vector<std::string>;

TEST(UpdatesCatalogue, HasTenActionsAndOnlyTheRollbackIsDestructive) {
  const Resource updates = build_settings_actions(SettingsSection::Updates, Inputs().get());
  EXPECT_EQ(action_names(updates), (Names{"open", "automatic", "check", "restart", "rollback", "refresh-firmware",
                                          "install-firmware", "review-rollback", "schedule", "metered"}));
  for (const auto& spec : updates.actions) {
    EXPECT_EQ(spec.is_destructive, spec.name == "rollback") << spec.name;
    if (spec.name == "open" || spec.name == "review-rollback") continue;
    EXPECT_EQ(spec.operation_class, OperationClass::Effect) << spec.name;
    EXPECT_EQ(spec.contract.tags, (Names{"device-local", "system-update"})) << spec.name;
  }
  const struct {
    const char* name;
    const char* args;
    const char* payload;
  } cases[] = {
      {"automatic", R"({"value":true})", R"({"SetAutomatic":{"enabled":true}})"},
      {"check", "{}", R"("Check")"},
      {"rollback", "{}", R"("Rollback")"},
      {"install-firmware", "{}", R"("InstallFirmware")"},
      {"review-rollback", "{}", R"("ReviewRollback")"},
      {"schedule", R"({"choice":"Weekly"})", R"({"SetSchedule":{"schedule":"Weekly"}})"},
      {"metered", R"({"value":false})", R"({"SetMetered":{"allowed":false}})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(payload(action(updates, c.name), c.args), c.payload) << c.name;
    EXPECT_EQ(action(updates, c.name).operation_kind, "settings.update-operation") << c.name;
  }
  // The review opens a view: navigation class and the navigation default contract.
  const auto& review = action(updates, "review-rollback");
  EXPECT_EQ(review.operation_class, OperationClass::Navigation);
  EXPECT_EQ(review.contract, orvo_actions::ActionContract::default_for(OperationClass::Navigation));
  EXPECT_EQ(allowed(action(updates, "schedule"), "choice"), (Names{"System schedule", "Daily", "Weekly"}));
}

TEST(UpdateScheduleBinding, BindsTheScheduleChoice) {
  const auto binding = update_schedule_binding();
  ASSERT_TRUE(binding);
  EXPECT_EQ(binding->resource, "settings.section:updates");
  EXPECT_EQ(binding->action, "schedule");
  EXPECT_TRUE(orvo_actions::build_control_invocation(*binding, std::string("Daily")));
  EXPECT_FALSE(orvo_actions::build_control_invocation(*binding, std::string("Hourly")));
}

TEST(TimeDateCatalogue, SendsTheSwitchesAndAnyTimeZone) {
  const Resource time = build_settings_actions(SettingsSection::TimeDate, Inputs().get());
  EXPECT_EQ(time.id, "settings.section:time_date");
  EXPECT_EQ(time.title, "Time & Date");
  EXPECT_EQ(action_names(time), (Names{"open", "automatic-time", "24-hour", "timezone"}));
  for (std::size_t i = 1; i < time.actions.size(); ++i) {
    EXPECT_EQ(time.actions[i].contract.tags, (Names{"device-local", "time-date"})) << time.actions[i].name;
    EXPECT_EQ(time.actions[i].operation_class, OperationClass::Effect) << time.actions[i].name;
  }
  EXPECT_EQ(payload(action(time, "automatic-time"), R"({"value":true})"), R"({"SetAutomaticTime":{"enabled":true}})");
  EXPECT_EQ(payload(action(time, "24-hour"), R"({"value":true})"), R"({"SetHourCycle":{"h24":true}})");
  EXPECT_EQ(payload(action(time, "24-hour"), R"({"value":false})"), R"({"SetHourCycle":{"h24":false}})");
  EXPECT_EQ(action(time, "24-hour").find_param("value")->description, "Whether this local time control is enabled");

  const auto& zone = action(time, "timezone");
  EXPECT_EQ(zone.description(), "IANA time-zone identifier");
  EXPECT_TRUE(allowed(zone, "choice").empty());
  EXPECT_EQ(payload(zone, R"({"choice":"Pacific/Chatham"})"), R"({"SetTimezone":{"timezone":"Pacific/Chatham"}})");
  // "choice" is required like every device-local parameter, so an invocation without it is refused
  // rather than moving the clock to UTC; the handler alone still falls back to UTC.
  EXPECT_TRUE(payload(zone).starts_with("error: "));
  EXPECT_EQ((*zone.encoder)(orvo_actions::ActionArgs()).payload, R"({"SetTimezone":{"timezone":"UTC"}})");
}

}  // namespace
}  // namespace settings::actions
