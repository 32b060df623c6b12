#pragma once
// One table from a setting key of the settings document to the field that keeps it: its store, its
// section and how the document's value (a flag, or the label a control shows) becomes the stored
// value and back. Three users read it, so they cannot disagree: the write-through that keeps a
// setting action's value when no pane does, the catalogues' current values, and the panes.
//
// A row keeps its value in a section of the preferences record (preferences_file.h), in the
// region formats of the "locale" section (a `Locale`, read and written on its own), as a flag of a
// section of the settings file that is not part of that record (settings_store's sections, such as
// "text_assistance"), in the desktop's own files (a shortcut's chord in the shortcut configuration,
// a desktop control in the desktop controls configuration, settings_store/shortcut_config.h), or in
// the personal-defaults store of default applications (desktop_policy/personal_defaults.h): that
// row stands for every key under its prefix, one per kind of file or link. The per-application
// notification rules have one row too, for every "notifications.app.<id>.<field>" key: the field of
// that application's rule in the "notifications" section. A row may refuse a value it cannot store
// (a label that names no choice, a chord that does not parse or that another shortcut holds); the
// caller then changes nothing.
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "preferences/locale.h"
#include "preferences/records.h"

namespace settings::preferences {

// A setting as the document holds it: a flag or a text (a label for a choice).
using SettingFieldValue = std::variant<bool, std::string>;

enum class SettingStore {
  PreferencesFile,
  SettingsSection,
  Shortcuts,
  DesktopControls,
  // A region format: a field of the `Locale` of the "locale" section, shown as the label of its
  // choice (the Region & formats page's labels).
  Locale,
  // The application chosen for a kind: the row's key is a prefix ("default_apps."), the value a
  // choice label ("<name> — <id>") or a bare application id.
  PersonalDefaults,
  // A field of one application's notification rule: the row's key is a prefix
  // ("notifications.app."), the rest of a key the application's id, a dot and the field ("banners",
  // "previews", "sounds", "badges", "priority", "priority_contacts" as flags, "mute" as a mute label).
  NotificationRule,
};

struct SettingField {
  std::string_view key;
  SettingStore store = SettingStore::PreferencesFile;
  // The section of the store that holds the field ("appearance", "notifications", …).
  std::string_view section;
  // Preferences rows: the value the stored preferences give the key.
  SettingFieldValue (*read)(const Preferences& prefs) = nullptr;
  // Preferences rows: puts `value` into the preferences; an error (a whole sentence) when the field
  // cannot hold it.
  std::expected<void, std::string> (*write)(Preferences& prefs, const SettingFieldValue& value) = nullptr;
  // Settings-section rows: the flag's member in the section, and its value when the member is
  // absent or not a flag.
  std::string_view member;
  bool absent_flag = false;
  // Shortcut rows: the desktop action code the chord is bound to.
  std::uint8_t action = 0;
  // Locale rows: the label of the format's choice in `locale`, and the choice a label names put
  // into it; an error (a whole sentence) for a label that names none, and `locale` is left as it was.
  std::string (*read_locale)(const Locale& locale) = nullptr;
  std::expected<void, std::string> (*write_locale)(Locale& locale, const SettingFieldValue& value) = nullptr;
};

// The row of `key` (a prefix row for the keys under it), or none when the key has no store of its own.
const SettingField* find_setting_field(std::string_view key);

// Every row, in table order.
std::span<const SettingField> setting_fields();

// The stored value of `key` as a flag or as a label; none when the key has no preferences row or
// the row holds the other kind.
std::optional<bool> stored_flag(const Preferences& prefs, std::string_view key);
// The flag a settings-section or desktop-controls row keeps, read from its file; none when the key
// has no such row.
std::optional<bool> stored_section_flag(std::string_view key);
std::optional<std::string> stored_label(const Preferences& prefs, std::string_view key);
// The label a region format ("region." key) has in `locale`; none for any other key.
std::optional<std::string> stored_locale_label(const Locale& locale, std::string_view key);

// The labels a key's control offers, in offering order: the choices of a row that stores a choice,
// the theme names for "appearance.theme" (whose row also keeps names outside the list) and the
// region formats' labels ("region." keys, in the order of their enumerations in `Locale`). Empty
// for a flag or a key without a fixed list.
std::vector<std::string> setting_choice_labels(std::string_view key);

// The vision settings the Appearance and Accessibility pages share are kept under two keys each
// ("appearance.high_contrast" and "a11y.high_contrast", …) for one stored field, with the same
// values (the text size as the same label). The other key of such a pair; none for any other key.
std::optional<std::string_view> shared_setting_twin(std::string_view key);

// Writes `value` of `key` through to its store when the key has a row and the stored value differs;
// nothing is written otherwise. An error leaves the store as it was.
std::expected<void, std::string> write_setting_through(std::string_view key, const SettingFieldValue& value);

}  // namespace settings::preferences
