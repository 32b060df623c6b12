#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/live_children.h"
#include "services/installed_apps.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "preferences/notification_mute.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

using preferences::NotificationPrefs;

struct GlobalFlip {
  std::string_view id;
  std::string_view key;
  std::string_view label;
};

using settings_store::notification_policy::AppNotificationRule;

struct AppFlip {
  std::string_view id;
  std::string_view suffix;
  std::string_view label;
  // The rule's own choice, and the global preference an application follows until it has one.
  std::optional<bool> AppNotificationRule::*choice;
  bool NotificationPrefs::*fallback;
  // A flag of the rule itself (off without a rule), for the flips without a global preference.
  bool AppNotificationRule::*flag;
};

constexpr std::string_view kAppResourcePrefix = "settings.notification-app:";
constexpr std::string_view kAppResourceKind = "settings.notification-app";
constexpr std::string_view kFocusDescription = "Choose a focus schedule value";

const std::vector<std::string>& focus_times() {
  static const std::vector<std::string> times = preferences::setting_choice_labels("notifications.focus.start");
  return times;
}

std::string app_key(std::string_view app_id, std::string_view suffix) {
  std::string key = "notifications.app.";
  key += app_id;
  key += '.';
  key += suffix;
  return key;
}

void add_global_flips(orvo_actions::Resource& resource, const SectionInputs& inputs) {
  const std::array<GlobalFlip, 7> flips{{
      {"dnd", "notifications.do_not_disturb", "Do Not Disturb"},
      {"banners", "notifications.show_banners", "notification banners"},
      {"previews", "notifications.show_previews", "message previews"},
      {"sounds", "notifications.play_sounds", "notification sounds"},
      {"lock_screen", "notifications.show_on_lock_screen", "lock-screen notifications"},
      {"badges", "notifications.show_badges", "notification badges"},
      {"focus-enabled", "notifications.focus.enabled", "scheduled quiet hours"},
  }};
  for (const auto& flip : flips) {
    resource.actions.push_back(setting_flip_action(
        std::string(flip.id), flip.key, current_setting_flag(inputs.document, inputs.preferences, flip.key),
        flip.label));
  }
}

void add_focus_choices(orvo_actions::Resource& resource, const SectionInputs& inputs) {
  resource.actions.push_back(setting_choice_spec(
      "focus-start", "Set focus start time", "notifications.focus.start", std::string(kFocusDescription),
      focus_times(), current_setting_label(inputs.document, inputs.preferences, "notifications.focus.start")));
  resource.actions.push_back(setting_choice_spec(
      "focus-end", "Set focus end time", "notifications.focus.end", std::string(kFocusDescription), focus_times(),
      current_setting_label(inputs.document, inputs.preferences, "notifications.focus.end")));
  resource.actions.push_back(setting_choice_spec(
      "focus-days", "Set focus days", "notifications.focus.days", std::string(kFocusDescription),
      {"Every day", "Weekdays", "Weekends"},
      current_setting_label(inputs.document, inputs.preferences, "notifications.focus.days")));
}

orvo_actions::Resource app_resource(const panes::notifications::NotificationApp& app, const SectionInputs& inputs) {
  const NotificationPrefs& prefs = inputs.preferences.notifications;
  using Rule = AppNotificationRule;
  const std::array<AppFlip, 6> flips{{
      {"banners", "banners", "notification banners", &Rule::banners, &NotificationPrefs::show_banners, nullptr},
      {"previews", "previews", "message previews", &Rule::previews, &NotificationPrefs::show_previews, nullptr},
      {"sounds", "sounds", "notification sounds", &Rule::sounds, &NotificationPrefs::play_sounds, nullptr},
      {"badges", "badges", "notification badges", &Rule::badges, &NotificationPrefs::show_badges, nullptr},
      {"priority", "priority", "priority during focus", nullptr, nullptr, &Rule::priority},
      {"priority-contacts", "priority_contacts", "priority contacts during focus", nullptr, nullptr,
       &Rule::priority_contacts},
  }};
  // Without a value in the document, the stored rule is the current value.
  const auto found = prefs.per_app.find(app.id);
  const Rule rule = found == prefs.per_app.end() ? Rule{} : found->second;
  auto child = orvo_actions::Resource::make(std::string(kAppResourcePrefix) + app.id, std::string(kAppResourceKind),
                                            app.name);
  for (const auto& flip : flips) {
    const std::string key = app_key(app.id, flip.suffix);
    const bool stored = flip.flag != nullptr ? rule.*flip.flag : (rule.*flip.choice).value_or(prefs.*flip.fallback);
    child.actions.push_back(
        setting_flip_action(std::string(flip.id), key, current_bool(inputs.document, key, stored), flip.label));
  }
  const std::string mute_key = app_key(app.id, "mute");
  const std::string_view muted =
      preferences::mute_label(rule.muted_until, preferences::mute_clock_now());
  child.actions.push_back(setting_choice_spec("mute", "Mute notifications temporarily", mute_key,
                                              "Not muted, For 1 hour, For 8 hours, For 24 hours",
                                              {"Not muted", "For 1 hour", "For 8 hours", "For 24 hours"},
                                              current_text(inputs.document, mute_key, muted)));
  return child;
}

}  // namespace

orvo_actions::Resource notifications_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::Notifications);
  add_global_flips(resource, inputs);
  add_focus_choices(resource, inputs);
  const auto apps = panes::notifications::notification_apps(inputs.preferences.notifications.per_app,
                                                            inputs.queries.lists.launcher_packages(),
                                                            inputs.queries.lists.desktop_apps());
  const std::size_t count = std::min(apps.size(), kMaxLiveChildren);
  resource.children.reserve(count);
  for (std::size_t i = 0; i < count; ++i) resource.children.push_back(app_resource(apps[i], inputs));
  return resource;
}

}  // namespace settings::actions
