#pragma once
// The session preferences this application keeps, one record per section of the preferences file
// (preferences_file.h). Every record is written as a JSON object of all its fields in the order
// below and read from an object or an array; unknown keys are ignored, a field marked required
// must be present, every other missing field takes the default given here. Any bad value makes
// the whole record undecodable for the strict reader; the preferences file reads its sections field
// by field instead (orvo_json/fieldwise.h), so there one bad value costs only its own field.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "orvo_json/record.h"
#include "orvo_json/variant.h"
#include "preferences/enum_names.h"
#include "settings_store/notification_policy.h"

namespace settings::preferences {

using settings_store::notification_policy::AppNotificationRule;
using settings_store::notification_policy::FocusSchedule;

// What the lid, the power key or a critical battery does.
enum class PowerAction { Suspend, Lock, Ignore };
enum class ColorFilter { None, Grayscale, Inverted, GrayscaleInverted };
// The two keys that drive switch control.
enum class SwitchKeyPair { F6F7, F9F10, Digits12 };
enum class ScreenReaderVoice { System, EnglishUs, EnglishGb, German, French, Spanish };

constexpr auto describe_json(orvo_json::Tag<PowerAction>) {
  return orvo_json::unit_enum<PowerAction>(
      "PowerAction", {{"suspend", PowerAction::Suspend}, {"lock", PowerAction::Lock}, {"ignore", PowerAction::Ignore}});
}

constexpr auto describe_json(orvo_json::Tag<ColorFilter>) {
  return orvo_json::unit_enum<ColorFilter>("ColorFilter", {{"none", ColorFilter::None},
                                                           {"grayscale", ColorFilter::Grayscale},
                                                           {"inverted", ColorFilter::Inverted},
                                                           {"grayscale_inverted", ColorFilter::GrayscaleInverted}});
}

constexpr auto describe_json(orvo_json::Tag<SwitchKeyPair>) {
  return orvo_json::unit_enum<SwitchKeyPair>(
      "SwitchKeyPair",
      {{"f6_f7", SwitchKeyPair::F6F7}, {"f9_f10", SwitchKeyPair::F9F10}, {"digits12", SwitchKeyPair::Digits12}});
}

constexpr auto describe_json(orvo_json::Tag<ScreenReaderVoice>) {
  return orvo_json::unit_enum<ScreenReaderVoice>("ScreenReaderVoice", {{"system", ScreenReaderVoice::System},
                                                                       {"english_us", ScreenReaderVoice::EnglishUs},
                                                                       {"english_gb", ScreenReaderVoice::EnglishGb},
                                                                       {"german", ScreenReaderVoice::German},
                                                                       {"french", ScreenReaderVoice::French},
                                                                       {"spanish", ScreenReaderVoice::Spanish}});
}

struct AudioPrefs {
  bool event_sounds = true;  // required
  bool chat_join = true;     // required
  bool chat_leave = true;    // required
  std::optional<std::string> output_device;
  std::optional<std::string> input_device;
  float balance = 0.5F;
  bool mono_output = false;

  bool operator==(const AudioPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AudioPrefs>) {
  using orvo_json::defaulted_field;
  using orvo_json::field;
  return orvo_json::record<AudioPrefs>(
      "AudioPrefs", field("event_sounds", &AudioPrefs::event_sounds), field("chat_join", &AudioPrefs::chat_join),
      field("chat_leave", &AudioPrefs::chat_leave), defaulted_field("output_device", &AudioPrefs::output_device),
      defaulted_field("input_device", &AudioPrefs::input_device), defaulted_field("balance", &AudioPrefs::balance),
      defaulted_field("mono_output", &AudioPrefs::mono_output));
}

struct DisplayPrefs {
  bool auto_brightness = false;  // required
  bool night_light = false;      // required
  std::uint32_t night_light_temperature = 3700;  // kelvin
  double scale = 1.0;

