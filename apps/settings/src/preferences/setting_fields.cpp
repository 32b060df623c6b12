#include "preferences/setting_fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <span>

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "services/installed_apps.h"
#include "desktop_entry/desktop_entry.h"
#include "launcher/registry.h"
#include "desktop_policy/personal_defaults.h"
#include "orvo_ui/theme.h"
#include "preferences/notification_mute.h"
#include "preferences/preferences_file.h"
#include "settings_store/settings_file.h"
#include "settings_store/shortcut_config.h"

namespace settings::preferences {
namespace {

using Result = std::expected<void, std::string>;

// A label and the stored value it stands for.
template <class T>
struct Choice {
  std::string_view label;
  T value;
};

std::expected<bool, std::string> as_flag(std::string_view key, const SettingFieldValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag;
  return std::unexpected(fmt::format("{} is on or off, not a text", key));
}

std::expected<std::string, std::string> as_text(std::string_view key, const SettingFieldValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::unexpected(fmt::format("{} is a text, not on or off", key));
}

// The stored value of `label` among `choices`; an error naming the key when it is none of them.
template <class T, std::size_t N>
std::expected<T, std::string> chosen(std::string_view key, const std::array<Choice<T>, N>& choices,
                                     const SettingFieldValue& value) {
  auto label = as_text(key, value);
  if (!label) return std::unexpected(std::move(label.error()));
  for (const auto& choice : choices) {
    if (choice.label == *label) return choice.value;
  }
  return std::unexpected(fmt::format("{} cannot be {}", key, *label));
}

// The label of a stored value that one of the choices holds exactly; `otherwise` for any other.
template <class T, std::size_t N>
std::string label_by_code(const std::array<Choice<T>, N>& choices, T stored, std::string_view otherwise) {
  for (const auto& choice : choices) {
    if (choice.value == stored) return std::string(choice.label);
  }
  return std::string(otherwise);
}

// The label of the choice nearest to a stored number; on equal distance the earlier one.
template <class T, std::size_t N>
std::string nearest_label(const std::array<Choice<T>, N>& choices, double stored) {
  const Choice<T>* best = &choices.front();
  for (const auto& choice : choices) {
    if (std::abs(static_cast<double>(choice.value) - stored) < std::abs(static_cast<double>(best->value) - stored)) {
      best = &choice;
    }
  }
  return std::string(best->label);
}

constexpr std::array<Choice<double>, 4> kTextSizes{{{"Small", 0.85}, {"Default", 1.0}, {"Large", 1.15}, {"Larger", 1.3}}};
constexpr std::array<Choice<double>, 5> kUiScales{
    {{"90%", 0.9}, {"100%", 1.0}, {"110%", 1.1}, {"125%", 1.25}, {"150%", 1.5}}};
constexpr std::array<Choice<std::uint32_t>, 4> kCursorSizes{
    {{"Default", 24}, {"Large", 36}, {"Larger", 48}, {"Largest", 64}}};
constexpr std::array<Choice<ColorFilter>, 4> kColourFilters{{{"Off", ColorFilter::None},
                                                             {"Grayscale", ColorFilter::Grayscale},
                                                             {"Inverted", ColorFilter::Inverted},
                                                             {"Grayscale + inverted", ColorFilter::GrayscaleInverted}}};
constexpr std::array<Choice<std::uint8_t>, 3> kMagnifiers{{{"Off", 1}, {"2×", 2}, {"3×", 3}}};
constexpr std::array<Choice<SwitchKeyPair>, 3> kSwitchKeys{
    {{"F6 / F7", SwitchKeyPair::F6F7}, {"F9 / F10", SwitchKeyPair::F9F10}, {"1 / 2", SwitchKeyPair::Digits12}}};
constexpr std::array<Choice<std::uint16_t>, 4> kSwitchScans{
    {{"Manual", 0}, {"1 second", 1000}, {"2 seconds", 2000}, {"3 seconds", 3000}}};
constexpr std::array<Choice<std::uint16_t>, 4> kSpeechRates{
    {{"Slow", 65}, {"Default", 100}, {"Fast", 140}, {"Very fast", 185}}};
constexpr std::array<Choice<ScreenReaderVoice>, 6> kVoices{{{"System voice", ScreenReaderVoice::System},
                                                           {"English (US)", ScreenReaderVoice::EnglishUs},
                                                           {"English (UK)", ScreenReaderVoice::EnglishGb},
                                                           {"German", ScreenReaderVoice::German},
                                                           {"French", ScreenReaderVoice::French},
                                                           {"Spanish", ScreenReaderVoice::Spanish}}};
// Bit 0 Monday to bit 6 Sunday; 0 means every day.
constexpr std::array<Choice<std::uint8_t>, 3> kFocusDays{{{"Every day", 0}, {"Weekdays", 31}, {"Weekends", 96}}};

std::string speech_rate_label(std::uint16_t rate) {
  if (rate <= 75) return "Slow";
  if (rate <= 115) return "Default";
  if (rate <= 160) return "Fast";
  return "Very fast";
}

// Quiet hours start and end at one of these times; a stored minute shows as the nearest (without
// wrapping past midnight), a minute past the end of the day as the last minute of it.
constexpr std::array<Choice<std::uint16_t>, 9> kFocusTimes{{{"18:00", 1080},
                                                            {"20:00", 1200},
                                                            {"22:00", 1320},
                                                            {"23:00", 1380},
                                                            {"00:00", 0},
                                                            {"06:00", 360},
                                                            {"07:00", 420},
                                                            {"08:00", 480},
                                                            {"09:00", 540}}};

std::string time_label(std::uint16_t minute) { return nearest_label(kFocusTimes, std::min<std::uint16_t>(minute, 1439)); }

std::expected<std::uint16_t, std::string> focus_minute(std::string_view key, const SettingFieldValue& value) {
  return chosen(key, kFocusTimes, value);
}

// The region formats: the labels the Region & formats page offers, in the order of their
// enumerations (preferences/locale.h).
constexpr std::array<Choice<Currency>, 9> kCurrencies{{{"USD", Currency::USD},
                                                      {"EUR", Currency::EUR},
                                                      {"GBP", Currency::GBP},
                                                      {"JPY", Currency::JPY},
                                                      {"CHF", Currency::CHF},
                                                      {"CAD", Currency::CAD},
                                                      {"AUD", Currency::AUD},
                                                      {"CNY", Currency::CNY},
                                                      {"INR", Currency::INR}}};
constexpr std::array<Choice<DateFormat>, 4> kDateFormats{{{"ISO (2023-03-15)", DateFormat::ISO},
                                                         {"US (03/15/2023)", DateFormat::US},
                                                         {"European (15/03/2023)", DateFormat::EU},
                                                         {"Long (15 Mar 2023)", DateFormat::Long}}};
constexpr std::array<Choice<TimeFormat>, 2> kTimeFormats{
    {{"24-hour (14:05)", TimeFormat::H24}, {"12-hour (2:05 PM)", TimeFormat::H12}}};
constexpr std::array<Choice<Measurement>, 2> kMeasurements{
    {{"Metric (°C, km, kg)", Measurement::Metric}, {"Imperial (°F, mi, lb)", Measurement::Imperial}}};
constexpr std::array<Choice<NumberStyle>, 2> kNumberStyles{
    {{"1,234,567.89", NumberStyle::DecimalPoint}, {"1.234.567,89", NumberStyle::DecimalComma}}};
constexpr std::array<Choice<FirstDayOfWeek>, 3> kFirstDays{
    {{"Monday", FirstDayOfWeek::Monday}, {"Sunday", FirstDayOfWeek::Sunday}, {"Saturday", FirstDayOfWeek::Saturday}}};

// A currency is named by its code in any ASCII letter case ("usd" is USD).
std::expected<Currency, std::string> chosen_currency(std::string_view key, const SettingFieldValue& value) {
  auto code = as_text(key, value);
  if (!code) return std::unexpected(std::move(code.error()));
  for (char& c : *code) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (const auto& choice : kCurrencies) {
    if (choice.label == *code) return choice.value;
  }
  return std::unexpected(fmt::format("{} cannot be {}", key, std::get<std::string>(value)));
}

// Rows are written with these helpers and plain lambdas, one line of meaning each: a row shows the
// stored field through SHOW and stores what PARSE(KEY, value) answers.
#define FIELD_ROW(KEY, SECTION, FIELD, SHOW, PARSE)                                                \
  SettingField {                                                                                   \
    KEY, SettingStore::PreferencesFile, SECTION, [](const Preferences& p) -> SettingFieldValue {   \
      return SHOW(p.FIELD);                                                                        \
    },                                                                                             \
        [](Preferences& p, const SettingFieldValue& v) -> Result {                                 \
          auto parsed = PARSE(KEY, v);                                                             \
          if (!parsed) return std::unexpected(std::move(parsed.error()));                          \
          p.FIELD = *parsed;                                                                       \
          return {};                                                                               \
        }                                                                                          \
  }

#define FLAG_ROW(KEY, SECTION, FIELD) FIELD_ROW(KEY, SECTION, FIELD, , as_flag)

#define CHOICE_ROW(KEY, SECTION, FIELD, CHOICES, LABEL_OF_STORED)                                  \
  FIELD_ROW(KEY, SECTION, FIELD, LABEL_OF_STORED,                                                  \
            [](std::string_view key, const SettingFieldValue& value) { return chosen(key, CHOICES, value); })

// A region format of the "locale" section: its field of `Locale` shown as the label of its
// choice and set from the choice PARSE(KEY, value) answers.
#define LOCALE_ROW(KEY, FIELD, CHOICES, PARSE)                                                             \
  SettingField {                                                                                           \
    KEY, SettingStore::Locale, "locale", nullptr, nullptr, {}, false, 0,                                   \
        [](const Locale& l) { return label_by_code(CHOICES, l.FIELD, CHOICES.front().label); },            \
        [](Locale& l, const SettingFieldValue& v) -> Result {                                              \
          auto parsed = PARSE(KEY, v);                                                                     \
          if (!parsed) return std::unexpected(std::move(parsed.error()));                                  \
          l.FIELD = *parsed;                                                                               \
          return {};                                                                                       \
        }                                                                                                  \
  }

#define LOCALE_CHOICE_ROW(KEY, FIELD, CHOICES)                                                             \
  LOCALE_ROW(KEY, FIELD, CHOICES,                                                                          \
             [](std::string_view key, const SettingFieldValue& value) { return chosen(key, CHOICES, value); })

// A flag of a settings-file section outside the preferences record.
#define SECTION_FLAG_ROW(KEY, SECTION, MEMBER, ABSENT) \
  SettingField { KEY, SettingStore::SettingsSection, SECTION, nullptr, nullptr, MEMBER, ABSENT }

// A chord of the shortcut configuration, by desktop action code.
#define SHORTCUT_ROW(KEY, ACTION) \
  SettingField { KEY, SettingStore::Shortcuts, "shortcuts", nullptr, nullptr, {}, false, ACTION }

const std::array<SettingField, 62> kFields{{
    // Appearance.
    FIELD_ROW("appearance.theme", "appearance", appearance.theme, , as_text),
    FLAG_ROW("appearance.high_contrast", "appearance", appearance.high_contrast),
    FLAG_ROW("appearance.reduce_motion", "appearance", appearance.reduce_motion),
    CHOICE_ROW("appearance.text_size", "appearance", appearance.text_scale, kTextSizes,
               [](double s) { return nearest_label(kTextSizes, s); }),
    CHOICE_ROW("appearance.ui_scale", "appearance", appearance.ui_scale, kUiScales,
               [](double s) { return nearest_label(kUiScales, s); }),
    // Notifications.
    FLAG_ROW("notifications.do_not_disturb", "notifications", notifications.do_not_disturb),
    FLAG_ROW("notifications.show_banners", "notifications", notifications.show_banners),
    FLAG_ROW("notifications.show_previews", "notifications", notifications.show_previews),
    FLAG_ROW("notifications.play_sounds", "notifications", notifications.play_sounds),
    FLAG_ROW("notifications.show_on_lock_screen", "notifications", notifications.show_on_lock_screen),
    FLAG_ROW("notifications.show_badges", "notifications", notifications.show_badges),
    FLAG_ROW("notifications.focus.enabled", "notifications", notifications.focus.enabled),
    FIELD_ROW("notifications.focus.start", "notifications", notifications.focus.start_minute, time_label, focus_minute),
    FIELD_ROW("notifications.focus.end", "notifications", notifications.focus.end_minute, time_label, focus_minute),
    CHOICE_ROW("notifications.focus.days", "notifications", notifications.focus.weekdays, kFocusDays,
               [](std::uint8_t d) { return label_by_code(kFocusDays, d, "Every day"); }),
    // Accessibility; its vision settings are the appearance section's.
    FLAG_ROW("a11y.high_contrast", "appearance", appearance.high_contrast),
    FLAG_ROW("a11y.reduce_motion", "appearance", appearance.reduce_motion),
    CHOICE_ROW("a11y.text_size", "appearance", appearance.text_scale, kTextSizes,
               [](double s) { return nearest_label(kTextSizes, s); }),
    FLAG_ROW("a11y.large_cursor", "accessibility", accessibility.large_cursor),
    FLAG_ROW("a11y.sticky_keys", "accessibility", accessibility.sticky_keys),
    FLAG_ROW("a11y.slow_keys", "accessibility", accessibility.slow_keys),
    FLAG_ROW("a11y.on_screen_keyboard", "accessibility", accessibility.on_screen_keyboard),
    FLAG_ROW("a11y.visual_alerts", "accessibility", accessibility.visual_alerts),
    FLAG_ROW("a11y.screen_reader", "accessibility", accessibility.screen_reader),
    FLAG_ROW("a11y.cursor_crosshair", "accessibility", accessibility.cursor_crosshair),
    FLAG_ROW("a11y.thick_text_caret", "accessibility", accessibility.thick_text_caret),
    FLAG_ROW("a11y.switch_control", "accessibility", accessibility.switch_control),
    CHOICE_ROW("a11y.cursor_size", "accessibility", accessibility.cursor_size, kCursorSizes,
               [](std::uint32_t s) { return nearest_label(kCursorSizes, s); }),
    CHOICE_ROW("a11y.color_filter", "accessibility", accessibility.color_filter, kColourFilters,
               [](ColorFilter f) { return label_by_code(kColourFilters, f, "Off"); }),
    CHOICE_ROW("a11y.magnifier", "accessibility", accessibility.magnifier_zoom, kMagnifiers,
               [](std::uint8_t z) { return label_by_code(kMagnifiers, z, "Off"); }),
    CHOICE_ROW("a11y.switch_keys", "accessibility", accessibility.switch_key_pair, kSwitchKeys,
               [](SwitchKeyPair k) { return label_by_code(kSwitchKeys, k, "F6 / F7"); }),
    CHOICE_ROW("a11y.switch_scan", "accessibility", accessibility.switch_scan_ms, kSwitchScans,
               [](std::uint16_t ms) { return label_by_code(kSwitchScans, ms, "Manual"); }),
    CHOICE_ROW("a11y.reader_rate", "accessibility", accessibility.screen_reader_rate, kSpeechRates,
               speech_rate_label),
    CHOICE_ROW("a11y.reader_voice", "accessibility", accessibility.screen_reader_voice, kVoices,
               [](ScreenReaderVoice v) { return label_by_code(kVoices, v, "System voice"); }),
    // Text assistance: checking and correcting stay on until switched off.
    SECTION_FLAG_ROW("text.check_spelling", "text_assistance", "check_spelling", true),
    SECTION_FLAG_ROW("text.auto_correct", "text_assistance", "auto_correct", true),
    // Desktop shortcuts and controls, read by the compositor.
    SHORTCUT_ROW("shortcuts.search", 0),
    SHORTCUT_ROW("shortcuts.overview", 1),
    SHORTCUT_ROW("shortcuts.lock", 2),
    SHORTCUT_ROW("shortcuts.quick_settings", 3),
    SHORTCUT_ROW("shortcuts.help", 4),
    SHORTCUT_ROW("shortcuts.focus_previous_window", 5),
    SHORTCUT_ROW("shortcuts.focus_next_window", 6),
    SHORTCUT_ROW("shortcuts.previous_tab", 7),
    SHORTCUT_ROW("shortcuts.next_tab", 8),
    SHORTCUT_ROW("shortcuts.previous_strip", 9),
    SHORTCUT_ROW("shortcuts.next_strip", 10),
    SHORTCUT_ROW("shortcuts.previous_workspace", 11),
    SHORTCUT_ROW("shortcuts.next_workspace", 12),
    SHORTCUT_ROW("shortcuts.move_group_left", 17),
    SHORTCUT_ROW("shortcuts.move_group_right", 18),
    SHORTCUT_ROW("shortcuts.resize_narrower", 19),
    SHORTCUT_ROW("shortcuts.resize_wider", 20),
    SettingField{"shortcuts.vim_mode", SettingStore::DesktopControls, "desktop-controls", nullptr, nullptr, "vim_mode",
                 false},
    // Region formats, shared with every application through the "locale" section.
    LOCALE_ROW("region.currency", currency, kCurrencies, chosen_currency),
    LOCALE_CHOICE_ROW("region.date_format", date_format, kDateFormats),
    LOCALE_CHOICE_ROW("region.time_format", time_format, kTimeFormats),
    LOCALE_CHOICE_ROW("region.measurement", measurement, kMeasurements),
    LOCALE_CHOICE_ROW("region.number_style", number_style, kNumberStyles),
    LOCALE_CHOICE_ROW("region.first_day", first_day_of_week, kFirstDays),
    // Default applications, one key per kind of file or link.
    SettingField{"default_apps.", SettingStore::PersonalDefaults, "personal-defaults", nullptr, nullptr, "", false},
    // Per-application notification rules, one key per application and field.
    SettingField{"notifications.app.", SettingStore::NotificationRule, "notifications", nullptr, nullptr, "", false},
}};

#undef SHORTCUT_ROW
#undef LOCALE_CHOICE_ROW
#undef LOCALE_ROW
#undef SECTION_FLAG_ROW
#undef FLAG_ROW
#undef CHOICE_ROW
#undef FIELD_ROW

}  // namespace

const SettingField* find_setting_field(std::string_view key) {
  for (const auto& field : kFields) {
    // A prefix row stands for the keys under its prefix, not for the prefix itself.
    const bool prefix = field.store == SettingStore::PersonalDefaults || field.store == SettingStore::NotificationRule;
    const bool matches = prefix ? key.size() > field.key.size() && key.starts_with(field.key) : field.key == key;
    if (matches) return &field;
  }
  return nullptr;
}

std::span<const SettingField> setting_fields() { return kFields; }

std::optional<std::string_view> shared_setting_twin(std::string_view key) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kPairs{{
      {"appearance.high_contrast", "a11y.high_contrast"},
      {"appearance.reduce_motion", "a11y.reduce_motion"},
      {"appearance.text_size", "a11y.text_size"},
  }};
  for (const auto& [appearance, a11y] : kPairs) {
    if (key == appearance) return a11y;
    if (key == a11y) return appearance;
  }
  return std::nullopt;
}

