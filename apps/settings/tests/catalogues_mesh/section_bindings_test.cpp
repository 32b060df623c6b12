// The bindings of the panes' controls: a binding for every name the sections publish, none otherwise,
// and the same binding from a second call.
#include <gtest/gtest.h>

#include "../catalogues_input/catalogue_fixture.h"
#include "catalogues/input_bindings.h"
#include "catalogues/section_bindings.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"

namespace settings::actions {
namespace {

template <class Binding>
void expect_same(const Binding& first, const Binding& second) {
  EXPECT_EQ(first.address(), second.address());
  EXPECT_EQ(first.spec.title, second.spec.title);
  EXPECT_EQ(first.spec.params, second.spec.params);
  EXPECT_EQ(first.spec.input, second.spec.input);
}

// Every function against the names it must accept and a few it must refuse.
template <class Fn>
void check_names(const char* function, Fn bind, std::initializer_list<const char*> published,
                 std::initializer_list<const char*> refused, std::string_view resource) {
  for (const char* name : published) {
    auto first = bind(name);
    ASSERT_TRUE(first.has_value()) << function << " " << name;
    EXPECT_EQ(first->resource, resource) << function << " " << name;
    auto second = bind(name);
    ASSERT_TRUE(second.has_value());
    expect_same(*first, *second);
  }
  for (const char* name : refused) EXPECT_FALSE(bind(name).has_value()) << function << " " << name;
}

TEST(SectionBindings, DisplayBindings) {
  const std::string_view displays = "settings.section:displays";
  check_names("display_toggle_binding", display_toggle_binding, {"auto_brightness", "night_light"},
              {"brightness", "scale", "Night_light"}, displays);
  check_names("night_light_warmth_binding", night_light_warmth_binding, {"night_light_temperature"},
              {"scale", "night_light"}, displays);
  check_names("brightness_binding", brightness_binding, {"brightness"}, {"auto_brightness"}, displays);
  check_names("display_unit_binding", display_unit_binding, {"apply", "confirm", "revert"}, {"brightness", "keep"},
              displays);

  const auto brightness = brightness_binding("brightness");
  const auto* value = brightness->spec.find_param("value");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->schema, std::optional<std::string>(R"({"minimum":0.0,"maximum":1.0})"));
  EXPECT_EQ(brightness->arguments(0.25).to_json_text(), R"({"value":0.25})");
  EXPECT_EQ(night_light_warmth_binding("night_light_temperature")->spec.find_param("choice")->allowed_values,
            (std::vector<std::string>{"Subtle · 4500 K", "Warm · 3700 K", "Very warm · 2800 K"}));
}

TEST(SectionBindings, StaticSectionBindings) {
  check_names("network_toggle_binding", network_toggle_binding, {"wifi"}, {"Wifi", "wi-fi"},
              "settings.section:network");
  check_names("bluetooth_toggle_binding", bluetooth_toggle_binding, {"bluetooth"}, {"wifi"},
              "settings.section:bluetooth");
  check_names("updates_toggle_binding", updates_toggle_binding, {"automatic", "metered"}, {"Automatic"},
              "settings.section:updates");
  check_names("updates_unit_binding", updates_unit_binding, {"check", "restart", "rollback"}, {"automatic"},
              "settings.section:updates");
  check_names("time_date_toggle_binding", time_date_toggle_binding, {"automatic-time", "24-hour"}, {"24-Hour"},
              "settings.section:time_date");
  check_names("time_date_choice_binding", time_date_choice_binding, {"timezone"}, {"Timezone"},
              "settings.section:time_date");

  const std::uint32_t percents[] = {60, 80, 100};
  const auto cap = charge_cap_binding(percents, 80);
  ASSERT_TRUE(cap.has_value());
  EXPECT_EQ(cap->resource, "settings.section:power");
  EXPECT_EQ(cap->arguments("80%").to_json_text(), R"({"percent":"80%"})");
  EXPECT_EQ(cap->spec.find_param("percent")->allowed_values, (std::vector<std::string>{"60%", "80%", "100%"}));
  EXPECT_FALSE(charge_cap_binding({}, 80).has_value());
}

TEST(SectionBindings, InputLevelsAndKeyboardSources) {
  const orvo_testing::TempDir config;
  config.write("orvo/settings.json", R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us","de"]}})");
  const system_paths::ScopedOverride paths(config.root(), config.root());
  settings::testing::FakeInputQueries input;
  input.layouts = {{"us", "English (US)"}, {"de", "German"}};

  const auto bind_level = [&](std::string_view name) { return input_level_binding(name, input); };
  check_names("input_level_binding", bind_level, {"touchpad-speed", "mouse-speed", "key-repeat"},
              {"pointer-speed", "Mouse-speed"}, "settings.section:mouse_keyboard");

  const auto bind_source = [&](std::string_view name) { return keyboard_source_binding("de", name, input); };
  check_names("keyboard_source_binding", bind_source, {"remove"}, {"Remove", "set-label"},
              "settings.input-source:de");
  // A layout the user has not configured has no row to bind.
  EXPECT_FALSE(keyboard_source_binding("fr", "remove", input).has_value());
  EXPECT_FALSE(keyboard_source_binding("d", "remove", input).has_value());
}

// The preferences file is saved as the application saves it: a new file renamed over the old one.
void save(const orvo_testing::TempDir& config, std::string_view content) {
  std::filesystem::rename(config.write("orvo/settings.json.new", content), config.root() / "orvo/settings.json");
}

TEST(SectionBindings, ASaveReachesTheNextBindingAtOnce) {
  const orvo_testing::TempDir config;
  const system_paths::ScopedOverride paths(config.root(), config.root());
  save(config, R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us"]}})");
  EXPECT_TRUE(input_choice_binding("add-source").has_value());
  EXPECT_FALSE(keyboard_source_binding("de", "remove").has_value());
  // Saved again at once, the same size: the next binding still sees the new file.
  save(config, R"({"input":{"keyboard_layout":"us","keyboard_layouts":["de"]}})");
  EXPECT_TRUE(keyboard_source_binding("de", "remove").has_value());
  save(config, R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us","de","fr","se"]}})");
  EXPECT_FALSE(input_choice_binding("add-source").has_value());
}

}  // namespace
}  // namespace settings::actions
