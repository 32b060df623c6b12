#include "catalogues/queries/installed_apps.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace settings::panes::personal_apps {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::ResourceKind;

namespace {

constexpr std::string_view kSchemeHandler = "x-scheme-handler/";

std::vector<std::string> kinds_of(const desktop_entry::DesktopEntry& entry) {
  std::vector<std::string> kinds;
  for (std::string_view type : entry.mime_types) {
    auto kind = type.starts_with(kSchemeHandler) ? ResourceKind::scheme(type.substr(kSchemeHandler.size()))
                                                 : ResourceKind::mime(type);
    if (kind) kinds.push_back(std::move(*kind));
  }
  std::sort(kinds.begin(), kinds.end());
  kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
  return kinds;
}

}  // namespace

std::vector<AppCandidate> installed_gui_apps(std::span<const desktop_entry::DesktopEntry> entries) {
  std::vector<AppCandidate> candidates;
  for (const auto& entry : entries) {
    if (entry.no_display || entry.hidden) continue;
    candidates.push_back(AppCandidate{entry.id, entry.name, kinds_of(entry)});
  }
  std::stable_sort(candidates.begin(), candidates.end(), app_choice_is_less);
  return candidates;
}

std::string app_choice_label(const AppCandidate& candidate) { return candidate.name + " \u2014 " + candidate.id; }

std::vector<std::string> default_app_kinds(std::span<const AppCandidate> candidates) {
  std::vector<std::string> kinds;
  for (const auto& candidate : candidates) kinds.insert(kinds.end(), candidate.handles.begin(), candidate.handles.end());
  std::sort(kinds.begin(), kinds.end());
  kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
  return kinds;
}

bool app_choice_is_less(const AppCandidate& a, const AppCandidate& b) {
  return std::tie(a.name, a.id) < std::tie(b.name, b.id);
}

std::vector<AppCandidate> candidates_for_kind(std::span<const AppCandidate> candidates, std::string_view kind) {
  std::vector<AppCandidate> handlers;
  for (const auto& candidate : candidates) {
    if (!candidate.handles_kind(kind)) continue;
    const bool seen = std::any_of(handlers.begin(), handlers.end(),
                                  [&](const AppCandidate& handler) { return handler.id == candidate.id; });
    if (!seen) handlers.push_back(candidate);
  }
  std::stable_sort(handlers.begin(), handlers.end(), app_choice_is_less);
  return handlers;
}

std::string default_app_setting_key(std::string_view kind) {
  std::string key = "default_apps.";
  key += kind;
  std::replace(key.begin() + 13, key.end(), ':', '.');
  return key;
}

std::optional<std::string> default_app_kind_of_key(std::span<const AppCandidate> candidates, std::string_view key) {
  for (auto& kind : default_app_kinds(candidates)) {
    if (default_app_setting_key(kind) == key) return std::move(kind);
  }
  return std::nullopt;
}

const AppCandidate* chosen_candidate(std::span<const AppCandidate> choices, std::string_view value) {
  for (const auto& choice : choices) {
    if (app_choice_label(choice) == value) return &choice;
  }
  for (const auto& choice : choices) {
    if (choice.id == value) return &choice;
  }
  return nullptr;
}

}  // namespace settings::panes::personal_apps

namespace settings::panes::notifications {

namespace {
constexpr std::size_t kMaxAppIdBytes = 160;
}

bool is_valid_notification_app_id(std::string_view id) {
  if (id.empty() || id.size() > kMaxAppIdBytes) return false;
  return std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
  });
}

std::string display_name_for_app_id(std::string_view id) {
  std::string_view last = id;
  if (const auto dot = id.find_last_of('.'); dot != std::string_view::npos && dot + 1 < id.size()) {
    last = id.substr(dot + 1);
  }
  std::string name(last);
  std::replace(name.begin(), name.end(), '-', ' ');
  std::replace(name.begin(), name.end(), '_', ' ');
  if (!name.empty()) name.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
  return name;
}

std::vector<NotificationApp> notification_apps(
    const std::map<std::string, settings_store::notification_policy::AppNotificationRule>& per_app,
    std::span<const desktop_entry::DesktopEntry> entries) {
  std::map<std::string, std::string, std::less<>> names;
  for (const auto& entry : entries) {
    if (entry.no_display || entry.hidden || !is_valid_notification_app_id(entry.id)) continue;
    names.emplace(entry.id, entry.name);
  }
  for (const auto& [id, rule] : per_app) {
    if (is_valid_notification_app_id(id) && !names.contains(id)) names.emplace(id, display_name_for_app_id(id));
  }
  std::vector<NotificationApp> apps;
  apps.reserve(names.size());
  for (auto& [id, name] : names) apps.push_back(NotificationApp{id, std::move(name)});
  std::sort(apps.begin(), apps.end(), [](const NotificationApp& a, const NotificationApp& b) {
    return std::tie(a.name, a.id) < std::tie(b.name, b.id);
  });
  return apps;
}

}  // namespace settings::panes::notifications