namespace {
template <class T, std::size_t N>
std::vector<std::string> labels_of(const std::array<Choice<T>, N>& choices) {
  std::vector<std::string> labels;
  for (const auto& choice : choices) labels.emplace_back(choice.label);
  return labels;
}
}  // namespace

std::vector<std::string> setting_choice_labels(std::string_view key) {
  if (key == "appearance.theme") return {std::begin(orvo_ui::kThemeNames), std::end(orvo_ui::kThemeNames)};
  if (key == "appearance.text_size" || key == "a11y.text_size") return labels_of(kTextSizes);
  if (key == "appearance.ui_scale") return labels_of(kUiScales);
  if (key == "a11y.cursor_size") return labels_of(kCursorSizes);
  if (key == "a11y.color_filter") return labels_of(kColourFilters);
  if (key == "a11y.magnifier") return labels_of(kMagnifiers);
  if (key == "a11y.switch_keys") return labels_of(kSwitchKeys);
  if (key == "a11y.switch_scan") return labels_of(kSwitchScans);
  if (key == "a11y.reader_rate") return labels_of(kSpeechRates);
  if (key == "a11y.reader_voice") return labels_of(kVoices);
  if (key == "notifications.focus.days") return labels_of(kFocusDays);
  if (key == "notifications.focus.start" || key == "notifications.focus.end") return labels_of(kFocusTimes);
  if (key == "region.currency") return labels_of(kCurrencies);
  if (key == "region.date_format") return labels_of(kDateFormats);
  if (key == "region.time_format") return labels_of(kTimeFormats);
  if (key == "region.measurement") return labels_of(kMeasurements);
  if (key == "region.number_style") return labels_of(kNumberStyles);
  if (key == "region.first_day") return labels_of(kFirstDays);
  return {};
}

