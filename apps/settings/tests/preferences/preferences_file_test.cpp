#include "preferences/preferences_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace settings::preferences {
namespace {

std::string fixture_path(const std::string& name) {
  return std::string(ORVO_SOURCE_DIR) + "/apps/settings/tests/preferences/fixtures/" + name;
}

std::string fixture(const std::string& name) {
  std::ifstream in(fixture_path(name), std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Compares with a golden file; ORVO_UPDATE_GOLDEN=1 rewrites the file instead (review the diff).
void expect_golden(const std::string& name, const std::string& actual) {
  if (std::getenv("ORVO_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(fixture_path(name), std::ios::binary) << actual;
    return;
  }
  EXPECT_EQ(actual, fixture(name)) << name;
}

Preferences normalised_defaults() {
  Preferences prefs;
  prefs.input.normalise_sources();
  return prefs;
}

TEST(DecodePreferences, NaturalScrollFollowsTheOlderPointerWideSetting) {
  const struct {
    const char* input;
    bool natural;
    bool touchpad;
    bool mouse;
  } rows[] = {
      {R"({"natural_scroll":true})", true, true, true},
      {R"({"natural_scroll":true,"mouse_natural_scroll":false})", true, true, false},
      {R"({"natural_scroll":false,"touchpad_natural_scroll":true})", false, true, false},
      {R"({})", false, true, false},
      {R"({"touchpad_natural_scroll":null,"mouse_natural_scroll":null})", false, true, false},
      {R"({"touchpad_natural_scroll":false,"mouse_natural_scroll":true})", false, false, true},
      // A bad field costs only itself.
      {R"({"natural_scroll":true,"tap_to_click":"yes"})", true, true, true},
  };
  for (const auto& row : rows) {
    const auto input = decode_preferences(std::string(R"({"input":)") + row.input + "}").input;
    EXPECT_EQ(input.natural_scroll, row.natural) << row.input;
    EXPECT_EQ(input.touchpad_natural_scroll, std::optional<bool>(row.touchpad)) << row.input;
    EXPECT_EQ(input.mouse_natural_scroll, std::optional<bool>(row.mouse)) << row.input;
  }
}

TEST(DecodePreferences, LayoutListIsKeptOnlyWhenTheFileHoldsOne) {
  using List = std::vector<std::string>;
  const struct {
    const char* input;
    const char* active;
    List layouts;
  } rows[] = {
      // No list key: the list starts empty and is filled from the layout in use.
      {R"({"keyboard_layout":"de"})", "de", {"de"}},
      {R"({"keyboard_layout":"de","keyboard_layouts":["us","fr"]})", "de", {"de", "us", "fr"}},
      {R"({"keyboard_layout":"fr","keyboard_layouts":["us"," fr ","","us"]})", "fr", {"us", "fr"}},
      {R"({"keyboard_layout":"","keyboard_layouts":["ch","de"]})", "ch", {"ch", "de"}},
      {R"({"keyboard_layout":" ","keyboard_layouts":[]})", "us", {"us"}},
      // "layouts" keeps the default list; so does "keyboard_layouts": null, which does not decode.
      {R"({"keyboard_layout":"de","layouts":["x"]})", "de", {"de", "us"}},
      {R"({"keyboard_layout":"de","keyboard_layouts":null})", "de", {"de", "us"}},
      // A bad field elsewhere in the section changes nothing of the layouts.
      {R"({"keyboard_layout":"de","tap_to_click":"yes"})", "de", {"de"}},
      // An array is not taken as the input section, though the record could read one.
      {R"([false])", "us", {"us"}},
  };
  for (const auto& row : rows) {
    const auto input = decode_preferences(std::string(R"({"input":)") + row.input + "}").input;
    EXPECT_EQ(input.keyboard_layout, row.active) << row.input;
    EXPECT_EQ(input.keyboard_layouts, row.layouts) << row.input;
  }
  const auto array_input = decode_preferences(R"({"input":[false,false]})").input;
  EXPECT_EQ(array_input.touchpad_natural_scroll, std::optional<bool>(true));
}

TEST(DecodePreferences, BadFieldResetsOnlyItself) {
  const auto prefs = decode_preferences(R"({
    "audio": [false, true, "x"],
    "power": {"auto_suspend": false, "suspend_minutes": 15.0, "lid_close_action": "lock"},
    "display": "bright",
    "updates": {"auto": false, "channel": null, "last_checked": "today"},
    "notifications": {"do_not_disturb": true, "focus": [true, 60], "per_app": {"b": {"priority": "high", "badges": true}}}
  })");
  // The array form reads by position too.
  EXPECT_FALSE(prefs.audio.event_sounds);
  EXPECT_TRUE(prefs.audio.chat_leave);
  EXPECT_FALSE(prefs.power.auto_suspend);
  EXPECT_EQ(prefs.power.suspend_minutes, 15U);  // 15.0 is not an integer
  EXPECT_EQ(prefs.power.lid_close_action, PowerAction::Lock);
  EXPECT_EQ(prefs.display, DisplayPrefs{});
  EXPECT_EQ(prefs.updates, (UpdatePrefs{.automatic = false, .last_checked = "today"}));
  EXPECT_TRUE(prefs.notifications.do_not_disturb);
  EXPECT_EQ(prefs.notifications.focus, (FocusSchedule{.enabled = true, .start_minute = 60}));
  AppNotificationRule rule;
  rule.badges = true;
  EXPECT_EQ(prefs.notifications.per_app.at("b"), rule);
}

TEST(DecodePreferences, TextThatIsNotAnObjectGivesDefaults) {
  for (const char* text : {"", "not json", "[1,2]", "null", R"({"audio":)", "{\"input\":{\"compose_key\":\"\xff\"}}"}) {
    EXPECT_EQ(decode_preferences(text), normalised_defaults()) << text;
    EXPECT_EQ(decode_locale(text), Locale{}) << text;
  }
  // Nesting beyond 128 levels counts as text that does not parse.
  const auto nested = [](int levels) {
    return R"({"audio":{"event_sounds":false,"chat_join":true,"chat_leave":true},"x":)" + std::string(levels, '[') +
           std::string(levels, ']') + "}";
  };
  EXPECT_FALSE(decode_preferences(nested(127)).audio.event_sounds);
  EXPECT_TRUE(decode_preferences(nested(128)).audio.event_sounds);
}

TEST(DecodePreferences, LocaleIsItsOwnSection) {
  EXPECT_EQ(decode_locale(R"({"locale":{"time_format":"H12","currency":"JPY"}})"),
            (Locale{.currency = Currency::JPY, .time_format = TimeFormat::H12}));
  EXPECT_EQ(decode_locale(R"({"locale":{"time_format":"h12","currency":"JPY"}})"), Locale{.currency = Currency::JPY});
  EXPECT_EQ(decode_locale(R"({"locale":null})"), Locale{});
}

// The written text, byte for byte.
struct GoldenRow {
  std::string existing;
  const char* golden;
};

TEST(MergePreferences, WritesTheGoldenText) {
  Preferences prefs = normalised_defaults();
  const GoldenRow rows[] = {
      {"", "new_file.json"},
      {" \n", "new_file.json"},
      {fixture("foreign_keys.json"), "foreign_keys_merged.json"},
  };
  for (const auto& row : rows) {
    const auto merged = merge_preferences_json(prefs, row.existing);
    ASSERT_TRUE(merged.has_value()) << merged.error();
    expect_golden(row.golden, *merged);
  }
}

// Text that is not a JSON object may be another program's: it is refused, never replaced.
TEST(MergePreferences, RefusesTextThatIsNotAJsonObject) {
  const auto nested = "{\"x\":" + std::string(200, '[') + std::string(200, ']') + "}";
  const std::pair<std::string, const char*> rows[] = {
      {"this is not json", "expected ident at line 1 column 2"},
      {R"({"version":1,"foreign":{"keep":tr)", "EOF while parsing a value at line 1 column 33"},
      {R"([{"foreign":1}])", "the file holds JSON that is not an object"},
      {nested, "recursion limit exceeded at line 1 column 133"},
      {std::string("{}\0junk", 7), "the file holds a NUL byte"},
  };
  for (const auto& [existing, reason] : rows) {
    const auto merged = merge_preferences_json(normalised_defaults(), existing);
    ASSERT_FALSE(merged.has_value()) << existing;
    EXPECT_EQ(merged.error(), reason) << existing;
    EXPECT_FALSE(merge_locale_json(Locale{}, existing).has_value()) << existing;
  }
}

TEST(MergePreferences, ChangedValuesAndTheLocaleMerge) {
  Preferences prefs = normalised_defaults();
  prefs.audio.output_device = "Line \"out\"\t\x01";
  prefs.audio.balance = 0.7F;
  prefs.display.scale = 1e20;
  prefs.input.keyboard_layouts = {"us", "de(nodeadkeys)"};
  prefs.notifications.per_app["b.app"].priority = true;
  prefs.notifications.per_app["a.app"].muted_until = 1700000000;
  const auto merged = merge_preferences_json(prefs, "");
  ASSERT_TRUE(merged.has_value()) << merged.error();
  expect_golden("changed_values.json", *merged);
  EXPECT_EQ(decode_preferences(*merged), prefs);

  const auto with_locale = merge_locale_json(Locale{.date_format = DateFormat::EU}, *merged);
  ASSERT_TRUE(with_locale.has_value()) << with_locale.error();
  expect_golden("changed_values_with_locale.json", *with_locale);
  const auto new_locale_file = merge_locale_json(Locale{}, "");
  expect_golden("new_locale_file.json", new_locale_file.value());
}

TEST(MergePreferences, RefusesTextThatIsNotUtf8) {
  Preferences prefs;
  prefs.input.compose_key = std::string("\xc3(");
  const auto merged = merge_preferences_json(prefs, "{}");
  ASSERT_FALSE(merged.has_value());
  EXPECT_EQ(merged.error(), "could not write the input preferences: they hold text that is not UTF-8");
}

TEST(ValidateUnitInterval, AcceptsZeroToOne) {
  for (double ok : {0.0, 0.5, 1.0}) EXPECT_EQ(validate_unit_interval(ok).value(), ok);
  for (double bad : {-0.1, 1.0000001, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    const auto result = validate_unit_interval(bad);
    ASSERT_FALSE(result.has_value()) << bad;
    EXPECT_EQ(result.error(), "input value must be between 0.0 and 1.0");
  }
}

}  // namespace
}  // namespace settings::preferences
