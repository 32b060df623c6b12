#include "settings_store/settings_file.h"

#include <sys/stat.h>

#include <system_error>
#include <utility>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "orvo_json/json_value.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/text.h"
#include "settings_store/json_document.h"
#include "settings_store/settings_path.h"

namespace settings_store {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kNoConfigDir = "no config dir";
// Owner-only, as every file under the configuration directory.
constexpr mode_t kFileMode = 0600;

bool is_blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Why the text is not a JSON object, in the strict reader's words where it has some.
std::string not_an_object(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return "the file holds a NUL byte";
  if (auto value = orvo_json::decode<Json>(text); !value) return value.error().text();
  if (json_document::parse(text)) return "the file holds JSON that is not an object";
  return "the file is not JSON";
}

}  // namespace

std::expected<Json, std::string> settings_object(std::string_view text) {
  if (is_blank(text)) return Json::object();
  auto value = json_document::parse(text);
  if (!value || !value->is_object()) return std::unexpected(not_an_object(text));
  return std::move(*value);
}

std::expected<std::filesystem::path, std::string> rewrite_settings_file(const SettingsMerge& merge) {
  const auto path = settings_path();
  if (!path) return std::unexpected(std::string(kNoConfigDir));
  if (path->has_parent_path()) {
    if (const auto ec = atomic_file::create_private_directories(path->parent_path())) {
      return std::unexpected(fmt::format("could not create {}: {}", path->parent_path().string(), ec.message()));
    }
  }
  const auto target = atomic_file::write_target(*path);
  auto existing = atomic_file::read_existing(target);
  if (!existing) return std::unexpected(std::move(existing.error()));
  const std::string text = existing->value_or(std::string());
  if (!orvo_runtime::text::is_valid_utf8(text)) {
    return std::unexpected(fmt::format("could not read {}: the file is not UTF-8 text", target.string()));
  }
  if (auto object = settings_object(text); !object) {
    return std::unexpected(fmt::format("could not read {}: {}", target.string(), object.error()));
  }
  auto merged = merge(std::string_view(text));
  if (!merged) return std::unexpected(std::move(merged.error()));
  if (!*merged) return *path;
  if (auto written = atomic_file::write(target, **merged, kFileMode); !written) {
    return std::unexpected(std::move(written.error()));
  }
  return *path;
}

std::optional<Json> load_section(std::string_view name) {
  const auto path = settings_path();
  if (!path) return std::nullopt;
  auto bytes = atomic_file::read_existing(*path);
  if (!bytes || !bytes->has_value()) return std::nullopt;
  if (is_blank(**bytes)) return std::nullopt;
  auto object = settings_object(**bytes);
  if (!object) return std::nullopt;
  const auto it = object->find(name);
  if (it == object->end()) return std::nullopt;
  return std::move(*it);
}

std::expected<void, std::string> update_section(std::string_view name, const std::function<bool(Json& section)>& change) {
  auto written = rewrite_settings_file([&](std::string_view existing) -> std::expected<std::optional<std::string>, std::string> {
    // The rewrite has already refused text that is not an object.
    Json object = *settings_object(existing);
    Json section = Json::object();
    if (const auto it = object.find(name); it != object.end() && it->is_object()) section = *it;
    if (!change(section)) return std::nullopt;
    object[std::string(name)] = std::move(section);
    return json_document::pretty(object);
  });
  if (!written) return std::unexpected(std::move(written.error()));
  return {};
}

}  // namespace settings_store
