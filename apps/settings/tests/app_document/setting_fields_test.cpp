// The table from setting key to preference field: every setting the catalogues publish reads back
// through the catalogue as it was written, rows refuse what they cannot hold, and the write-through
// changes only its own field of the preferences file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../catalogues_lists/catalogue_fixture.h"
#include "actions/register.h"
#include "actions/setting_keeper.h"
#include "preferences/preferences_file.h"
#include "desktop_policy/personal_defaults.h"
#include "preferences/setting_fields.h"

namespace settings::preferences {
namespace {

using actions::testing::Catalogue;
using Json = nlohmann::json;

// The setting a published action sets when invoked without arguments: its key and value.
std::pair<std::string, Json> invoked_setting(const orvo_actions::ActionSpec& spec) {
  const Json payload = Json::parse(actions::testing::invoke(spec).payload);
  const Json& set = payload.at("SetSetting");
  return {set.at("key").get<std::string>(), set.at("value")};
}

const std::vector<std::string>* choices_of(const orvo_actions::ActionSpec& spec) {
  for (const auto& param : spec.params) {
    if (param.name == "choice" && !param.allowed_values.empty()) return &param.allowed_values;
  }
  return nullptr;
}

using Builder = orvo_actions::Resource (*)(const actions::SectionInputs&);

TEST(SettingFields, EveryPublishedSettingReadsBackThroughTheCatalogueAsWritten) {
  const Builder builders[] = {actions::appearance_resource, actions::notifications_resource,
                              actions::accessibility_resource};
  std::size_t checked = 0;
  for (Builder build : builders) {
    const orvo_actions::Resource section = Catalogue{}.build(build);
    for (const auto& spec : section.actions) {
      // A toggle (its value required) carries no current value; a flip's value is optional.
      if (spec.params.size() == 1 && spec.params[0].name == "value" && spec.params[0].required) continue;
      const auto [key, value] = invoked_setting(spec);
      const SettingField* field = find_setting_field(key);
      ASSERT_NE(field, nullptr) << key << " is published with a current value but has no row";
      SCOPED_TRACE(key);
      if (const auto* choices = choices_of(spec)) {
        for (const auto& label : *choices) {
          Catalogue catalogue;
          ASSERT_TRUE(field->write(catalogue.preferences, label)) << label;
          EXPECT_EQ(invoked_setting(*catalogue.build(build).find_action(spec.name)).second, (Json{{"Text", label}}));
          EXPECT_EQ(stored_label(catalogue.preferences, key), label);
        }
      } else {
        ASSERT_TRUE(value.contains("Bool")) << value;
        for (bool flag : {true, false}) {
          Catalogue catalogue;
          ASSERT_TRUE(field->write(catalogue.preferences, flag));
          // A flip sets the other value.
          EXPECT_EQ(invoked_setting(*catalogue.build(build).find_action(spec.name)).second, (Json{{"Bool", !flag}}));
        }
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 21u) << "five appearance, ten notifications and six accessibility settings";
  for (const auto& field : setting_fields()) {
    SCOPED_TRACE(field.key);
    if (field.store != SettingStore::PreferencesFile) continue;  // not in the preferences record
    const SettingFieldValue stored = field.read(Preferences{});
    Preferences prefs;
    ASSERT_TRUE(field.write(prefs, stored)) << "the default reads back";
    EXPECT_EQ(field.read(prefs), stored);
  }
}

TEST(SettingFields, RowsRefuseWhatTheyCannotHold) {
  const std::pair<const char*, SettingFieldValue> cases[] = {
      {"appearance.high_contrast", std::string("true")},
      {"appearance.theme", true},
      {"appearance.text_size", std::string("Huge")},
      {"a11y.magnifier", std::string("4×")},
      {"notifications.focus.start", std::string("25:00")},
      {"notifications.focus.end", std::string("7:00")},
      {"notifications.focus.days", std::string("Mondays")},
  };
  for (const auto& [key, value] : cases) {
    SCOPED_TRACE(key);
    Preferences prefs;
    auto written = find_setting_field(key)->write(prefs, value);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find(key), std::string::npos) << written.error();
    EXPECT_EQ(prefs, Preferences{});
  }
}

struct ConfigHome : ::testing::Test {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/fields-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  std::filesystem::path file = dir / "orvo" / "settings.json";
  std::string saved_config = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";

  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::filesystem::create_directories(file.parent_path());
  }
  void TearDown() override {
    if (saved_config.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", saved_config.c_str(), 1);
    }
    std::filesystem::remove_all(dir);
  }
  void write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
  std::string read() const {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  ino_t inode() const {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
  }
};

constexpr const char* kFileWithOthers = R"({
  "version": 1,
  "display": {"auto_brightness": true, "night_light": false, "unknown_display_key": 7},
  "appearance": {"theme": "Dark", "high_contrast": false, "reduce_motion": false, "text_scale": 1.0,
                 "accent": "other program"},
  "other_program": {"kept": [1, 2]}
})";

TEST_F(ConfigHome, TheWriteThroughChangesItsFieldAndKeepsEverythingElse) {
  write(kFileWithOthers);
  ASSERT_TRUE(write_setting_through("appearance.theme", std::string("Nord")));
  ASSERT_TRUE(write_setting_through("a11y.sticky_keys", true));
  const Json saved = Json::parse(read());
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["appearance"]["accent"], "other program");
  EXPECT_EQ(saved["accessibility"]["sticky_keys"], true);
  EXPECT_EQ(saved["display"], Json::parse(R"({"auto_brightness": true, "night_light": false,
                                              "unknown_display_key": 7})"));
  EXPECT_EQ(saved["other_program"], Json::parse(R"({"kept": [1, 2]})"));
  EXPECT_EQ(load_preferences().appearance.theme, "Nord");

