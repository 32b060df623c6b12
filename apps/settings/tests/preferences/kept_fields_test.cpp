// A preferences file with one missing, wrong-typed or unknown member: loading keeps every good value,
// and a save keeps every member it could not read unless the user set that very field.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"
#include "preferences/notification_mute.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"

namespace settings::preferences {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

class KeptFields : public ::testing::Test {
 protected:
  KeptFields() {
    char pattern[] = "/tmp/orvo-kept-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace("/", root_ / "config");
  }
  ~KeptFields() override {
    paths_.reset();
    fs::remove_all(root_);
  }

  fs::path file() const { return root_ / "config" / "orvo" / "settings.json"; }
  void write(const Json& content) {
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << content.dump();
  }
  Json read() const { return Json::parse(orvo_testing::read_file(file())); }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

// Every member of `expected` is in `actual` with the same value (objects compared member by member:
// a section that is written also gains the fields it lacked).
void expect_holds(const Json& actual, const Json& expected, const std::string& where) {
  if (!expected.is_object() || !actual.is_object()) {
    EXPECT_EQ(actual, expected) << where;
    return;
  }
  for (const auto& [key, value] : expected.items()) {
    if (!actual.contains(key)) {
      ADD_FAILURE() << where << "/" << key << " is gone";
      continue;
    }
    expect_holds(actual.at(key), value, where + "/" + key);
  }
}

const Json kFile = Json::parse(R"({
  "appearance": {"theme": "Nord", "high_contrast": true, "reduce_motion": false, "ui_scale": 1.25, "accent": "teal"},
  "power": {"auto_suspend": false, "suspend_minutes": 45, "lid_close_action": "lock"},
  "audio": {"event_sounds": false, "chat_join": true, "chat_leave": "loud", "balance": 0.25},
  "notifications": {"do_not_disturb": false, "show_badges": false,
                    "focus": {"enabled": true, "start_minute": "late"},
                    "per_app": {"a.app": {"priority": true, "muted_until": 5},
                                "b.app": {"priority": "high", "sounds": false},
                                "c.app": "muted"}},
  "accessibility": {"large_cursor": true, "magnifier_zoom": 300, "future_option": {"x": 1}},
  "input": {"keyboard_layout": "de", "pointer_speed": "fast", "tap_to_click": false},
  "locale": {"currency": "EUR", "date_format": "Roman"}
})");

TEST_F(KeptFields, EveryGoodValueLoads) {
  write(kFile);
  const Preferences prefs = load_preferences();
  EXPECT_EQ(prefs.appearance.theme, "Nord");
  EXPECT_TRUE(prefs.appearance.high_contrast);
  EXPECT_EQ(prefs.appearance.ui_scale, 1.25);
  EXPECT_EQ(prefs.appearance.text_scale, 1.0);  // missing: its default
  EXPECT_FALSE(prefs.power.auto_suspend);
  EXPECT_EQ(prefs.power.suspend_minutes, 45U);
  EXPECT_EQ(prefs.power.lid_close_action, PowerAction::Lock);
  EXPECT_EQ(prefs.power.blank_minutes, 10U);
  EXPECT_FALSE(prefs.audio.event_sounds);
  EXPECT_TRUE(prefs.audio.chat_leave);
  EXPECT_EQ(prefs.audio.balance, 0.25F);
  EXPECT_FALSE(prefs.notifications.show_badges);
  EXPECT_TRUE(prefs.notifications.focus.enabled);
  EXPECT_EQ(prefs.notifications.focus.start_minute, 1320);
  ASSERT_EQ(prefs.notifications.per_app.size(), 2U);  // "c.app" is no rule at all
  EXPECT_EQ(prefs.notifications.per_app.at("a.app").muted_until, 5);
  EXPECT_FALSE(prefs.notifications.per_app.at("b.app").priority);
  EXPECT_EQ(prefs.notifications.per_app.at("b.app").sounds, false);
  EXPECT_TRUE(prefs.accessibility.large_cursor);
  EXPECT_EQ(prefs.accessibility.magnifier_zoom, 1);
  EXPECT_EQ(prefs.input.keyboard_layout, "de");
  EXPECT_FALSE(prefs.input.tap_to_click);
  EXPECT_EQ(prefs.input.pointer_speed, 0.5);
  EXPECT_EQ(load_locale_preferences(), Locale{.currency = Currency::EUR});
}

// Each save changes one thing; the file afterwards holds the file before with these members set,
// everything else (undecodable and unknown members included) as it was.
TEST_F(KeptFields, SavesWriteOnlyWhatChanged) {
  using Patch = std::pair<const char*, Json>;
  const struct {
    const char* name;
    std::function<std::expected<std::filesystem::path, std::string>()> save;
    std::vector<Patch> written;
  } rows[] = {
      {"a switch of another section",
       [] {
         return update_preferences_section("notifications", [](Preferences& p) -> std::expected<void, std::string> {
           p.notifications.do_not_disturb = true;
           return {};
         });
       },
       {{"/notifications/do_not_disturb", true}}},
      {"the appearance field next to the missing one",
       [] {
         return update_preferences_section("appearance", [](Preferences& p) -> std::expected<void, std::string> {
           p.appearance.reduce_motion = true;
           return {};
         });
       },
       {{"/appearance/reduce_motion", true}}},
      {"the good field of the rule whose priority is a string",
       [] {
         return update_preferences_section("notifications", [](Preferences& p) -> std::expected<void, std::string> {
           p.notifications.per_app.at("b.app").sounds = true;
           return {};
         });
       },
       {{"/notifications/per_app/b.app/sounds", true}}},
      {"the undecodable field itself, set by the user",
       [] {
         return update_preferences_section("notifications", [](Preferences& p) -> std::expected<void, std::string> {
           p.notifications.per_app.at("b.app").priority = true;
           p.notifications.focus.start_minute = 1200;
           return {};
         });
       },
       {{"/notifications/per_app/b.app/priority", true}, {"/notifications/focus/start_minute", 1200}}},
      {"a whole-record save from a loaded record",
       [] {
         Preferences p = load_preferences();
         p.power.suspend_minutes = 20;
         p.accessibility.cursor_size = 48;
         return save_preferences(p);
       },
       // The missing required field is written with the value the program used.
       {{"/power/suspend_minutes", 20}, {"/power/blank_minutes", 10}, {"/accessibility/cursor_size", 48}}},
      {"a region format",
       [] { return save_locale_preferences(Locale{.currency = Currency::EUR, .time_format = TimeFormat::H12}); },
       {{"/locale/time_format", "H12"}}},
  };
  for (const auto& row : rows) {
    write(kFile);
    const auto saved = row.save();
    ASSERT_TRUE(saved.has_value()) << row.name << ": " << saved.error();
    Json expected = kFile;
    expected["version"] = 1;
    for (const auto& [pointer, value] : row.written) {
      expected[Json::json_pointer(pointer)] = value;
    }
    const Json now = read();
    expect_holds(now, expected, row.name);
    for (const auto& [key, _] : now.items()) {
      // A whole-record save adds the sections the file did not hold.
      EXPECT_TRUE(expected.contains(key) || key == "display" || key == "updates") << row.name << ": " << key;
    }
  }
}

TEST_F(KeptFields, RemovingARuleDropsItAndKeepsTheUnreadableOne) {
  write(kFile);
  const auto saved = update_preferences_section("notifications", [](Preferences& p) -> std::expected<void, std::string> {
    p.notifications.per_app.erase("a.app");
    p.notifications.per_app["d.app"].priority = true;
    return {};
  });
  ASSERT_TRUE(saved.has_value()) << saved.error();
  const Json per_app = read()["notifications"]["per_app"];
  std::vector<std::string> keys;
  for (const auto& [key, _] : per_app.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"b.app", "c.app", "d.app"}));
  EXPECT_EQ(per_app["b.app"], kFile["notifications"]["per_app"]["b.app"]);
  EXPECT_EQ(per_app["c.app"], "muted");
  EXPECT_EQ(per_app["d.app"]["priority"], true);
}

