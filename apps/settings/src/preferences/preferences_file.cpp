#include "preferences/preferences_file.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "orvo_json/fieldwise.h"
#include "orvo_json/json.h"
#include "orvo_json/json_value.h"
#include "orvo_runtime/atomic_file.h"
#include "settings_store/json_document.h"
#include "settings_store/settings_file.h"
#include "settings_store/settings_path.h"

namespace settings::preferences {
namespace {

using Json = nlohmann::ordered_json;

// The top-level object of the text, or none when the text is not a JSON object.
std::optional<Json> top_object(std::string_view text) {
  auto value = settings_store::json_document::parse(text);
  if (!value || !value->is_object()) return std::nullopt;
  return value;
}

const Json* member(const std::optional<Json>& object, std::string_view key) {
  if (!object) return nullptr;
  const auto it = object->find(key);
  return it == object->end() ? nullptr : &*it;
}

// Field by field: a member that is missing or does not decode takes its default, the others keep
// their values. A section that is absent or neither an object nor an array keeps the defaults
// already in `out`.
template <class T>
void decode_section(const Json* value, T& out) {
  if (value == nullptr || (!value->is_object() && !value->is_array())) return;
  out = orvo_json::decode_fields<T>(*value);
}

std::optional<bool> boolean_member(const Json& object, std::string_view key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_boolean()) return std::nullopt;
  return it->get<bool>();
}

// The input section must be an object (the record's array form is not taken here). The older
// pointer-wide "natural_scroll" stands in for a per-device setting the file does not hold.
InputPrefs decode_input(const Json* value) {
  InputPrefs input;
  if (value == nullptr || !value->is_object()) return input;
  input = orvo_json::decode_fields<InputPrefs>(*value);
  const auto legacy = boolean_member(*value, "natural_scroll");
  input.natural_scroll = legacy.value_or(false);
  input.touchpad_natural_scroll = boolean_member(*value, "touchpad_natural_scroll").value_or(legacy.value_or(true));
  input.mouse_natural_scroll = boolean_member(*value, "mouse_natural_scroll").value_or(legacy.value_or(false));
  return input;
}

// A file written before the layout list existed holds neither key: its list starts empty and the
// normalisation fills it from the layout in use.
bool holds_layout_list(const Json* input) {
  return input != nullptr && input->is_object() && (input->contains("keyboard_layouts") || input->contains("layouts"));
}

template <class T>
std::expected<Json, std::string> section_value(const T& record, std::string_view key) {
  // Text fields the program set itself may hold bytes that are not UTF-8; the parse refuses them.
  Json value = Json::parse(orvo_json::encode(record), nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) {
    return std::unexpected(fmt::format("could not write the {} preferences: they hold text that is not UTF-8", key));
  }
  return value;
}

// The existing object with "version" set; no text (a missing or blank file) starts an empty one.
// Text that is not a JSON object is refused: it may be another program's, and rewriting it would
// lose it.
std::expected<Json, std::string> merge_base(std::string_view existing) {
  auto object = settings_store::settings_object(existing);
  if (!object) return std::unexpected(std::move(object.error()));
  (*object)["version"] = 1;
  return std::move(*object);
}

// Writes what the user changed between `loaded` (what the file gave) and `updated` into the section,
// member by member; a member that did not decode or that the record does not know stays as the file
// holds it, unless the user set that very field.
template <class T>
std::expected<void, std::string> merge_section(Json& object, std::string_view key, const T& loaded,
                                               const T& updated) {
  auto value = section_value(updated, key);
  if (!value) return std::unexpected(std::move(value.error()));
  const std::string name(key);
  const auto it = object.find(name);
  if (it == object.end()) {
    object[name] = std::move(*value);
  } else {
    *it = orvo_json::merge_fields(*it, loaded, updated, *value);
  }
  return {};
}

// Files written by this process, for readers that keep what they read.
std::atomic<std::uint64_t> g_writes{0};

// Every save goes through the settings file's one rewrite: a merge that answers no text leaves the
// file untouched.
template <class Merge>
std::expected<std::filesystem::path, std::string> save_with(Merge&& merge) {
  bool writes = false;
  auto saved = settings_store::rewrite_settings_file(
      [&](std::string_view existing) -> std::expected<std::optional<std::string>, std::string> {
        std::expected<std::optional<std::string>, std::string> merged = merge(existing);
        writes = merged && merged->has_value();
        return merged;
      });
  if (saved && writes) g_writes.fetch_add(1, std::memory_order_relaxed);
  return saved;
}

std::optional<std::string> read_text(const std::filesystem::path& path) {
  auto bytes = atomic_file::read_existing(path);
  if (!bytes || !bytes->has_value()) return std::nullopt;
  return std::move(**bytes);
}

}  // namespace