  const std::string before = read();
  const ino_t written = inode();
  ASSERT_TRUE(write_setting_through("appearance.theme", std::string("Nord")));
  ASSERT_TRUE(write_setting_through("notifications.app.org.example.Mail.priority", false));
  EXPECT_EQ(inode(), written) << "an unchanged value writes nothing";
  EXPECT_EQ(read(), before);
}

TEST_F(ConfigHome, ARefusalOrAnUnreadableFileLeavesTheFileAsItWas) {
  write(kFileWithOthers);
  auto refused = write_setting_through("appearance.text_size", std::string("Huge"));
  ASSERT_FALSE(refused);
  EXPECT_EQ(read(), kFileWithOthers);

  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  auto unreadable = write_setting_through("appearance.theme", std::string("Nord"));
  ASSERT_FALSE(unreadable);
  EXPECT_TRUE(unreadable.error().starts_with("Could not save the preferences: ")) << unreadable.error();
}

TEST_F(ConfigHome, RegionFormatsAreWrittenThroughToTheLocaleSectionAndTheCatalogueReadsThemBack) {
  write(kFileWithOthers);
  // Every label of a format against the name its choice has in the section, in offering order.
  const std::pair<const char*, std::vector<const char*>> formats[] = {
      {"region.currency", {"USD", "EUR", "GBP", "JPY", "CHF", "CAD", "AUD", "CNY", "INR"}},
      {"region.date_format", {"ISO", "US", "EU", "Long"}},
      {"region.time_format", {"H24", "H12"}},
      {"region.measurement", {"Metric", "Imperial"}},
      {"region.number_style", {"DecimalPoint", "DecimalComma"}},
      {"region.first_day", {"Monday", "Sunday", "Saturday"}},
  };
  const std::map<std::string_view, const char*> members{
      {"region.currency", "currency"},       {"region.date_format", "date_format"},
      {"region.time_format", "time_format"}, {"region.measurement", "measurement"},
      {"region.number_style", "number_style"}, {"region.first_day", "first_day_of_week"}};
  for (const auto& [key, names] : formats) {
    SCOPED_TRACE(key);
    ASSERT_EQ(find_setting_field(key)->store, SettingStore::Locale);
    const auto labels = setting_choice_labels(key);
    ASSERT_EQ(labels.size(), names.size());
    // Last to first: the first choice is the default, stored only once another was.
    for (std::size_t i = labels.size(); i-- > 0;) {
      ASSERT_TRUE(write_setting_through(key, labels[i])) << labels[i];
      EXPECT_EQ(Json::parse(read())["locale"][members.at(key)], names[i]) << labels[i];
      EXPECT_EQ(stored_locale_label(load_locale_preferences(), key), labels[i]);
    }
  }
  const Json saved = Json::parse(read());
  EXPECT_EQ(saved["appearance"]["accent"], "other program");
  EXPECT_EQ(saved["other_program"], Json::parse(R"({"kept": [1, 2]})"));

  ASSERT_TRUE(write_setting_through("region.currency", std::string("eur"))) << "a code in any letter case";
  ASSERT_TRUE(write_setting_through("region.date_format", std::string("European (15/03/2023)")));
  const std::string before = read();
  const ino_t written = inode();
  ASSERT_TRUE(write_setting_through("region.currency", std::string("EUR")));
  EXPECT_EQ(inode(), written) << "an unchanged format writes nothing";
  const std::pair<const char*, SettingFieldValue> refused[] = {
      {"region.currency", std::string("XYZ")},
      {"region.date_format", std::string("ISO")},
      {"region.first_day", true},
  };
  for (const auto& [key, value] : refused) {
    auto written_through = write_setting_through(key, value);
    ASSERT_FALSE(written_through) << key;
    EXPECT_NE(written_through.error().find(key), std::string::npos) << written_through.error();
  }
  EXPECT_EQ(write_setting_through("region.currency", std::string("XYZ")).error(), "region.currency cannot be XYZ");
  EXPECT_EQ(read(), before) << "a refused label changes nothing";

  // Without a document value the catalogue offers the stored format.
  Catalogue catalogue;
  const auto region = catalogue.build(actions::region_formats_resource);
  EXPECT_EQ(invoked_setting(*region.find_action("currency")).second, (Json{{"Text", "EUR"}}));
  EXPECT_EQ(invoked_setting(*region.find_action("date")).second, (Json{{"Text", "European (15/03/2023)"}}));
  catalogue.put("region.date_format", "Long (15 Mar 2023)");
  EXPECT_EQ(invoked_setting(*catalogue.build(actions::region_formats_resource).find_action("date")).second,
            (Json{{"Text", "Long (15 Mar 2023)"}}));
}

