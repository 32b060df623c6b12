// The per-application notification rules of the Notifications pane: mute labels and expiries, what
// a card's controls store in the rule, and what they never touch.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "actions/setting_key_filter.h"
#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "panes/device_mesh/clock.h"
#include "panes/notifications/app_rules.h"
#include "panes/notifications/notifications_pane.h"
#include "preferences/preferences_file.h"

namespace settings::panes::notifications {
namespace {

using orvo_doc::ScalarValue;
using testing::PaneHarness;

constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max();

TEST(MuteLabels, TimeLeftShowsAsTheChoiceThatCoversIt) {
  const std::pair<std::optional<std::int64_t>, std::string_view> cases[] = {
      {std::nullopt, "Not muted"}, {1000, "Not muted"},      {999, "Not muted"},      {1000 + 3600, "For 1 hour"},
      {1000 + 3601, "For 8 hours"}, {1000 + 28800, "For 8 hours"}, {1000 + 28801, "For 24 hours"}, {kLatest, "For 24 hours"},
  };
  for (const auto& [until, label] : cases) EXPECT_EQ(mute_label(until, 1000), label) << until.value_or(-1);
}

TEST(MuteLabels, AChoiceSetsAnExpiryHeldAtTheLatestTime) {
  EXPECT_EQ(mute_expiry("For 8 hours", 1000), std::optional<std::optional<std::int64_t>>(1000 + 28800));
  EXPECT_EQ(mute_expiry("For 24 hours", kLatest - 10), std::optional<std::optional<std::int64_t>>(kLatest));
  EXPECT_EQ(mute_expiry("Not muted", 1000), std::optional<std::optional<std::int64_t>>(std::in_place));
  EXPECT_EQ(mute_expiry("For ever", 1000), std::nullopt);
}

TEST(AppRuleKeys, ADottedIdPassesTheKeyFilter) {
  const std::string key = app_setting_key("org.example.chat-app", "priority_contacts");
  EXPECT_EQ(key, "notifications.app.org.example.chat-app.priority_contacts");
  EXPECT_TRUE(actions::is_allowed_setting_key(key, actions::SettingValue(true)));
  EXPECT_TRUE(actions::is_allowed_setting_key(app_setting_key("org.example.chat-app", "mute"),
                                              actions::SettingValue(std::string("For 1 hour"))));
}

constexpr std::string_view kFile = "config/orvo/settings.json";

struct RulesFixture : testing::FramePane<NotificationsPane> {
  explicit RulesFixture(std::string_view file) {
    harness.home().write(kFile, file);
    auto prefs = preferences::load_preferences().notifications;
    std::vector<NotificationApp> apps{{"org.example.chat", "Chat"}};
    for (auto& app : notification_apps(prefs.per_app, {}, {})) apps.push_back(std::move(app));
    pane = std::make_unique<NotificationsPane>(std::move(prefs), std::move(apps));
  }
  nlohmann::json rule(std::string_view id) {
    return nlohmann::json::parse(*harness.home().read(kFile))["notifications"]["per_app"][std::string(id)];
  }
};

// A rule of an application that is no longer installed, with fields the pane never changes.
constexpr std::string_view kRules =
    R"({"notifications":{"show_banners":false,"show_previews":true,"per_app":{"org.example.gone":)"
    R"({"lock_screen":true,"cross_device":false,"previews":false}}}})";

TEST(AppRules, AFieldFollowsTheGlobalChoiceUntilTheUserSetsIt) {
  RulesFixture f(kRules);
  ASSERT_EQ(f.pane->apps().size(), 2u);
  EXPECT_EQ(f.pane->apps()[0].id, "org.example.chat");
  EXPECT_EQ(f.pane->apps()[1].name, "Gone");
  f.pass();
  // Banners follow the global "off"; previews of the kept rule are its own.
  EXPECT_EQ(f.get("notifications.app.org.example.chat.banners"), ScalarValue::boolean(false));
  EXPECT_EQ(f.get("notifications.app.org.example.gone.previews"), ScalarValue::boolean(false));
  EXPECT_EQ(f.get("notifications.app.org.example.gone.mute"), ScalarValue::str("Not muted"));
  EXPECT_EQ(f.pane->saves(), 0u);

  f.put("notifications.app.org.example.gone.banners", ScalarValue::boolean(true));
  f.put("notifications.app.org.example.gone.priority", ScalarValue::boolean(true));
  f.pass();
  const auto gone = f.rule("org.example.gone");
  EXPECT_EQ(gone["banners"], true);
  EXPECT_EQ(gone["priority"], true);
  EXPECT_EQ(gone["lock_screen"], true);
  EXPECT_EQ(gone["cross_device"], false);
  EXPECT_EQ(gone["previews"], false);
  // An application without a rule gets none until one of its controls is used.
  EXPECT_FALSE(f.pane->prefs().per_app.contains("org.example.chat"));
  EXPECT_EQ(f.pane->saves(), 1u);
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
}

TEST(AppRules, AMuteIsStoredAsItsExpiryAndNotExtendedByTheSameLabel) {
  RulesFixture f(kRules);
  f.pass();
  constexpr std::string_view kMute = "notifications.app.org.example.chat.mute";
  const std::int64_t before = device_mesh::now_unix_secs();
  f.put(kMute, ScalarValue::str("For 8 hours"));
  f.pass();
  const std::int64_t after = device_mesh::now_unix_secs();
  const auto until = f.pane->prefs().per_app.at("org.example.chat").muted_until;
  ASSERT_TRUE(until.has_value());
  EXPECT_GE(*until, before + 28800);
  EXPECT_LE(*until, after + 28800);
  EXPECT_EQ(f.rule("org.example.chat")["muted_until"], *until);
  // The same label again, or a text that is no choice, leaves it.
  f.put(kMute, ScalarValue::str("For 8 hours"));
  f.pass();
  f.put(kMute, ScalarValue::str("Until tomorrow"));
  f.pass();
  EXPECT_EQ(f.pane->prefs().per_app.at("org.example.chat").muted_until, until);
  EXPECT_EQ(f.pane->saves(), 1u);
  f.put(kMute, ScalarValue::str("Not muted"));
  f.pass();
  EXPECT_FALSE(f.pane->prefs().per_app.at("org.example.chat").muted_until.has_value());
  EXPECT_FALSE(f.rule("org.example.chat").contains("muted_until") && !f.rule("org.example.chat")["muted_until"].is_null());
}

}  // namespace
}  // namespace settings::panes::notifications
