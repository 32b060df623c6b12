#include "services/installed_apps.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace settings::panes::personal_apps {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::ResourceKind;

namespace {

constexpr std::string_view kSchemeHandler = "x-scheme-handler/";

void sort_unique(std::vector<std::string>& kinds) {
  std::sort(kinds.begin(), kinds.end());
  kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
}

void add_mime_kinds(std::span<const std::string> types, std::vector<std::string>& kinds) {
  for (std::string_view type : types) {
    auto kind = type.starts_with(kSchemeHandler) ? ResourceKind::scheme(type.substr(kSchemeHandler.size()))
                                                 : ResourceKind::mime(type);
    if (kind) kinds.push_back(std::move(*kind));
  }
}

std::vector<std::string> kinds_of(const launcher::manifest::Manifest& manifest) {
  std::vector<std::string> kinds;
  for (const auto& extension : manifest.file_extensions) {
    if (auto kind = ResourceKind::extension(extension)) kinds.push_back(std::move(*kind));
  }
  add_mime_kinds(manifest.mime_types, kinds);
  for (const auto& scheme : manifest.url_schemes) {
    if (auto kind = ResourceKind::scheme(scheme)) kinds.push_back(std::move(*kind));
  }
  return kinds;
}

std::string package_name(const launcher::registry::InstalledPackage& package,
                         std::span<const launcher::registry::InstalledPackage> packages) {
  if (!package.manifest.name.empty()) return package.manifest.name;
  return launcher::registry::display_name_for_package_id(package.app_id(), packages);
}

}  // namespace

std::vector<AppCandidate> installed_gui_apps(std::span<const launcher::registry::InstalledPackage> packages,
                                             std::span<const desktop_entry::DesktopEntry> entries) {
  std::vector<AppCandidate> candidates;
  std::map<std::string, std::size_t, std::less<>> index_of;
  for (const auto& package : packages) {
    if (!package.manifest.has_gui() || index_of.contains(package.app_id())) continue;
    index_of.emplace(package.app_id(), candidates.size());
    candidates.push_back(AppCandidate{package.app_id(), package_name(package, packages), kinds_of(package.manifest)});
  }
  for (const auto& entry : entries) {
    if (entry.no_display || entry.hidden) continue;
    if (const auto found = index_of.find(entry.id); found != index_of.end()) {
      add_mime_kinds(entry.mime_types, candidates[found->second].handles);
      continue;
    }
    AppCandidate candidate{entry.id, entry.name, {}};
    add_mime_kinds(entry.mime_types, candidate.handles);
    candidates.push_back(std::move(candidate));
  }
  for (auto& candidate : candidates) sort_unique(candidate.handles);
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

std::vector<NotificationApp> notification_apps(
    const std::map<std::string, settings_store::notification_policy::AppNotificationRule>& per_app,
    std::span<const launcher::registry::InstalledPackage> packages,
    std::span<const desktop_entry::DesktopEntry> entries) {
  std::map<std::string, std::string, std::less<>> names;
  for (const auto& package : packages) {
    const std::string& id = package.app_id();
    if (!package.manifest.has_gui() || !is_valid_notification_app_id(id) || names.contains(id)) continue;
    names.emplace(id, package.manifest.name.empty() ? launcher::registry::display_name_for_package_id(id, packages)
                                                    : package.manifest.name);
  }
  for (const auto& entry : entries) {
    const std::string& id = entry.app_id ? *entry.app_id : entry.id;
    if (entry.no_display || entry.hidden || !is_valid_notification_app_id(id)) continue;
    names.emplace(id, entry.name);
  }
  for (const auto& [id, rule] : per_app) {
    if (is_valid_notification_app_id(id) && !names.contains(id)) {
      names.emplace(id, launcher::registry::display_name_for_package_id(id, packages));
    }
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
