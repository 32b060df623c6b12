#pragma once
// Desktop shortcuts and desktop controls as the settings store keeps them for the compositor.
//
// A chord is written with its modifiers in the order Super, Ctrl, Alt, Shift, joined by "+", then
// one key: an upper-case letter, a digit, a punctuation character or a named key ("Super+Shift+/",
// "Super+PageUp", "Ctrl+Alt+F2").
//
// Files, under the settings configuration directory:
// - "shortcuts.json": {"bindings": {"<action code>": "<chord>", ...}}; a code the file leaves out
//   keeps its default unless that chord is taken in the file.
// - "desktop-controls.json": {"vim_mode": bool, ...}; other members are kept as they are.
// A damaged file (or a link to a file that is not one of these) loads as the defaults and is never
// written over: a save reads the file again, refuses one that does not parse with why, and keeps
// the members it does not own. Both files are owner-only (0600).
#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace settings_store::hardware {

struct KeyChord {
  bool super = false;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  std::string key;  // canonical: "A", "7", "/", "PageUp", "F12"

  bool operator==(const KeyChord&) const = default;

  // Modifiers in any order and case. Refuses an empty key, an unknown key or modifier name, a
  // repeated modifier and a printable key (a character or Space) without a modifier.
  static std::expected<KeyChord, std::string> parse(std::string_view text);
  std::string display() const;
};

struct ShortcutConfig {
  std::map<std::uint8_t, KeyChord> bindings;  // by desktop action code

  // "shortcuts.json" in the settings configuration directory.
  static std::optional<std::filesystem::path> path();
  // The bindings on disk; the defaults when the file is missing, unreadable or damaged.
  static ShortcutConfig load();
  static std::expected<ShortcutConfig, std::string> parse(std::string_view json);
  static ShortcutConfig defaults();
  // The chord an action has out of the box; none for a code without one.
  static std::optional<KeyChord> default_for(std::uint8_t action);

  std::string to_json() const;
  // Binds `action` to `chord`; refused when another action holds the chord.
  std::expected<void, std::string> set(std::uint8_t action, const KeyChord& chord);
  // Puts the bindings into the file atomically, keeping its other members.
  std::expected<void, std::string> save() const;
};

struct DesktopControlsConfig {
  bool vim_mode = false;
  std::string other_members = "{}";  // the file's further members, as a JSON object

  static std::optional<std::filesystem::path> path();
  static DesktopControlsConfig load();
  static std::expected<DesktopControlsConfig, std::string> parse(std::string_view json);
  std::string to_json() const;
  std::expected<void, std::string> save() const;
};

}  // namespace settings_store::hardware