// The rule fields a client sets with the Notifications page closed reach the file, as the page would
// store them.
TEST_F(KeptFields, RuleFieldsAreWrittenThroughToTheFile) {
  write(kFile);
  const auto rule = [&](const char* app) { return read()["notifications"]["per_app"].value(app, Json()); };
  ASSERT_TRUE(write_setting_through("notifications.app.a.app.banners", false));
  ASSERT_TRUE(write_setting_through("notifications.app.b.app.priority_contacts", true));
  expect_holds(rule("a.app"), Json::parse(R"({"priority": true, "muted_until": 5, "banners": false})"), "a.app");
  expect_holds(rule("b.app"), Json::parse(R"({"priority": "high", "sounds": false, "priority_contacts": true})"),
               "b.app");

  const std::int64_t before = mute_clock_now();
  ASSERT_TRUE(write_setting_through("notifications.app.new.app.mute", std::string("For 8 hours")));
  const std::int64_t until = rule("new.app").value("muted_until", std::int64_t{0});
  EXPECT_GE(until, before + 28800);
  EXPECT_LE(until, mute_clock_now() + 28800);
  // The same label again does not extend the mute; "Not muted" ends it.
  ASSERT_TRUE(write_setting_through("notifications.app.new.app.mute", std::string("For 8 hours")));
  EXPECT_EQ(rule("new.app").value("muted_until", std::int64_t{0}), until);
  ASSERT_TRUE(write_setting_through("notifications.app.new.app.mute", std::string("Not muted")));
  EXPECT_TRUE(rule("new.app")["muted_until"].is_null());
  EXPECT_EQ(load_preferences().notifications.per_app.at("new.app"), AppNotificationRule{});

  // What changes nothing writes nothing: a value the rule already has, an application without a
  // rule set to what it has anyway, a key that names no field or no valid application.
  const std::string text = orvo_testing::read_file(file());
  ASSERT_TRUE(write_setting_through("notifications.app.a.app.banners", false));
  ASSERT_TRUE(write_setting_through("notifications.app.other.app.priority", false));
  ASSERT_TRUE(write_setting_through("notifications.app.other.app.lock_screen", true));
  ASSERT_TRUE(write_setting_through("notifications.app.bad id.banners", true));
  EXPECT_EQ(orvo_testing::read_file(file()), text);

  const std::pair<const char*, SettingFieldValue> refused[] = {
      {"notifications.app.a.app.mute", std::string("For a week")},
      {"notifications.app.a.app.mute", true},
      {"notifications.app.a.app.sounds", std::string("on")},
  };
  for (const auto& [key, value] : refused) {
    auto written = write_setting_through(key, value);
    ASSERT_FALSE(written) << key;
    EXPECT_NE(written.error().find(key), std::string::npos) << written.error();
  }
  EXPECT_EQ(orvo_testing::read_file(file()), text);
}

}  // namespace
}  // namespace settings::preferences