TEST_F(ConfigHome, TextAssistanceLivesInItsOwnSectionAndTheCatalogueReadsItBack) {
  write(kFileWithOthers);
  const auto flip_title = [](std::string_view action) {
    return Catalogue{}.build(actions::input_resource).find_action(action)->title;
  };
  EXPECT_EQ(stored_section_flag("text.check_spelling"), true) << "on until switched off";
  EXPECT_EQ(flip_title("spell-checking"), "Turn off spell checking while typing");

  ASSERT_TRUE(write_setting_through("text.check_spelling", false));
  ASSERT_TRUE(write_setting_through("text.auto_correct", false));
  const Json saved = Json::parse(read());
  EXPECT_EQ(saved["text_assistance"], Json::parse(R"({"check_spelling": false, "auto_correct": false})"));
  EXPECT_EQ(saved["other_program"], Json::parse(R"({"kept": [1, 2]})"));
  EXPECT_EQ(stored_section_flag("text.check_spelling"), false);
  EXPECT_EQ(flip_title("spell-checking"), "Turn on spell checking while typing");
  EXPECT_EQ(flip_title("auto-correct"), "Turn on automatic spelling correction");

  const ino_t written = inode();
  ASSERT_TRUE(write_setting_through("text.auto_correct", false));
  EXPECT_EQ(inode(), written) << "an unchanged flag writes nothing";
  EXPECT_FALSE(write_setting_through("text.auto_correct", std::string("no")));
  EXPECT_EQ(stored_section_flag("appearance.high_contrast"), std::nullopt);
}

