#include "preferences/records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "preferences/locale.h"

namespace settings::preferences {
namespace {

using Json = nlohmann::ordered_json;

// Sections are decoded from parsed values, as the preferences file does.
template <class T>
std::expected<T, orvo_json::Error> decode(std::string_view text) {
  return orvo_json::decode_value<T>(Json::parse(text));
}

template <class T>
bool decodes(std::string_view text) {
  return decode<T>(text).has_value();
}

struct DecodeRow {
  const char* what;
  const char* text;
  bool (*decodes)(std::string_view);
  bool expected;
};

TEST(PreferenceRecords, RequiredOptionalAndMalformedFields) {
  const DecodeRow rows[] = {
      {"audio without chat_leave", R"({"event_sounds":true,"chat_join":true})", decodes<AudioPrefs>, false},
      {"audio without balance", R"({"event_sounds":true,"chat_join":true,"chat_leave":false})", decodes<AudioPrefs>,
       true},
      {"audio with null output_device", R"({"event_sounds":true,"chat_join":true,"chat_leave":true,"output_device":null})",
       decodes<AudioPrefs>, true},
      {"audio with null balance", R"({"event_sounds":true,"chat_join":true,"chat_leave":true,"balance":null})",
       decodes<AudioPrefs>, false},
      {"display with null scale", R"({"auto_brightness":true,"night_light":false,"scale":null})",
       decodes<DisplayPrefs>, false},
      {"display with integer scale", R"({"auto_brightness":true,"night_light":false,"scale":2})", decodes<DisplayPrefs>,
       true},
      {"display with 15.0 kelvin", R"({"auto_brightness":true,"night_light":false,"night_light_temperature":15.0})",
       decodes<DisplayPrefs>, false},
      {"display with 1e3 kelvin", R"({"auto_brightness":true,"night_light":false,"night_light_temperature":1e3})",
       decodes<DisplayPrefs>, false},
      {"power without blank_minutes",
       R"({"auto_suspend":true,"suspend_minutes":15,"saver_suspend_minutes":10,"balanced_suspend_minutes":15,
           "performance_suspend_minutes":30,"lock_minutes":5,"lid_close_action":"suspend",
           "power_key_action":"suspend","low_battery_percent":15,"critical_battery_percent":5,
           "critical_action":"suspend"})",
       decodes<PowerPrefs>, false},
      {"power with its two required fields", R"({"auto_suspend":false,"blank_minutes":3})", decodes<PowerPrefs>, true},
      {"power with a capitalised action", R"({"auto_suspend":true,"blank_minutes":3,"lid_close_action":"Lock"})",
       decodes<PowerPrefs>, false},
      {"power with an unknown action", R"({"auto_suspend":true,"blank_minutes":3,"lid_close_action":"hibernate"})",
       decodes<PowerPrefs>, false},
      {"power with the one-key object action",
       R"({"auto_suspend":true,"blank_minutes":3,"lid_close_action":{"lock":null}})", decodes<PowerPrefs>, true},
      {"power with a negative minute count", R"({"auto_suspend":true,"blank_minutes":-1})", decodes<PowerPrefs>, false},
      {"power with a string boolean", R"({"auto_suspend":"true","blank_minutes":1})", decodes<PowerPrefs>, false},
      {"appearance without ui_scale", R"({"theme":"Light","high_contrast":false,"reduce_motion":true,"text_scale":1.25})",
       decodes<AppearancePrefs>, true},
      {"appearance without text_scale", R"({"theme":"Light","high_contrast":false,"reduce_motion":true})",
       decodes<AppearancePrefs>, false},
      {"accessibility with a negative cursor size", R"({"cursor_size":-24})", decodes<AccessibilityPrefs>, false},
      {"accessibility with a fractional cursor size", R"({"cursor_size":24.5})", decodes<AccessibilityPrefs>, false},
      {"accessibility with 70000 ms scanning", R"({"switch_scan_ms":70000})", decodes<AccessibilityPrefs>, false},
      {"accessibility with 65535 ms scanning", R"({"switch_scan_ms":65535})", decodes<AccessibilityPrefs>, true},
      {"accessibility with zoom 256", R"({"magnifier_zoom":256})", decodes<AccessibilityPrefs>, false},
      {"accessibility with Grayscale", R"({"color_filter":"Grayscale"})", decodes<AccessibilityPrefs>, false},
      {"notifications with a bad rule", R"({"per_app":{"a":{"priority":"yes"}}})", decodes<NotificationPrefs>, false},
      {"focus with minute 65536", R"({"focus":{"start_minute":65536}})", decodes<NotificationPrefs>, false},
      {"rule with a muted_until in seconds", R"({"muted_until":-5})", decodes<AppNotificationRule>, true},
      {"rule with null priority", R"({"priority":null})", decodes<AppNotificationRule>, false},
      {"locale with lower-case currency", R"({"currency":"usd"})", decodes<Locale>, false},
      {"locale with a known format", R"({"date_format":"Long","first_day_of_week":"Saturday"})", decodes<Locale>, true},
      {"a record from a string", R"("audio")", decodes<AudioPrefs>, false},
      {"a record from null", "null", decodes<AccessibilityPrefs>, false},
  };
  for (const auto& row : rows) EXPECT_EQ(row.decodes(row.text), row.expected) << row.what;
}

