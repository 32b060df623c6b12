#pragma once
// The installed applications as the settings lists offer them: candidates for default applications,
// and the applications that can get their own notification rules.
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop_entry/desktop_entry.h"
#include "desktop_policy/resource_kind.h"
#include "settings_store/notification_policy.h"

namespace settings::panes::personal_apps {

// The applications shown in menus (NoDisplay entries are helpers, not choices), each with the kinds
// its MimeType= declares ("x-scheme-handler/<scheme>" as a URL scheme), malformed ones dropped,
// sorted and without duplicates. Sorted by name, then id.
std::vector<desktop_policy::defaults::AppCandidate> installed_gui_apps(
    std::span<const desktop_entry::DesktopEntry> entries);

// How an application is named in a default-application choice and in the setting that stores it:
// "<name> — <id>" (an em dash between single spaces).
std::string app_choice_label(const desktop_policy::defaults::AppCandidate& candidate);

}  // namespace settings::panes::personal_apps

namespace settings::panes::notifications {

struct NotificationApp {
  std::string id;
  std::string name;
  bool operator==(const NotificationApp&) const = default;
};

// 1 to 160 bytes of ASCII letters, digits, "-", "." and "_". Other ids are never listed.
bool is_valid_notification_app_id(std::string_view id);

// A name for an application known only by its id: the last dotted part with "-" and "_" as spaces,
// first letter upper-cased ("org.example.mail-client" gives "Mail client").
std::string display_name_for_app_id(std::string_view id);

// The applications offered for per-application rules: the installed applications shown in menus,
// then every application that already has a rule (so a rule stays reachable after an uninstall).
// The first name met for an id is kept. Sorted by name, then id.
std::vector<NotificationApp> notification_apps(
    const std::map<std::string, settings_store::notification_policy::AppNotificationRule>& per_app,
    std::span<const desktop_entry::DesktopEntry> entries);

}  // namespace settings::panes::notifications