TEST_F(ConfigHome, TheKeeperAppliesTheKeyFilterBeforeAnyStore) {
  write(kFileWithOthers);
  const auto keep = [](std::string key, actions::SettingValue value) {
    return actions::keep_setting_action(
        actions::SettingsTypedAction(actions::SettingsAction::SetSetting{std::move(key), std::move(value)}));
  };
  auto refused = keep("appearance.theme", std::string(1025, 'x'));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "settings target is stale, unknown, or has an invalid value: appearance.theme");
  EXPECT_FALSE(keep("appearance.high_contrast", std::int64_t{1}));
  EXPECT_EQ(read(), kFileWithOthers);

  ASSERT_TRUE(keep("notifications.do_not_disturb", true));
  EXPECT_EQ(Json::parse(read())["notifications"]["do_not_disturb"], true);
}

// Default applications: the installed applications come from a data directory of the test's own.
struct DefaultAppsHome : ConfigHome {
  std::string saved_data_home = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  std::string saved_data_dirs = std::getenv("XDG_DATA_DIRS") ? std::getenv("XDG_DATA_DIRS") : "";
  std::filesystem::path store = dir / "orvo" / "personal-defaults.json";

  static void restore(const char* name, const std::string& value) {
    if (value.empty()) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value.c_str(), 1);
    }
  }
  void SetUp() override {
    ConfigHome::SetUp();
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (dir / "no-system-data").c_str(), 1);
    for (const char* name : {"Alpha", "Beta"}) {
      const auto path = dir / "data" / "applications" / (std::string("org.example.") + name + ".desktop");
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << name << "\nMimeType=text/plain;\n";
    }
  }
  void TearDown() override {
    restore("XDG_DATA_HOME", saved_data_home);
    restore("XDG_DATA_DIRS", saved_data_dirs);
    ConfigHome::TearDown();
  }
  std::optional<std::string> chosen() const {
    return desktop_policy::defaults::PersonalDefaults::load_at(store).get("mime:text/plain");
  }
};

TEST_F(DefaultAppsHome, AChoiceIsWrittenThroughToThePersonalDefaultsByLabelOrId) {
  constexpr std::string_view kKey = "default_apps.mime.text/plain";
  ASSERT_NE(find_setting_field(kKey), nullptr);
  EXPECT_EQ(find_setting_field(kKey)->store, SettingStore::PersonalDefaults);
  EXPECT_EQ(find_setting_field("default_apps."), nullptr);

  ASSERT_TRUE(write_setting_through(kKey, std::string("Beta \u2014 org.example.Beta")));
  EXPECT_EQ(chosen(), "org.example.Beta");
  ASSERT_TRUE(write_setting_through(kKey, std::string("org.example.Alpha")));
  EXPECT_EQ(chosen(), "org.example.Alpha");
  std::ifstream mimeapps(dir / "mimeapps.list");
  std::stringstream text;
  text << mimeapps.rdbuf();
  EXPECT_EQ(text.str(), "[Default Applications]\ntext/plain=org.example.Alpha.desktop\n");

  // A value naming no installed application, or a kind nothing opens, stays in the document only.
  ASSERT_TRUE(write_setting_through(kKey, std::string("Gone \u2014 org.gone")));
  ASSERT_TRUE(write_setting_through("default_apps.mime.image/png", std::string("org.example.Alpha")));
  EXPECT_EQ(chosen(), "org.example.Alpha");
  EXPECT_FALSE(write_setting_through(kKey, true));

  std::filesystem::remove(store);
  std::filesystem::create_directory(store);
  auto unsaved = write_setting_through(kKey, std::string("org.example.Beta"));
  ASSERT_FALSE(unsaved);
  EXPECT_TRUE(unsaved.error().starts_with("Could not save the default applications: ")) << unsaved.error();
}

}  // namespace
}  // namespace settings::preferences