TEST(PreferenceRecords, EmptyObjectGivesTheDefaultsOfRecordsWithoutRequiredFields) {
  EXPECT_EQ(decode<NotificationPrefs>("{}").value(), NotificationPrefs{});
  EXPECT_EQ(decode<AccessibilityPrefs>("{}").value(), AccessibilityPrefs{});
  EXPECT_EQ(decode<InputPrefs>("{}").value(), InputPrefs{});
  EXPECT_EQ(decode<FocusSchedule>("{}").value(), FocusSchedule{});
  EXPECT_EQ(decode<AppNotificationRule>("{}").value(), AppNotificationRule{});
  EXPECT_EQ(decode<Locale>("{}").value(), Locale{});
  EXPECT_FALSE(decodes<AudioPrefs>("{}"));
  EXPECT_FALSE(decodes<DisplayPrefs>("{}"));
  EXPECT_FALSE(decodes<PowerPrefs>("{}"));
  EXPECT_FALSE(decodes<UpdatePrefs>("{}"));
  EXPECT_FALSE(decodes<AppearancePrefs>("{}"));

  // Missing optional fields take the defaults, not only "unset".
  const auto input = decode<InputPrefs>(R"({"tap_to_click":false})").value();
  EXPECT_EQ(input.touchpad_natural_scroll, std::optional<bool>(true));
  EXPECT_EQ(input.mouse_natural_scroll, std::optional<bool>(false));
  EXPECT_EQ(input.keyboard_layouts, std::vector<std::string>{"us"});
  EXPECT_EQ(decode<AudioPrefs>(R"({"event_sounds":true,"chat_join":true,"chat_leave":true})")->balance, 0.5F);
  EXPECT_EQ(decode<AppearancePrefs>(R"({"theme":"L","high_contrast":true,"reduce_motion":true,"text_scale":2})")
                ->ui_scale,
            1.0);
  const auto power = decode<PowerPrefs>(R"({"auto_suspend":true,"blank_minutes":10})").value();
  EXPECT_EQ(power, PowerPrefs{});
}

TEST(PreferenceRecords, ArrayFormAndItsLengths) {
  const auto audio = decode<AudioPrefs>(R"([false,true,true,"Speakers"])");
  ASSERT_TRUE(audio.has_value()) << audio.error().text();
  EXPECT_FALSE(audio->event_sounds);
  EXPECT_EQ(audio->output_device, std::optional<std::string>("Speakers"));
  EXPECT_EQ(audio->balance, 0.5F);

  const auto short_power = decode<PowerPrefs>("[true,15]");
  ASSERT_FALSE(short_power.has_value());
  EXPECT_EQ(short_power.error().reason, "invalid length 2, expected struct PowerPrefs with 12 elements");
  const auto short_audio = decode<AudioPrefs>("[true,true]");
  ASSERT_FALSE(short_audio.has_value());
  EXPECT_EQ(short_audio.error().reason, "invalid length 2, expected struct AudioPrefs with 7 elements");
  EXPECT_FALSE(decodes<UpdatePrefs>(R"([true,"Stable","Never","extra"])"));
  EXPECT_TRUE(decodes<UpdatePrefs>(R"([true,"Stable","Never"])"));
}

TEST(PreferenceRecords, RepeatedKeyInTheParsedTextKeepsTheLastValue) {
  const auto display = decode<DisplayPrefs>(R"({"auto_brightness":true,"night_light":true,"auto_brightness":false})");
  ASSERT_TRUE(display.has_value()) << display.error().text();
  EXPECT_FALSE(display->auto_brightness);
}

