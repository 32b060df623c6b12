#include "desktop_policy/personal_defaults.h"

#include <algorithm>
#include <vector>

#include <nlohmann/json.hpp>

#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace desktop_policy::defaults {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kGroup = "[Default Applications]";
constexpr mode_t kStoreMode = 0600;
constexpr mode_t kMimeappsMode = 0644;

// The store file as JSON: an empty object when missing; an error when unreadable or not an object.
std::expected<Json, std::string> read_store(const std::filesystem::path& path) {
  auto bytes = atomic_file::read_existing(path);
  if (!bytes) return std::unexpected(bytes.error());
  if (!*bytes) return Json::object();
  Json json = Json::parse(**bytes, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    return std::unexpected(path.string() + " is not a JSON object of default applications");
  }
  return json;
}

std::expected<std::string, std::string> read_text(const std::filesystem::path& path) {
  auto bytes = atomic_file::read_existing(path);
  if (!bytes) return std::unexpected(bytes.error());
  return bytes->value_or(std::string());
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool is_group_header(std::string_view line) {
  const std::string_view t = trimmed(line);
  return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos) {
      lines.push_back(text);
      break;
    }
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::optional<DefaultsPaths> DefaultsPaths::user() {
  auto dir = system_paths::user_config_dir();
  if (!dir) return std::nullopt;
  return DefaultsPaths{*dir / "orvo" / "personal-defaults.json", *dir / "mimeapps.list"};
}

PersonalDefaults PersonalDefaults::load() {
  auto paths = DefaultsPaths::user();
  if (!paths) {
    PersonalDefaults defaults;
    defaults.load_error_ = "no configuration directory is known";
    return defaults;
  }
  return load_at(paths->store);
}

PersonalDefaults PersonalDefaults::load_at(const std::filesystem::path& store) {
  PersonalDefaults defaults;
  auto json = read_store(store);
  if (!json) {
    defaults.load_error_ = json.error();
    return defaults;
  }
  for (const auto& [kind, id] : json->items()) {
    if (id.is_string()) defaults.by_kind_.emplace(kind, id.get<std::string>());
  }
  return defaults;
}

std::optional<std::string> PersonalDefaults::get(std::string_view kind) const {
  const auto it = by_kind_.find(kind);
  if (it == by_kind_.end()) return std::nullopt;
  return it->second;
}

std::expected<void, std::string> PersonalDefaults::set(std::string_view kind, std::string_view app_id,
                                                       std::span<const AppCandidate> candidates) {
  const bool offered = std::any_of(candidates.begin(), candidates.end(), [&](const AppCandidate& candidate) {
    return candidate.id == app_id && candidate.handles_kind(kind);
  });
  if (!offered) return std::unexpected(std::string(app_id) + " does not open " + std::string(kind));
  by_kind_.insert_or_assign(std::string(kind), std::string(app_id));
  changed_.insert(std::string(kind));
  return {};
}

std::expected<void, std::string> PersonalDefaults::save() const {
  auto paths = DefaultsPaths::user();
  if (!paths) return std::unexpected(std::string("no configuration directory is known"));
  return save_at(*paths);
}

std::expected<void, std::string> PersonalDefaults::save_at(const DefaultsPaths& paths) const {
  if (!load_error_.empty()) return std::unexpected(load_error_);
  if (changed_.empty()) return {};
  // Both files are read before either is written, so a failure leaves both as they were.
  auto store = read_store(paths.store);
  if (!store) return std::unexpected(store.error());
  auto mimeapps = read_text(paths.mimeapps);
  if (!mimeapps) return std::unexpected(mimeapps.error());

  std::map<std::string, std::string> assignments;
  for (const auto& kind : changed_) {
    const std::string& id = by_kind_.at(kind);
    (*store)[kind] = id;
    if (auto key = mimeapps_key(kind)) assignments.emplace(std::move(*key), id + ".desktop");
  }
  if (auto written = atomic_file::write_creating_parent_with_mode(paths.store, store->dump(2) + "\n", kStoreMode);
      !written) {
    return written;
  }
  if (assignments.empty()) return {};
  return atomic_file::write_creating_parent_with_mode(
      paths.mimeapps, with_default_applications(*mimeapps, assignments), kMimeappsMode);
}

std::optional<std::string> mimeapps_key(std::string_view kind) {
  if (kind.starts_with("mime:")) return std::string(kind.substr(5));
  if (kind.starts_with("scheme:")) return "x-scheme-handler/" + std::string(kind.substr(7));
  return std::nullopt;
}

std::string with_default_applications(std::string_view text, const std::map<std::string, std::string>& assignments) {
  const std::vector<std::string_view> lines = split_lines(text);
  std::vector<std::string> out;
  std::map<std::string, bool> written;
  for (const auto& [key, value] : assignments) written.emplace(key, false);
  const auto missing_lines = [&] {
    std::vector<std::string> added;
    for (auto& [key, done] : written) {
      if (!done) added.push_back(key + "=" + assignments.at(key));
      done = true;
    }
    return added;
  };
  // Missing keys go after the group's last non-blank line.
  const auto close_group = [&] {
    auto at = out.end();
    while (at != out.begin() && trimmed(*(at - 1)).empty()) --at;
    const auto added = missing_lines();
    out.insert(at, added.begin(), added.end());
  };

  bool in_group = false;
  bool group_seen = false;
  for (std::string_view line : lines) {
    if (is_group_header(line)) {
      if (in_group) close_group();
      in_group = trimmed(line) == kGroup;
      group_seen = group_seen || in_group;
      out.emplace_back(line);
      continue;
    }
    if (in_group) {
      const auto equals = line.find('=');
      if (equals != std::string_view::npos) {
        const std::string key(trimmed(line.substr(0, equals)));
        if (const auto it = written.find(key); it != written.end()) {
          // A key given twice keeps one line, the assigned one.
          if (!it->second) out.push_back(key + "=" + assignments.at(key));
          it->second = true;
          continue;
        }
      }
    }
    out.emplace_back(line);
  }
  if (in_group) close_group();
  if (!group_seen) {
    if (!out.empty() && !trimmed(out.back()).empty()) out.emplace_back();
    out.emplace_back(kGroup);
    const auto added = missing_lines();
    out.insert(out.end(), added.begin(), added.end());
  }
  std::string result;
  for (const auto& line : out) {
    result += line;
    result += '\n';
  }
  return result;
}

std::optional<std::string> DefaultAppResolver::resolve(std::string_view kind, std::span<const AppCandidate> candidates,
                                                       const PersonalDefaults& personal) {
  auto chosen = personal.get(kind);
  if (!chosen) return std::nullopt;
  const bool offered = std::any_of(candidates.begin(), candidates.end(), [&](const AppCandidate& candidate) {
    return candidate.id == *chosen && candidate.handles_kind(kind);
  });
  if (!offered) return std::nullopt;
  return chosen;
}

}  // namespace desktop_policy::defaults
