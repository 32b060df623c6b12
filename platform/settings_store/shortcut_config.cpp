#include "settings_store/shortcut_config.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <functional>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"
#include "settings_store/json_document.h"
#include "settings_store/settings_path.h"

namespace settings_store::hardware {
namespace {

// Owner-only like every file under the configuration directory; the compositor that reads these
// runs as the same user.
constexpr mode_t kConfigMode = 0600;

using Json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 14> kNamedKeys{
    "Enter", "Space", "Tab",  "Delete", "Left",   "Right",  "Up",
    "Down",  "Home",  "End",  "PageUp", "PageDown", "Escape", "Backspace"};

bool same_text_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<std::string> function_key(std::string_view name) {
  if (name.size() < 2 || (name[0] != 'F' && name[0] != 'f')) return std::nullopt;
  const auto digits = name.substr(1);
  if (digits.front() == '0') return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || number < 1 || number > 24) return std::nullopt;
  return fmt::format("F{}", number);
}

// The canonical key and whether it types a character.
std::expected<std::pair<std::string, bool>, std::string> canonical_key(std::string_view key) {
  if (key.empty()) return std::unexpected(std::string("the shortcut has no key"));
  if (key.size() == 1) {
    const auto c = static_cast<unsigned char>(key[0]);
    if (std::isalpha(c)) return std::pair{std::string(1, static_cast<char>(std::toupper(c))), true};
    if (std::isdigit(c) || std::ispunct(c)) return std::pair{std::string(key), true};
  }
  for (const auto name : kNamedKeys) {
    if (same_text_ignoring_case(key, name)) return std::pair{std::string(name), name == "Space"};
  }
  if (auto f = function_key(key)) return std::pair{std::move(*f), false};
  return std::unexpected(fmt::format("unknown key \"{}\"", key));
}

bool* modifier_flag(KeyChord& chord, std::string_view name) {
  if (same_text_ignoring_case(name, "super")) return &chord.super;
  if (same_text_ignoring_case(name, "ctrl")) return &chord.ctrl;
  if (same_text_ignoring_case(name, "alt")) return &chord.alt;
  if (same_text_ignoring_case(name, "shift")) return &chord.shift;
  return nullptr;
}

struct DefaultBinding {
  std::uint8_t action;
  std::string_view chord;
};

// Super-based and distinct; H, J, K and L stay free for vim-style navigation.
constexpr std::array<DefaultBinding, 17> kDefaults{{
    {0, "Super+Space"},        {1, "Super+Tab"},          {2, "Super+Escape"},     {3, "Super+S"},
    {4, "Super+Shift+/"},      {5, "Super+Left"},         {6, "Super+Right"},      {7, "Super+["},
    {8, "Super+]"},            {9, "Super+Up"},           {10, "Super+Down"},      {11, "Super+PageUp"},
    {12, "Super+PageDown"},    {17, "Super+Shift+Left"},  {18, "Super+Shift+Right"}, {19, "Super+-"},
    {20, "Super+="},
}};

std::expected<std::optional<std::string>, std::string> read_file(const std::optional<std::filesystem::path>& file) {
  if (!file) return std::optional<std::string>{};
  return atomic_file::read_existing(*file);
}

Json bindings_json(const std::map<std::uint8_t, KeyChord>& bindings) {
  Json object = Json::object();
  for (const auto& [code, chord] : bindings) object[std::to_string(code)] = chord.display();
  return object;
}

bool is_blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Rewrites the file from what it holds now: a missing or blank file counts as an empty object, and
// `change` edits the parsed object so that members it does not touch are kept. A file that cannot
// be read, or whose text `check` refuses, may be another program's (or a link to one): it is left
// as it is and the change fails with why.
std::expected<void, std::string> rewrite_file(const std::optional<std::filesystem::path>& file, std::string_view what,
                                              const std::function<std::expected<void, std::string>(std::string_view)>& check,
                                              const std::function<void(Json&)>& change) {
  if (!file) return std::unexpected(fmt::format("no configuration directory is known for the {}", what));
  const auto target = atomic_file::write_target(*file);
  auto existing = atomic_file::read_existing(target);
  if (!existing) return std::unexpected(std::move(existing.error()));
  Json document = Json::object();
  if (*existing && !is_blank(**existing)) {
    if (auto valid = check(**existing); !valid) {
      return std::unexpected(fmt::format("could not read {}: {}", target.string(), valid.error()));
    }
    document = std::move(*json_document::parse(**existing));
  }
  change(document);
  return atomic_file::write_creating_parent_with_mode(*file, json_document::pretty(document), kConfigMode);
}

}  // namespace