Preferences decode_preferences(std::string_view text) {
  const auto object = top_object(text);
  Preferences prefs;
  decode_section(member(object, "audio"), prefs.audio);
  decode_section(member(object, "display"), prefs.display);
  decode_section(member(object, "power"), prefs.power);
  decode_section(member(object, "updates"), prefs.updates);
  decode_section(member(object, "appearance"), prefs.appearance);
  decode_section(member(object, "notifications"), prefs.notifications);
  decode_section(member(object, "accessibility"), prefs.accessibility);

  const Json* input = member(object, "input");
  prefs.input = decode_input(input);
  if (!holds_layout_list(input)) prefs.input.keyboard_layouts.clear();
  prefs.input.normalise_sources();
  return prefs;
}

Preferences load_preferences() {
  const auto path = settings_store::settings_path();
  if (!path) return Preferences{};
  const auto text = read_text(*path);
  if (!text) return Preferences{};
  return decode_preferences(*text);
}

std::expected<std::string, std::string> merge_preferences_json(const Preferences& prefs, std::string_view existing) {
  auto base = merge_base(existing);
  if (!base) return std::unexpected(std::move(base.error()));
  Json& object = *base;
  const Preferences loaded = decode_preferences(existing);
  // In the order a new file lists them; each step merges into its key in place or appends it.
  const std::expected<void, std::string> steps[] = {
      merge_section(object, "audio", loaded.audio, prefs.audio),
      merge_section(object, "display", loaded.display, prefs.display),
      merge_section(object, "input", loaded.input, prefs.input),
      merge_section(object, "power", loaded.power, prefs.power),
      merge_section(object, "updates", loaded.updates, prefs.updates),
      merge_section(object, "appearance", loaded.appearance, prefs.appearance),
      merge_section(object, "notifications", loaded.notifications, prefs.notifications),
      merge_section(object, "accessibility", loaded.accessibility, prefs.accessibility),
  };
  for (const auto& step : steps) {
    if (!step) return std::unexpected(step.error());
  }
  return settings_store::json_document::pretty(object);
}

std::expected<std::filesystem::path, std::string> save_preferences(const Preferences& prefs) {
  return save_with([&](std::string_view existing) { return merge_preferences_json(prefs, existing); });
}

std::uint64_t preferences_writes() { return g_writes.load(std::memory_order_relaxed); }

Locale decode_locale(std::string_view text) {
  Locale locale;
  decode_section(member(top_object(text), "locale"), locale);
  return locale;
}

Locale load_locale_preferences() {
  const auto path = settings_store::settings_path();
  if (!path) return Locale{};
  const auto text = read_text(*path);
  if (!text) return Locale{};
  return decode_locale(*text);
}

std::expected<std::string, std::string> merge_locale_json(const Locale& locale, std::string_view existing) {
  auto base = merge_base(existing);
  if (!base) return std::unexpected(std::move(base.error()));
  Json& object = *base;
  if (auto step = merge_section(object, "locale", decode_locale(existing), locale); !step) {
    return std::unexpected(std::move(step.error()));
  }
  return settings_store::json_document::pretty(object);
}

std::expected<std::filesystem::path, std::string> update_preferences_section(
    std::string_view section, const std::function<std::expected<void, std::string>(Preferences&)>& change) {
  return save_with([&](std::string_view existing) -> std::expected<std::optional<std::string>, std::string> {
    const Preferences before = decode_preferences(existing);
    Preferences after = before;
    if (auto changed = change(after); !changed) return std::unexpected(std::move(changed.error()));
    if (after == before) return std::nullopt;
    auto base = merge_base(existing);
    if (!base) return std::unexpected(std::move(base.error()));
    Json& object = *base;
    std::expected<void, std::string> step;
    if (section == "appearance") {
      step = merge_section(object, section, before.appearance, after.appearance);
    } else if (section == "notifications") {
      step = merge_section(object, section, before.notifications, after.notifications);
    } else if (section == "accessibility") {
      step = merge_section(object, section, before.accessibility, after.accessibility);
    } else {
      return std::unexpected(fmt::format("no preferences section {}", section));
    }
    if (!step) return std::unexpected(std::move(step.error()));
    return settings_store::json_document::pretty(object);
  });
}

std::expected<std::filesystem::path, std::string> save_locale_preferences(const Locale& locale) {
  return save_with([&](std::string_view existing) { return merge_locale_json(locale, existing); });
}

std::expected<std::filesystem::path, std::string> update_locale_preferences(
    const std::function<std::expected<void, std::string>(Locale&)>& change) {
  return save_with([&](std::string_view existing) -> std::expected<std::optional<std::string>, std::string> {
    const Locale before = decode_locale(existing);
    Locale after = before;
    if (auto changed = change(after); !changed) return std::unexpected(std::move(changed.error()));
    if (after == before) return std::nullopt;
    return merge_locale_json(after, existing);
  });
}

std::expected<double, std::string> validate_unit_interval(double value) {
  if (std::isfinite(value) && value >= 0.0 && value <= 1.0) return value;
  return std::unexpected(std::string("input value must be between 0.0 and 1.0"));
}

}  // namespace settings::preferences