  bool operator==(const DisplayPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<DisplayPrefs>) {
  using orvo_json::defaulted_field;
  using orvo_json::field;
  return orvo_json::record<DisplayPrefs>(
      "DisplayPrefs", field("auto_brightness", &DisplayPrefs::auto_brightness),
      field("night_light", &DisplayPrefs::night_light),
      defaulted_field("night_light_temperature", &DisplayPrefs::night_light_temperature),
      defaulted_field("scale", &DisplayPrefs::scale));
}

// Pointer and keyboard input. No field is required. The speeds and `key_repeat` are levels from
// 0.0 to 1.0; that range is checked where an operation sets them (validate_unit_interval), not
// when the file is read.
struct InputPrefs {
  bool natural_scroll = false;  // the older setting that applied to every pointer device
  std::optional<bool> touchpad_natural_scroll = true;
  std::optional<bool> mouse_natural_scroll = false;
  bool tap_to_click = true;
  double pointer_speed = 0.5;
  std::optional<double> touchpad_pointer_speed;
  std::optional<double> mouse_pointer_speed;
  double key_repeat = 0.5;
  std::optional<std::uint32_t> key_repeat_delay_ms;
  std::optional<std::uint32_t> key_repeat_rate_hz;  // repeats per second
  std::string keyboard_layout = "us";               // id of the input source in use
  bool tap_drag = true;
  bool disable_while_typing = true;
  bool middle_emulation = true;
  bool left_handed = false;
  std::string accel_profile = "adaptive";  // "adaptive" or "flat"
  bool touchpad_gestures = true;
  std::optional<std::string> compose_key;
  std::vector<std::string> keyboard_layouts{"us"};  // ids of the active input sources, in order
  std::optional<std::string> pen_output;            // display connector that pen input maps to

  // Lets the settings store clean the keyboard sources; takes back the source in use and the
  // list, nothing else.
  void normalise_sources();

  bool operator==(const InputPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<InputPrefs>) {
  using orvo_json::defaulted_field;
  using I = InputPrefs;
  return orvo_json::record<I>(
      "InputPrefs", defaulted_field("natural_scroll", &I::natural_scroll),
      defaulted_field("touchpad_natural_scroll", &I::touchpad_natural_scroll),
      defaulted_field("mouse_natural_scroll", &I::mouse_natural_scroll),
      defaulted_field("tap_to_click", &I::tap_to_click), defaulted_field("pointer_speed", &I::pointer_speed),
      defaulted_field("touchpad_pointer_speed", &I::touchpad_pointer_speed),
      defaulted_field("mouse_pointer_speed", &I::mouse_pointer_speed), defaulted_field("key_repeat", &I::key_repeat),
      defaulted_field("key_repeat_delay_ms", &I::key_repeat_delay_ms),
      defaulted_field("key_repeat_rate_hz", &I::key_repeat_rate_hz),
      defaulted_field("keyboard_layout", &I::keyboard_layout), defaulted_field("tap_drag", &I::tap_drag),
      defaulted_field("disable_while_typing", &I::disable_while_typing),
      defaulted_field("middle_emulation", &I::middle_emulation), defaulted_field("left_handed", &I::left_handed),
      defaulted_field("accel_profile", &I::accel_profile), defaulted_field("touchpad_gestures", &I::touchpad_gestures),
      defaulted_field("compose_key", &I::compose_key), defaulted_field("keyboard_layouts", &I::keyboard_layouts),
      defaulted_field("pen_output", &I::pen_output));
}

// Minutes and percentages. Exactly `auto_suspend` and `blank_minutes` are required.
struct PowerPrefs {
  bool auto_suspend = true;  // required
  std::uint32_t suspend_minutes = 15;
  std::uint32_t saver_suspend_minutes = 10;  // idle suspend under the power-saver profile
  std::uint32_t balanced_suspend_minutes = 15;
  std::uint32_t performance_suspend_minutes = 30;
  std::uint32_t blank_minutes = 10;  // required
  std::uint32_t lock_minutes = 5;
  PowerAction lid_close_action = PowerAction::Suspend;
  PowerAction power_key_action = PowerAction::Suspend;
  std::uint32_t low_battery_percent = 15;
  std::uint32_t critical_battery_percent = 5;
  PowerAction critical_action = PowerAction::Suspend;

  bool operator==(const PowerPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<PowerPrefs>) {
  using orvo_json::defaulted_field;
  using orvo_json::field;
  using P = PowerPrefs;
  return orvo_json::record<P>(
      "PowerPrefs", field("auto_suspend", &P::auto_suspend), defaulted_field("suspend_minutes", &P::suspend_minutes),
      defaulted_field("saver_suspend_minutes", &P::saver_suspend_minutes),
      defaulted_field("balanced_suspend_minutes", &P::balanced_suspend_minutes),
      defaulted_field("performance_suspend_minutes", &P::performance_suspend_minutes),
      field("blank_minutes", &P::blank_minutes), defaulted_field("lock_minutes", &P::lock_minutes),
      defaulted_field("lid_close_action", &P::lid_close_action),
      defaulted_field("power_key_action", &P::power_key_action),
      defaulted_field("low_battery_percent", &P::low_battery_percent),
      defaulted_field("critical_battery_percent", &P::critical_battery_percent),
      defaulted_field("critical_action", &P::critical_action));
}

// Every field is required.
struct UpdatePrefs {
  bool automatic = true;  // "auto" in the file (a C++ keyword)
  std::string channel = "Stable";
  std::string last_checked = "Never";