std::expected<KeyChord, std::string> KeyChord::parse(std::string_view text) {
  // The key is what follows the last "+", except that a trailing "++" (or "+" alone) is the plus key.
  std::string_view key;
  std::string_view prefix;
  if (text == "+" || text.ends_with("++")) {
    key = text.substr(text.size() - 1);
    prefix = text.substr(0, text.size() - 1);
  } else {
    const auto plus = text.rfind('+');
    key = plus == std::string_view::npos ? text : text.substr(plus + 1);
    prefix = plus == std::string_view::npos ? std::string_view{} : text.substr(0, plus + 1);
  }
  KeyChord chord;
  bool any_modifier = false;
  while (!prefix.empty()) {
    const auto plus = prefix.find('+');
    const auto name = prefix.substr(0, plus);
    prefix.remove_prefix(plus + 1);
    bool* flag = modifier_flag(chord, name);
    if (!flag) return std::unexpected(fmt::format("unknown modifier \"{}\"", name));
    if (*flag) return std::unexpected(fmt::format("the modifier \"{}\" is repeated", name));
    *flag = true;
    any_modifier = true;
  }
  auto canonical = canonical_key(key);
  if (!canonical) return std::unexpected(std::move(canonical.error()));
  if (canonical->second && !any_modifier) {
    return std::unexpected(fmt::format("the key \"{}\" needs a modifier", canonical->first));
  }
  chord.key = std::move(canonical->first);
  return chord;
}

std::string KeyChord::display() const {
  std::string text;
  if (super) text += "Super+";
  if (ctrl) text += "Ctrl+";
  if (alt) text += "Alt+";
  if (shift) text += "Shift+";
  return text + key;
}

std::optional<std::filesystem::path> ShortcutConfig::path() { return config_path("shortcuts.json"); }

ShortcutConfig ShortcutConfig::defaults() {
  ShortcutConfig config;
  for (const auto& binding : kDefaults) config.bindings.emplace(binding.action, *KeyChord::parse(binding.chord));
  return config;
}

std::optional<KeyChord> ShortcutConfig::default_for(std::uint8_t action) {
  const auto it = std::ranges::find(kDefaults, action, &DefaultBinding::action);
  if (it == kDefaults.end()) return std::nullopt;
  return *KeyChord::parse(it->chord);
}

ShortcutConfig ShortcutConfig::load() {
  const auto text = read_file(path());
  if (!text) {
    orvo_log::warn("could not read the shortcuts; using the defaults", {{"error", text.error()}});
    return defaults();
  }
  if (!*text) return defaults();
  auto config = parse(**text);
  if (!config) {
    orvo_log::warn("the shortcuts file is damaged; using the defaults", {{"error", config.error()}});
    return defaults();
  }
  return std::move(*config);
}