std::optional<bool> stored_flag(const Preferences& prefs, std::string_view key) {
  const SettingField* field = find_setting_field(key);
  if (!field || !field->read) return std::nullopt;
  const SettingFieldValue value = field->read(prefs);
  if (const bool* flag = std::get_if<bool>(&value)) return *flag;
  return std::nullopt;
}

std::optional<std::string> stored_label(const Preferences& prefs, std::string_view key) {
  const SettingField* field = find_setting_field(key);
  if (!field || !field->read) return std::nullopt;
  SettingFieldValue value = field->read(prefs);
  if (auto* text = std::get_if<std::string>(&value)) return std::move(*text);
  return std::nullopt;
}

std::optional<std::string> stored_locale_label(const Locale& locale, std::string_view key) {
  const SettingField* field = find_setting_field(key);
  if (!field || !field->read_locale) return std::nullopt;
  return field->read_locale(locale);
}

std::optional<bool> stored_section_flag(std::string_view key) {
  const SettingField* field = find_setting_field(key);
  if (field && field->store == SettingStore::DesktopControls) {
    return settings_store::hardware::DesktopControlsConfig::load().vim_mode;
  }
  if (!field || field->store != SettingStore::SettingsSection) return std::nullopt;
  const auto section = settings_store::load_section(field->section);
  if (!section || !section->is_object()) return field->absent_flag;
  const auto it = section->find(field->member);
  if (it == section->end() || !it->is_boolean()) return field->absent_flag;
  return it->get<bool>();
}