TEST(PreferenceRecords, WritesEveryFieldInDeclarationOrder) {
  EXPECT_EQ(orvo_json::encode(AudioPrefs{}),
            R"({"event_sounds":true,"chat_join":true,"chat_leave":true,"output_device":null,"input_device":null,)"
            R"("balance":0.5,"mono_output":false})");
  EXPECT_EQ(orvo_json::encode(UpdatePrefs{}), R"({"auto":true,"channel":"Stable","last_checked":"Never"})");
  EXPECT_EQ(orvo_json::encode(Locale{}),
            R"({"currency":"USD","date_format":"ISO","time_format":"H24","measurement":"Metric",)"
            R"("number_style":"DecimalPoint","first_day_of_week":"Monday"})");
  EXPECT_EQ(orvo_json::encode(AccessibilityPrefs{.color_filter = ColorFilter::GrayscaleInverted,
                                                 .switch_key_pair = SwitchKeyPair::Digits12,
                                                 .screen_reader_voice = ScreenReaderVoice::EnglishGb}),
            R"({"large_cursor":false,"cursor_size":24,"screen_reader":false,"on_screen_keyboard":false,)"
            R"("sticky_keys":false,"slow_keys":false,"visual_alerts":false,"color_filter":"grayscale_inverted",)"
            R"("magnifier_zoom":1,"cursor_crosshair":false,"thick_text_caret":false,"switch_control":false,)"
            R"("switch_key_pair":"digits12","switch_scan_ms":0,"screen_reader_rate":100,)"
            R"("screen_reader_voice":"english_gb"})");
  EXPECT_EQ(to_string(PowerAction::Ignore), "ignore");
  EXPECT_EQ(from_string<Currency>("CHF"), Currency::CHF);
  EXPECT_EQ(from_string<Currency>("chf"), std::nullopt);
}

TEST(PreferenceRecords, PerAppRulesAreWrittenInKeyOrder) {
  const auto prefs = decode<NotificationPrefs>(
                         R"({"per_app":{"zeta.app":{"banners":false},"Alpha":{"priority":true},"alpha":{}}})")
                         .value();
  const std::string text = orvo_json::encode(prefs);
  const auto upper = text.find("\"Alpha\"");
  const auto lower = text.find("\"alpha\"");
  const auto zeta = text.find("\"zeta.app\"");
  ASSERT_NE(zeta, std::string::npos);
  EXPECT_LT(upper, lower);
  EXPECT_LT(lower, zeta);
  EXPECT_EQ(decode<NotificationPrefs>(text).value(), prefs);
}

TEST(PreferenceRecords, NonFiniteScaleIsWrittenAsNullAndThenRefused) {
  DisplayPrefs display;
  display.scale = std::numeric_limits<double>::infinity();
  const std::string text = orvo_json::encode(display);
  EXPECT_NE(text.find(R"("scale":null)"), std::string::npos);
  EXPECT_FALSE(decodes<DisplayPrefs>(text));
}

TEST(PreferenceRecords, EveryRecordReadsBackWhatItWrote) {
  Preferences prefs;
  prefs.audio = {false, true, false, "Speakers \"front\"", std::nullopt, 0.7F, true};
  prefs.display = {true, true, 4500, 1.25};
  prefs.input.touchpad_pointer_speed = 0.1;
  prefs.input.key_repeat_rate_hz = 30;
  prefs.input.keyboard_layouts = {"de(nodeadkeys)", "us"};
  prefs.input.compose_key = "ralt";
  prefs.power.lid_close_action = PowerAction::Lock;
  prefs.updates = {false, "Beta", "2026-12-01 10:00"};
  prefs.appearance = {"Light", true, true, 1.5, 0.75};
  prefs.notifications.focus = {true, 0, 1439, 96, false};
  prefs.notifications.per_app["org.example.Mail"] = {true, std::nullopt, false, std::nullopt, true, false, true, true,
                                                     -1700000000};
  prefs.accessibility.screen_reader_voice = ScreenReaderVoice::Spanish;

  EXPECT_EQ(decode<AudioPrefs>(orvo_json::encode(prefs.audio)).value(), prefs.audio);
  EXPECT_EQ(decode<DisplayPrefs>(orvo_json::encode(prefs.display)).value(), prefs.display);
  EXPECT_EQ(decode<InputPrefs>(orvo_json::encode(prefs.input)).value(), prefs.input);
  EXPECT_EQ(decode<PowerPrefs>(orvo_json::encode(prefs.power)).value(), prefs.power);
  EXPECT_EQ(decode<UpdatePrefs>(orvo_json::encode(prefs.updates)).value(), prefs.updates);
  EXPECT_EQ(decode<AppearancePrefs>(orvo_json::encode(prefs.appearance)).value(), prefs.appearance);
  EXPECT_EQ(decode<NotificationPrefs>(orvo_json::encode(prefs.notifications)).value(), prefs.notifications);
  EXPECT_EQ(decode<AccessibilityPrefs>(orvo_json::encode(prefs.accessibility)).value(), prefs.accessibility);
  // A 32-bit balance is written in its own shortest form.
  EXPECT_NE(orvo_json::encode(prefs.audio).find(R"("balance":0.7,)"), std::string::npos);
}

}  // namespace
}  // namespace settings::preferences