std::expected<ShortcutConfig, std::string> ShortcutConfig::parse(std::string_view json) {
  const auto document = json_document::parse(json);
  if (!document || !document->is_object()) return std::unexpected(std::string("the shortcuts file is not a JSON object"));
  const auto bindings = document->find("bindings");
  if (bindings == document->end() || !bindings->is_object()) {
    return std::unexpected(std::string("the shortcuts file has no \"bindings\" object"));
  }
  ShortcutConfig config;
  for (const auto& [code_text, chord_text] : bindings->items()) {
    unsigned code = 0;
    const auto [end, error] = std::from_chars(code_text.data(), code_text.data() + code_text.size(), code);
    if (error != std::errc{} || end != code_text.data() + code_text.size() || code > 255) {
      return std::unexpected(fmt::format("\"{}\" is not an action code", code_text));
    }
    if (!chord_text.is_string()) return std::unexpected(fmt::format("the chord of action {} is not a text", code));
    auto chord = KeyChord::parse(chord_text.get<std::string>());
    if (!chord) return std::unexpected(fmt::format("action {}: {}", code, chord.error()));
    config.bindings[static_cast<std::uint8_t>(code)] = std::move(*chord);
  }
  for (const auto& binding : kDefaults) {
    if (config.bindings.contains(binding.action)) continue;
    auto chord = *KeyChord::parse(binding.chord);
    const bool taken = std::ranges::any_of(config.bindings, [&](const auto& entry) { return entry.second == chord; });
    if (!taken) config.bindings.emplace(binding.action, std::move(chord));
  }
  return config;
}

std::string ShortcutConfig::to_json() const {
  Json document = Json::object();
  document["bindings"] = bindings_json(bindings);
  return json_document::pretty(document);
}

std::expected<void, std::string> ShortcutConfig::set(std::uint8_t action, const KeyChord& chord) {
  for (const auto& [code, bound] : bindings) {
    if (code != action && bound == chord) {
      return std::unexpected(fmt::format("{} is already used by another shortcut", chord.display()));
    }
  }
  bindings[action] = chord;
  return {};
}

std::expected<void, std::string> ShortcutConfig::save() const {
  return rewrite_file(
      path(), "shortcuts",
      [](std::string_view text) -> std::expected<void, std::string> {
        if (auto stored = parse(text); !stored) return std::unexpected(std::move(stored.error()));
        return {};
      },
      [&](Json& document) { document["bindings"] = bindings_json(bindings); });
}

std::optional<std::filesystem::path> DesktopControlsConfig::path() { return config_path("desktop-controls.json"); }

DesktopControlsConfig DesktopControlsConfig::load() {
  const auto text = read_file(path());
  if (!text) {
    orvo_log::warn("could not read the desktop controls; using the defaults", {{"error", text.error()}});
    return {};
  }
  if (!*text) return {};
  auto config = parse(**text);
  if (!config) {
    orvo_log::warn("the desktop controls file is damaged; using the defaults", {{"error", config.error()}});
    return {};
  }
  return std::move(*config);
}

std::expected<DesktopControlsConfig, std::string> DesktopControlsConfig::parse(std::string_view json) {
  auto document = json_document::parse(json);
  if (!document || !document->is_object()) {
    return std::unexpected(std::string("the desktop controls file is not a JSON object"));
  }
  DesktopControlsConfig config;
  if (const auto vim = document->find("vim_mode"); vim != document->end()) {
    if (!vim->is_boolean()) return std::unexpected(std::string("\"vim_mode\" is not true or false"));
    config.vim_mode = vim->get<bool>();
    document->erase("vim_mode");
  }
  config.other_members = document->dump();
  return config;
}

std::string DesktopControlsConfig::to_json() const {
  nlohmann::ordered_json document = nlohmann::ordered_json::object();
  document["vim_mode"] = vim_mode;
  if (auto others = json_document::parse(other_members); others && others->is_object()) {
    for (auto& [name, value] : others->items()) document[name] = value;
  }
  return json_document::pretty(document);
}

std::expected<void, std::string> DesktopControlsConfig::save() const {
  return rewrite_file(
      path(), "desktop controls",
      [](std::string_view text) -> std::expected<void, std::string> {
        if (auto stored = parse(text); !stored) return std::unexpected(std::move(stored.error()));
        return {};
      },
      [&](Json& document) { document["vim_mode"] = vim_mode; });
}

}  // namespace settings_store::hardware