namespace {

std::expected<void, std::string> write_section_flag(const SettingField& field, const SettingFieldValue& value) {
  auto flag = as_flag(field.key, value);
  if (!flag) return std::unexpected(std::move(flag.error()));
  const std::string member(field.member);
  auto saved = settings_store::update_section(field.section, [&](nlohmann::ordered_json& section) {
    const auto it = section.find(member);
    if (it != section.end() && it->is_boolean() && it->get<bool>() == *flag) return false;
    section[member] = *flag;
    return true;
  });
  if (!saved) return std::unexpected("Could not save the settings: " + saved.error());
  return {};
}

std::expected<void, std::string> write_shortcut(const SettingField& field, const SettingFieldValue& value) {
  namespace hw = settings_store::hardware;
  auto text = as_text(field.key, value);
  if (!text) return std::unexpected(std::move(text.error()));
  auto chord = hw::KeyChord::parse(*text);
  if (!chord) return std::unexpected(fmt::format("Could not set the shortcut: {}", chord.error()));
  auto config = hw::ShortcutConfig::load();
  if (const auto it = config.bindings.find(field.action); it != config.bindings.end() && it->second == *chord) return {};
  if (auto set = config.set(field.action, *chord); !set) {
    return std::unexpected(fmt::format("Could not set the shortcut: {}", set.error()));
  }
  if (auto saved = config.save(); !saved) return std::unexpected("Could not save the shortcuts: " + saved.error());
  return {};
}

std::expected<void, std::string> write_desktop_control(const SettingField& field, const SettingFieldValue& value) {
  auto flag = as_flag(field.key, value);
  if (!flag) return std::unexpected(std::move(flag.error()));
  auto config = settings_store::hardware::DesktopControlsConfig::load();
  if (config.vim_mode == *flag) return {};
  config.vim_mode = *flag;
  if (auto saved = config.save(); !saved) {
    return std::unexpected("Could not save the desktop controls: " + saved.error());
  }
  return {};
}

// A region format, written into the "locale" section with the rest of the file kept.
std::expected<void, std::string> write_locale_choice(const SettingField& field, const SettingFieldValue& value) {
  // A label that names no choice is refused before the file is read.
  Locale scratch;
  if (auto fits = field.write_locale(scratch, value); !fits) return std::unexpected(std::move(fits.error()));
  auto saved = update_locale_preferences([&](Locale& locale) { return field.write_locale(locale, value); });
  if (!saved) return std::unexpected("Could not save the preferences: " + saved.error());
  return {};
}

// The value of a default application's setting, put into the personal-defaults store as the
// Apps & Files pane would: resolved to an installed application that opens the kind.
std::expected<void, std::string> write_default_app_choice(std::string_view key, std::string_view value) {
  namespace apps = panes::personal_apps;
  const auto candidates = apps::installed_gui_apps(launcher::registry::list_installed(), desktop_entry::cached_scan());
  const auto kind = apps::default_app_kind_of_key(candidates, key);
  if (!kind) return {};
  const auto choices = apps::candidates_for_kind(candidates, *kind);
  // A value naming no installed application is kept in the document only.
  const auto* chosen = apps::chosen_candidate(choices, value);
  if (!chosen) return {};
  auto personal = desktop_policy::defaults::PersonalDefaults::load();
  if (personal.get(*kind) == chosen->id) return {};
  if (auto set = personal.set(*kind, chosen->id, candidates); !set) return set;
  if (auto saved = personal.save(); !saved) {
    return std::unexpected("Could not save the default applications: " + saved.error());
  }
  return {};
}

// One field of an application's notification rule, set as the Notifications page sets it: a flag
// becomes the rule's own value (it no longer follows the global choice), a mute label an expiry from
// now. Choosing the mute the rule already shows does not extend it. A key that names no valid
// application or no field is kept in the document only.
std::expected<void, std::string> write_app_rule(const SettingField& field, std::string_view key,
                                                const SettingFieldValue& value) {
  using Rule = AppNotificationRule;
  const std::string_view rest = key.substr(field.key.size());
  const auto dot = rest.rfind('.');
  if (dot == std::string_view::npos || !panes::notifications::is_valid_notification_app_id(rest.substr(0, dot))) return {};
  const std::string app_id(rest.substr(0, dot));
  const std::string_view name = rest.substr(dot + 1);
  static constexpr std::array<std::pair<std::string_view, std::optional<bool> Rule::*>, 4> kChoices{{
      {"banners", &Rule::banners}, {"previews", &Rule::previews}, {"sounds", &Rule::sounds}, {"badges", &Rule::badges}}};
  static constexpr std::array<std::pair<std::string_view, bool Rule::*>, 2> kFlags{
      {{"priority", &Rule::priority}, {"priority_contacts", &Rule::priority_contacts}}};

  std::function<void(Rule&)> set;
  for (const auto& [field_name, member] : kChoices) {
    if (field_name != name) continue;
    auto flag = as_flag(key, value);
    if (!flag) return std::unexpected(std::move(flag.error()));
    set = [member, on = *flag](Rule& rule) { rule.*member = on; };
  }
  for (const auto& [field_name, member] : kFlags) {
    if (field_name != name) continue;
    auto flag = as_flag(key, value);
    if (!flag) return std::unexpected(std::move(flag.error()));
    set = [member, on = *flag](Rule& rule) { rule.*member = on; };
  }
  if (name == "mute") {
    auto label = as_text(key, value);
    if (!label) return std::unexpected(std::move(label.error()));
    const std::int64_t now = mute_clock_now();
    const auto expiry = mute_expiry(*label, now);
    if (!expiry) return std::unexpected(fmt::format("{} cannot be {}", key, *label));
    set = [label = *label, until = *expiry, now](Rule& rule) {
      if (mute_label(rule.muted_until, now) != label) rule.muted_until = until;
    };
  }
  if (!set) return {};
  auto saved = update_preferences_section("notifications", [&](Preferences& prefs) -> Result {
    auto& rules = prefs.notifications.per_app;
    const auto existing = rules.find(app_id);
    Rule rule = existing == rules.end() ? Rule{} : existing->second;
    set(rule);
    // An application without a rule gets one only when the value changes something.
    if (existing != rules.end() || rule != Rule{}) rules.insert_or_assign(app_id, std::move(rule));
    return {};
  });
  if (!saved) return std::unexpected("Could not save the preferences: " + saved.error());
  return {};
}

}  // namespace

std::expected<void, std::string> write_setting_through(std::string_view key, const SettingFieldValue& value) {
  const SettingField* field = find_setting_field(key);
  if (!field) return {};
  switch (field->store) {
    case SettingStore::SettingsSection: return write_section_flag(*field, value);
    case SettingStore::Shortcuts: return write_shortcut(*field, value);
    case SettingStore::DesktopControls: return write_desktop_control(*field, value);
    case SettingStore::Locale: return write_locale_choice(*field, value);
    case SettingStore::PersonalDefaults: {
      auto label = as_text(key, value);
      if (!label) return std::unexpected(std::move(label.error()));
      return write_default_app_choice(key, *label);
    }
    case SettingStore::NotificationRule: return write_app_rule(*field, key, value);
    case SettingStore::PreferencesFile: break;
  }
  // A value the row cannot hold is refused before the file is read.
  Preferences scratch;
  if (auto fits = field->write(scratch, value); !fits) return std::unexpected(std::move(fits.error()));
  auto saved = update_preferences_section(field->section, [&](Preferences& prefs) { return field->write(prefs, value); });
  if (!saved) return std::unexpected("Could not save the preferences: " + saved.error());
  return {};
}

}  // namespace settings::preferences
