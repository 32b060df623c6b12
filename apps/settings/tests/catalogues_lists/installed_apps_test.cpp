#include "services/installed_apps.h"

#include <gtest/gtest.h>

namespace settings::panes {
namespace {

using desktop_entry::DesktopEntry;

DesktopEntry entry(std::string id, std::string name, std::vector<std::string> types = {}, bool no_display = false) {
  return DesktopEntry{std::move(id), std::move(name), std::move(types), no_display, false};
}

TEST(InstalledGuiApps, MenuApplicationsWithTheirKindsSortedByNameThenId) {
  const std::vector<DesktopEntry> entries{
      entry("z.Viewer", "Viewer", {"image/png", "x-scheme-handler/HTTP", "image/png", "x-scheme-handler/", "bogus"}),
      entry("a.Viewer", "Viewer"),
      entry("helper", "Helper", {"text/plain"}, true),
      entry("b.Editor", "Editor", {"text/plain"}),
  };
  const auto apps = personal_apps::installed_gui_apps({}, entries);
  ASSERT_EQ(apps.size(), 3u);
  EXPECT_EQ(apps[0].id, "b.Editor");
  EXPECT_EQ(apps[1].id, "a.Viewer");
  EXPECT_EQ(apps[2].id, "z.Viewer");
  EXPECT_EQ(apps[2].handles, (std::vector<std::string>{"mime:image/png", "scheme:http"}));
}

TEST(NotificationApps, InstalledThenRuleOnlyApplicationsWithValidIds) {
  std::map<std::string, settings_store::notification_policy::AppNotificationRule> per_app;
  per_app["org.example.Chat"] = {};          // installed: keeps the installed name
  per_app["org.example.mail_client"] = {};   // uninstalled: named after its id
  per_app["bad/id"] = {};
  const std::vector<DesktopEntry> entries{entry("org.example.Chat", "Chat"), entry("has space", "Invalid"),
                                          entry("helper", "Helper", {}, true), entry("com.b.Zed", "Chat")};
  const auto apps = notifications::notification_apps(per_app, {}, entries);
  EXPECT_EQ(apps, (std::vector<notifications::NotificationApp>{
                      {"com.b.Zed", "Chat"}, {"org.example.Chat", "Chat"}, {"org.example.mail_client", "Mail client"}}));
}

TEST(NotificationApps, IdValidity) {
  EXPECT_TRUE(notifications::is_valid_notification_app_id("org.example-app_2"));
  EXPECT_TRUE(notifications::is_valid_notification_app_id(std::string(160, 'a')));
  EXPECT_FALSE(notifications::is_valid_notification_app_id(std::string(161, 'a')));
  EXPECT_FALSE(notifications::is_valid_notification_app_id(""));
  EXPECT_FALSE(notifications::is_valid_notification_app_id("a:b"));
}

}  // namespace
}  // namespace settings::panes
