#pragma once
// The installed applications as the settings lists offer them: candidates for default applications,
// and the applications that can get their own notification rules.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop_entry/desktop_entry.h"
#include "desktop_policy/resource_kind.h"
#include "launcher/registry.h"
#include "settings_store/notification_policy.h"

namespace settings::panes::personal_apps {

// The installed applications: first the launcher packages with a graphical entry point, by their
// application id and manifest name (else the name made from the id), with the extensions, MIME
// types and URL schemes their manifests declare; then the desktop entries shown in menus (NoDisplay
// entries are helpers, not choices), with the kinds their MimeType= declares
// ("x-scheme-handler/<scheme>" as a URL scheme). A desktop entry of a package's id adds its kinds
// to the package's. Malformed kinds are dropped; kinds sorted and without duplicates. Sorted by
// name, then id.
std::vector<desktop_policy::defaults::AppCandidate> installed_gui_apps(
    std::span<const launcher::registry::InstalledPackage> packages,
    std::span<const desktop_entry::DesktopEntry> entries);

// How an application is named in a default-application choice and in the setting that stores it:
// "<name> — <id>" (an em dash between single spaces).
std::string app_choice_label(const desktop_policy::defaults::AppCandidate& candidate);

// Every kind any candidate opens, sorted byte-wise, without duplicates.
std::vector<std::string> default_app_kinds(std::span<const desktop_policy::defaults::AppCandidate> candidates);

// Orders choices by name, then id.
bool app_choice_is_less(const desktop_policy::defaults::AppCandidate& a,
                        const desktop_policy::defaults::AppCandidate& b);

// The candidates that open `kind`, by name then id, each id once.
std::vector<desktop_policy::defaults::AppCandidate> candidates_for_kind(
    std::span<const desktop_policy::defaults::AppCandidate> candidates, std::string_view kind);

// The setting that mirrors a kind's choice: "default_apps." and the kind with every ":" as "."
// ("mime:text/html" → "default_apps.mime.text/html").
std::string default_app_setting_key(std::string_view kind);

// The kind of `candidates` whose setting key is `key`; none when no candidate opens such a kind.
// (A key cannot be turned back into its kind by itself: a MIME type may hold a ".".)
std::optional<std::string> default_app_kind_of_key(std::span<const desktop_policy::defaults::AppCandidate> candidates,
                                                   std::string_view key);

// The candidate a kind's setting value names: by its choice label first, else by its bare id (the
// form other devices may write). None when it names none of `choices`.
const desktop_policy::defaults::AppCandidate* chosen_candidate(
    std::span<const desktop_policy::defaults::AppCandidate> choices, std::string_view value);

}  // namespace settings::panes::personal_apps

namespace settings::panes::notifications {

struct NotificationApp {
  std::string id;
  std::string name;
  bool operator==(const NotificationApp&) const = default;
};

// 1 to 160 bytes of ASCII letters, digits, "-", "." and "_". Other ids are never listed.
bool is_valid_notification_app_id(std::string_view id);

// The applications offered for per-application rules, each id once with the first name met for it:
// the launcher packages with a graphical entry point (by application id, named by their manifest or
// `launcher::registry::display_name_for_package_id`), then the desktop entries shown in menus (by
// their X-Flatpak id when they have one, else their desktop file id), then every application that
// already has a rule, so a rule stays reachable after an uninstall. Invalid ids are left out.
// Sorted by name, then id.
std::vector<NotificationApp> notification_apps(
    const std::map<std::string, settings_store::notification_policy::AppNotificationRule>& per_app,
    std::span<const launcher::registry::InstalledPackage> packages,
    std::span<const desktop_entry::DesktopEntry> entries);

}  // namespace settings::panes::notifications