  bool operator==(const UpdatePrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<UpdatePrefs>) {
  using orvo_json::field;
  return orvo_json::record<UpdatePrefs>("UpdatePrefs", field("auto", &UpdatePrefs::automatic),
                                        field("channel", &UpdatePrefs::channel),
                                        field("last_checked", &UpdatePrefs::last_checked));
}

// Every field but `ui_scale` is required.
struct AppearancePrefs {
  std::string theme = "Dark";
  bool high_contrast = false;
  bool reduce_motion = false;
  double text_scale = 1.0;
  double ui_scale = 1.0;

  bool operator==(const AppearancePrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AppearancePrefs>) {
  using orvo_json::defaulted_field;
  using orvo_json::field;
  using A = AppearancePrefs;
  return orvo_json::record<A>("AppearancePrefs", field("theme", &A::theme), field("high_contrast", &A::high_contrast),
                              field("reduce_motion", &A::reduce_motion), field("text_scale", &A::text_scale),
                              defaulted_field("ui_scale", &A::ui_scale));
}

// No field is required. `per_app` is keyed by the application's id and written in ascending
// byte order of the keys.
struct NotificationPrefs {
  bool do_not_disturb = false;
  bool show_banners = true;
  bool show_previews = true;
  bool play_sounds = true;
  bool show_on_lock_screen = false;
  bool show_badges = true;
  FocusSchedule focus;
  std::map<std::string, AppNotificationRule> per_app;

  bool operator==(const NotificationPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<NotificationPrefs>) {
  using orvo_json::defaulted_field;
  using N = NotificationPrefs;
  return orvo_json::record<N>(
      "NotificationPrefs", defaulted_field("do_not_disturb", &N::do_not_disturb),
      defaulted_field("show_banners", &N::show_banners), defaulted_field("show_previews", &N::show_previews),
      defaulted_field("play_sounds", &N::play_sounds), defaulted_field("show_on_lock_screen", &N::show_on_lock_screen),
      defaulted_field("show_badges", &N::show_badges), defaulted_field("focus", &N::focus),
      defaulted_field("per_app", &N::per_app));
}

// No field is required.
struct AccessibilityPrefs {
  bool large_cursor = false;
  std::uint32_t cursor_size = 24;  // pixels
  bool screen_reader = false;
  bool on_screen_keyboard = false;
  bool sticky_keys = false;
  bool slow_keys = false;
  bool visual_alerts = false;
  ColorFilter color_filter = ColorFilter::None;
  std::uint8_t magnifier_zoom = 1;  // 1 means no magnification
  bool cursor_crosshair = false;
  bool thick_text_caret = false;
  bool switch_control = false;
  SwitchKeyPair switch_key_pair = SwitchKeyPair::F6F7;
  std::uint16_t switch_scan_ms = 0;        // 0 means manual scanning
  std::uint16_t screen_reader_rate = 100;  // 100 is the normal rate
  ScreenReaderVoice screen_reader_voice = ScreenReaderVoice::System;

  bool operator==(const AccessibilityPrefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccessibilityPrefs>) {
  using orvo_json::defaulted_field;
  using A = AccessibilityPrefs;
  return orvo_json::record<A>(
      "AccessibilityPrefs", defaulted_field("large_cursor", &A::large_cursor),
      defaulted_field("cursor_size", &A::cursor_size), defaulted_field("screen_reader", &A::screen_reader),
      defaulted_field("on_screen_keyboard", &A::on_screen_keyboard), defaulted_field("sticky_keys", &A::sticky_keys),
      defaulted_field("slow_keys", &A::slow_keys), defaulted_field("visual_alerts", &A::visual_alerts),
      defaulted_field("color_filter", &A::color_filter), defaulted_field("magnifier_zoom", &A::magnifier_zoom),
      defaulted_field("cursor_crosshair", &A::cursor_crosshair),
      defaulted_field("thick_text_caret", &A::thick_text_caret),
      defaulted_field("switch_control", &A::switch_control), defaulted_field("switch_key_pair", &A::switch_key_pair),
      defaulted_field("switch_scan_ms", &A::switch_scan_ms),
      defaulted_field("screen_reader_rate", &A::screen_reader_rate),
      defaulted_field("screen_reader_voice", &A::screen_reader_voice));
}

// The whole preferences file but its "locale" section (locale.h), which is read and written on its
// own. A default-constructed `Preferences` is the built-in default record.
struct Preferences {
  AudioPrefs audio;
  DisplayPrefs display;
  InputPrefs input;
  PowerPrefs power;
  UpdatePrefs updates;
  AppearancePrefs appearance;
  NotificationPrefs notifications;
  AccessibilityPrefs accessibility;

  bool operator==(const Preferences&) const = default;
};

}  // namespace settings::preferences
