// Region & Formats, Appearance, Notifications, Keyboard Shortcuts and Apps & Files: setting actions
// whose current value comes from the settings document before the saved preferences.
#include <gtest/gtest.h>

#include "catalogue_fixture.h"
#include "catalogues/appearance_labels.h"
#include "orvo_runtime/system_paths.h"

namespace settings::actions {
namespace {

using testing::action;
using testing::action_names;
using testing::Catalogue;
using testing::invoke;

std::string set_text(std::string_view key, std::string_view value) {
  return R"({"SetSetting":{"key":")" + std::string(key) + R"(","value":{"Text":")" + std::string(value) + R"("}}})";
}
std::string set_bool(std::string_view key, bool value) {
  return R"({"SetSetting":{"key":")" + std::string(key) + R"(","value":{"Bool":)" + (value ? "true" : "false") +
         "}}}";
}

desktop_entry::DesktopEntry app(std::string id, std::string name, std::vector<std::string> mime_types = {}) {
  return desktop_entry::DesktopEntry{std::move(id), std::move(name), std::move(mime_types), false, false};
}

TEST(RegionCatalogue, CurrentValuesComeFromTheDocumentElseTheStoredFormats) {
  // No preferences file: every format stored is its first choice.
  const system_paths::ScopedOverride no_file("/nonexistent-root", std::filesystem::path("/nonexistent-root/config"));
  Catalogue catalogue;
  catalogue.put("region.currency", "EUR");
  const auto region = catalogue.build(region_formats_resource);
  EXPECT_EQ(region.id, "settings.section:region_formats");
  EXPECT_EQ(action_names(region),
            (std::vector<std::string>{"currency", "date", "time", "measurement", "number", "first-day"}));
  // Invoked without a choice, a setting choice sends the value the tree saw.
  const struct {
    const char* action;
    const char* key;
    const char* current;
  } cases[] = {
      {"currency", "region.currency", "EUR"},
      {"date", "region.date_format", "ISO (2023-03-15)"},
      {"time", "region.time_format", "24-hour (14:05)"},
      {"measurement", "region.measurement", "Metric (°C, km, kg)"},
      {"number", "region.number_style", "1,234,567.89"},
      {"first-day", "region.first_day", "Monday"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(invoke(action(region, c.action)).payload, set_text(c.key, c.current)) << c.action;
  }
  const auto& date = action(region, "date");
  EXPECT_EQ(date.title, "Set date format");
  EXPECT_EQ(date.description(), "Set date format");
  EXPECT_EQ(date.params.at(0).allowed_values.front(), "ISO (2023-03-15)");
  EXPECT_EQ(date.contract.tags, (std::vector<std::string>{"configuration", "system-setting"}));
  EXPECT_EQ(invoke(date, R"j({"choice":"Long (15 Mar 2023)"})j").payload,
            set_text("region.date_format", "Long (15 Mar 2023)"));
}

TEST(AppearanceCatalogue, DocumentValuesWinOverThePreferences) {
  Catalogue catalogue;
  catalogue.preferences.appearance.theme = "Nord";
  catalogue.preferences.appearance.high_contrast = true;
  catalogue.preferences.appearance.text_scale = 1.3;
  catalogue.preferences.appearance.ui_scale = 1.5;

  const auto fresh = catalogue.build(appearance_resource);
  EXPECT_EQ(action_names(fresh),
            (std::vector<std::string>{"theme", "high_contrast", "reduce_motion", "text_size", "ui_scale"}));
  EXPECT_EQ(invoke(action(fresh, "theme")).payload, set_text("appearance.theme", "Nord"));
  EXPECT_EQ(action(fresh, "high_contrast").title, "Turn off high contrast");
  EXPECT_EQ(action(fresh, "reduce_motion").title, "Turn on reduced motion");
  EXPECT_EQ(invoke(action(fresh, "text_size")).payload, set_text("appearance.text_size", "Larger"));
  // The saved scale shows as its label, as the write-through stores it.
  EXPECT_EQ(invoke(action(fresh, "ui_scale")).payload, set_text("appearance.ui_scale", "150%"));

  catalogue.put("appearance.theme", "Light");
  catalogue.put("appearance.high_contrast", false);
  catalogue.put("appearance.text_size", "Large");
  const auto edited = catalogue.build(appearance_resource);
  EXPECT_EQ(invoke(action(edited, "theme")).payload, set_text("appearance.theme", "Light"));
  EXPECT_EQ(action(edited, "high_contrast").title, "Turn on high contrast");
  EXPECT_EQ(invoke(action(edited, "high_contrast")).payload, set_bool("appearance.high_contrast", true));
  EXPECT_EQ(invoke(action(edited, "text_size")).payload, set_text("appearance.text_size", "Large"));
}

TEST(AppearanceCatalogue, TextSizeLabelIsTheNearestChoice) {
  const std::pair<double, const char*> cases[] = {
      {0.5, "Small"}, {0.92, "Small"}, {0.93, "Default"}, {1.07, "Default"}, {1.2, "Large"}, {2.0, "Larger"}};
  for (const auto& [scale, label] : cases) EXPECT_EQ(panes::appearance::text_size_label(scale), label) << scale;
}

TEST(NotificationsCatalogue, GlobalActionsReadTheDocumentBeforeThePreferences) {
  Catalogue catalogue;
  catalogue.preferences.notifications.show_banners = false;
  const auto fresh = catalogue.build(notifications_resource);
  EXPECT_EQ(action_names(fresh),
            (std::vector<std::string>{"dnd", "banners", "previews", "sounds", "lock_screen", "badges", "focus-enabled",
                                      "focus-start", "focus-end", "focus-days"}));
  EXPECT_EQ(action(fresh, "dnd").title, "Turn on Do Not Disturb");
  EXPECT_EQ(invoke(action(fresh, "dnd")).payload, set_bool("notifications.do_not_disturb", true));
  EXPECT_EQ(action(fresh, "banners").title, "Turn on notification banners");
  EXPECT_EQ(action(fresh, "focus-enabled").title, "Turn on scheduled quiet hours");
  EXPECT_EQ(invoke(action(fresh, "focus-start")).payload, set_text("notifications.focus.start", "22:00"));
  EXPECT_EQ(invoke(action(fresh, "focus-end")).payload, set_text("notifications.focus.end", "07:00"));
  EXPECT_EQ(action(fresh, "focus-end").params.at(0).allowed_values.size(), 9u);
  EXPECT_EQ(action(fresh, "focus-days").description(), "Choose a focus schedule value");

  catalogue.put("notifications.do_not_disturb", true);
  catalogue.put("notifications.focus.days", "Weekends");
  const auto edited = catalogue.build(notifications_resource);
  EXPECT_EQ(action(edited, "dnd").title, "Turn off Do Not Disturb");
  EXPECT_EQ(invoke(action(edited, "focus-days")).payload, set_text("notifications.focus.days", "Weekends"));
}

TEST(NotificationsCatalogue, ThreeHundredApplicationsGiveTheFirst256Children) {
  Catalogue catalogue;
  for (int i = 299; i >= 0; --i) {
    char id[32];
    char name[32];
    std::snprintf(id, sizeof id, "org.example.app%03d", i);
    std::snprintf(name, sizeof name, "App %03d", i);
    catalogue.lists.apps.push_back(app(id, name));
  }
  const auto section = catalogue.build(notifications_resource);
  ASSERT_EQ(section.children.size(), 256u);
  EXPECT_EQ(section.children.front().id, "settings.notification-app:org.example.app000");
  EXPECT_EQ(section.children.front().title, "App 000");
  EXPECT_EQ(section.children.back().id, "settings.notification-app:org.example.app255");
  EXPECT_EQ(section.children.back().kind, "settings.notification-app");
}

TEST(NotificationsCatalogue, ApplicationActionsFollowTheirOwnValuesThenTheGlobalOnes) {
  Catalogue catalogue;
  catalogue.lists.apps = {app("org.example.Chat", "Chat"), app("bad id", "Invalid")};
  catalogue.preferences.notifications.show_previews = false;
  catalogue.preferences.notifications.per_app["org.example.old-mail"] = {};  // uninstalled, still has a rule
  catalogue.put("notifications.app.org.example.Chat.sounds", false);
  catalogue.put("notifications.app.org.example.Chat.mute", "For 8 hours");

  const auto section = catalogue.build(notifications_resource);
  ASSERT_EQ(section.children.size(), 2u);
  const auto& chat = section.children[0];
  EXPECT_EQ(chat.title, "Chat");
  EXPECT_EQ(section.children[1].id, "settings.notification-app:org.example.old-mail");
  EXPECT_EQ(section.children[1].title, "Old mail");
  EXPECT_EQ(action_names(chat), (std::vector<std::string>{"banners", "previews", "sounds", "badges", "priority",
                                                          "priority-contacts", "mute"}));
  EXPECT_EQ(action(chat, "banners").title, "Turn off notification banners");   // global default: on
  EXPECT_EQ(action(chat, "previews").title, "Turn on message previews");       // global preference: off
  EXPECT_EQ(action(chat, "sounds").title, "Turn on notification sounds");      // its own document value
  EXPECT_EQ(action(chat, "priority").title, "Turn on priority during focus");  // off without a value
  EXPECT_EQ(invoke(action(chat, "priority-contacts")).payload,
            set_bool("notifications.app.org.example.Chat.priority_contacts", true));
  const auto& mute = action(chat, "mute");
  EXPECT_EQ(mute.title, "Mute notifications temporarily");
  EXPECT_EQ(mute.description(), "Not muted, For 1 hour, For 8 hours, For 24 hours");
  EXPECT_EQ(invoke(mute).payload, set_text("notifications.app.org.example.Chat.mute", "For 8 hours"));
  EXPECT_EQ(invoke(action(section.children[1], "mute")).payload,
            set_text("notifications.app.org.example.old-mail.mute", "Not muted"));
}

TEST(KeyboardShortcutsCatalogue, OneFreeTextActionPerShortcut) {
  Catalogue catalogue;
  const auto section = catalogue.build(keyboard_shortcuts_resource);
  ASSERT_EQ(section.actions.size(), 18u);
  EXPECT_EQ(section.actions[0].name, "vim-mode");
  EXPECT_EQ(section.actions[0].title, "Turn on Vim-style desktop navigation");
  EXPECT_EQ(section.actions[1].name, "search");
  EXPECT_EQ(section.actions[4].name, "quick-settings");
  EXPECT_EQ(section.actions[17].name, "resize-wider");

  const auto& focus = action(section, "focus-previous-window");
  EXPECT_EQ(focus.title, "Set Focus previous window shortcut");
  EXPECT_EQ(focus.description(), "e.g. Super+K");
  ASSERT_EQ(focus.params.size(), 1u);
  EXPECT_EQ(focus.params[0].description, "Shortcut");
  EXPECT_TRUE(focus.params[0].allowed_values.empty());
  EXPECT_EQ(invoke(focus, R"({"choice":"Super+Left"})").payload,
            set_text("shortcuts.focus_previous_window", "Super+Left"));
  EXPECT_EQ(focus.contract.tags, (std::vector<std::string>{"configuration", "system-setting"}));
}

TEST(DefaultAppsCatalogue, OneChildPerHandledKindWithSortedHandlers) {
  Catalogue catalogue;
  catalogue.lists.apps = {
      app("org.example.Browser", "Browser", {"text/html", "x-scheme-handler/https", "text/html"}),
      app("com.other.Web", "Another browser", {"TEXT/HTML", "not a type"}),
      app("org.example.Helper", "Helper", {"application/x-helper"}),
  };
  catalogue.lists.apps.back().no_display = true;
  catalogue.put("default_apps.scheme.https", "com.example.Removed");  // a document value wins

  const auto section = catalogue.build(default_apps_resource);
  EXPECT_EQ(section.kind, "settings.default-apps");
  EXPECT_EQ(section.id, "settings.section:default-apps");
  ASSERT_EQ(section.children.size(), 2u);

  const auto& html = section.children[0];
  EXPECT_EQ(html.id, "settings.default-app:mime:text/html");
  EXPECT_EQ(html.kind, "settings.default-app-handler");
  EXPECT_EQ(html.title, "Web pages");
  const auto& set_handler = action(html, "set-handler");
  EXPECT_EQ(set_handler.title, "Set default application");
  EXPECT_EQ(set_handler.description(), "Choose an installed application");
  EXPECT_EQ(set_handler.params.at(0).description, "Installed application");
  // The choices are the labels the Apps & Files pane stores and recognises, by name then id.
  EXPECT_EQ(set_handler.params.at(0).allowed_values,
            (std::vector<std::string>{"Another browser \u2014 com.other.Web", "Browser \u2014 org.example.Browser"}));
  // The kind's ":" becomes "." in the key; without a document value the first handler is current.
  EXPECT_EQ(invoke(set_handler).payload,
            set_text("default_apps.mime.text/html", "Another browser \u2014 com.other.Web"));
  EXPECT_EQ(invoke(set_handler, R"({"choice":"Browser \u2014 org.example.Browser"})").payload,
            set_text("default_apps.mime.text/html", "Browser \u2014 org.example.Browser"));

  EXPECT_EQ(section.children[1].id, "settings.default-app:scheme:https");
  EXPECT_EQ(invoke(action(section.children[1], "set-handler")).payload,
            set_text("default_apps.scheme.https", "com.example.Removed"));

  // Without a document value, the application of the personal defaults is current.
  Catalogue stored;
  stored.lists.apps = catalogue.lists.apps;
  const std::vector<desktop_policy::defaults::AppCandidate> browsers{{"org.example.Browser", "Browser", {"mime:text/html"}}};
  ASSERT_TRUE(stored.lists.personal.set("mime:text/html", "org.example.Browser", browsers));
  EXPECT_EQ(invoke(action(stored.build(default_apps_resource).children[0], "set-handler")).payload,
            set_text("default_apps.mime.text/html", "Browser \u2014 org.example.Browser"));
}

}  // namespace
}  // namespace settings::actions
