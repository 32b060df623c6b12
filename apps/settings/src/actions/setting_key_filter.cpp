#include "actions/setting_key_filter.h"

#include <algorithm>
#include <array>

namespace settings::actions {
namespace {

constexpr std::array<std::string_view, 17> kTextKeys = {
    "appearance.theme",    "appearance.text_size", "appearance.ui_scale", "region.currency",
    "region.date_format",  "region.time_format",   "region.measurement",  "region.number_style",
    "region.first_day",    "a11y.text_size",       "a11y.cursor_size",    "a11y.color_filter",
    "a11y.magnifier",      "a11y.switch_keys",     "a11y.switch_scan",    "a11y.reader_rate",
    "a11y.reader_voice"};

constexpr std::array<std::string_view, 23> kBoolKeys = {
    "appearance.high_contrast",     "appearance.reduce_motion",
    "a11y.high_contrast",           "a11y.reduce_motion",
    "a11y.large_cursor",            "a11y.sticky_keys",
    "a11y.slow_keys",               "a11y.on_screen_keyboard",
    "a11y.visual_alerts",           "a11y.screen_reader",
    "a11y.cursor_crosshair",        "a11y.thick_text_caret",
    "a11y.switch_control",          "shortcuts.vim_mode",
    "notifications.do_not_disturb", "notifications.show_banners",
    "notifications.show_previews",  "notifications.play_sounds",
    "notifications.show_on_lock_screen", "notifications.show_badges",
    "notifications.focus.enabled",  "text.check_spelling",
    "text.auto_correct"};

constexpr std::array<std::string_view, 3> kFocusScheduleKeys = {
    "notifications.focus.start", "notifications.focus.end", "notifications.focus.days"};

// The configurable desktop shortcuts of the Keyboard Shortcuts pane.
constexpr std::array<std::string_view, 17> kShortcutIds = {
    "shortcuts.search",          "shortcuts.overview",
    "shortcuts.lock",            "shortcuts.quick_settings",
    "shortcuts.help",            "shortcuts.focus_previous_window",
    "shortcuts.focus_next_window", "shortcuts.previous_tab",
    "shortcuts.next_tab",        "shortcuts.previous_strip",
    "shortcuts.next_strip",      "shortcuts.previous_workspace",
    "shortcuts.next_workspace",  "shortcuts.move_group_left",
    "shortcuts.move_group_right", "shortcuts.resize_narrower",
    "shortcuts.resize_wider"};

constexpr std::array<std::string_view, 6> kNotificationBoolFields = {
    "banners", "previews", "sounds", "badges", "priority", "priority_contacts"};

constexpr std::string_view kDefaultAppsPrefix = "default_apps.";
constexpr std::string_view kNotificationAppPrefix = "notifications.app.";

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& keys, std::string_view key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool is_text(const SettingValue& value) {
  const auto* text = std::get_if<SettingValue::Text>(&value);
  return text != nullptr && !text->empty() && text->size() <= kMaxSettingTextBytes;
}

bool is_bool(const SettingValue& value) { return std::holds_alternative<SettingValue::Bool>(value); }

bool is_allowed_notification_app_key(std::string_view key, const SettingValue& value) {
  if (!key.starts_with(kNotificationAppPrefix)) return false;
  const std::string_view rest = key.substr(kNotificationAppPrefix.size());
  const auto dot = rest.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view app_id = rest.substr(0, dot);
  const std::string_view field = rest.substr(dot + 1);
  if (app_id.empty() || app_id.size() > kMaxNotificationAppIdBytes || setting_key_has_disallowed_byte(app_id)) {
    return false;
  }
  if (contains(kNotificationBoolFields, field)) return is_bool(value);
  if (field == "mute") return is_text(value);
  return false;
}

}  // namespace

bool setting_key_has_disallowed_byte(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                         c == '.' || c == '_';
    return !allowed;
  });
}

bool is_allowed_setting_key(std::string_view key, const SettingValue& value) {
  if (contains(kTextKeys, key)) return is_text(value);
  if (contains(kBoolKeys, key)) return is_bool(value);
  if (contains(kFocusScheduleKeys, key)) return is_text(value);
  if (contains(kShortcutIds, key)) return is_text(value);
  if (key.starts_with(kDefaultAppsPrefix)) {
    const std::string_view last_segment = key.substr(key.rfind('.') + 1);
    if (last_segment != "edit" && last_segment != "error") return is_text(value);
  }
  return is_allowed_notification_app_key(key, value);
}

}  // namespace settings::actions
