#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogues/display_bindings.h"
#include "catalogues/resource_tree.h"
#include "catalogues/section_catalogues.h"
#include "fake_media.h"

namespace settings::actions {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using namespace settings::actions::testing;
using settings_store::OutputDescriptor;


OutputDescriptor output(std::string connector, std::string display_name) {
  OutputDescriptor o;
  o.connector = std::move(connector);
  o.display_name = std::move(display_name);
  return o;
}

// A laptop panel without a name and an external monitor with modes and colour profiles.
FakeInputs two_outputs() {
  FakeInputs fake;
  OutputDescriptor panel = output("eDP-1", "");
  panel.modes = {{2256, 1504, 60000}};
  OutputDescriptor monitor = output("DP-1", "Dell U2720Q");
  monitor.modes = {{3840, 2160, 60000}, {1920, 1080, 59940}};
  monitor.color_profiles = {"srgb", "unnamed"};
  monitor.color_profile_names = {{"srgb", "sRGB"}};
  fake.media.snapshot.outputs = {panel, monitor};
  return fake;
}

TEST(DisplaysCatalogue, WithoutOutputsOpenFiveSectionActionsAndTheTransaction) {
  FakeInputs fake;
  const auto section = build_settings_actions(settings_app::SettingsSection::Displays, fake.inputs());
  EXPECT_EQ(section.id, "settings.section:displays");
  EXPECT_EQ(section.kind, "settings.section");
  EXPECT_EQ(section.title, "Displays");
  EXPECT_THAT(action_names(section), ElementsAre("open", "auto_brightness", "night_light", "night_light_temperature",
                                                 "brightness", "scale", "apply", "confirm", "revert"));
  EXPECT_THAT(section.children, IsEmpty());
}

TEST(DisplaysCatalogue, SectionActions) {
  FakeInputs fake;
  const auto section = displays_resource(fake.inputs());
  struct Row {
    std::string_view name, title, third_tag, description;
  };
  const Row rows[] = {
      {"auto_brightness", "Set automatic brightness", "hardware", "On or off on this device"},
      {"night_light", "Set Night Light", "hardware", "On or off on this device"},
      {"night_light_temperature", "Set Night Light warmth", "hardware", "Choose a value available on this device"},
      {"brightness", "Set brightness", "hardware", "A value from 0 to 1"},
      {"scale", "Set display scale", "hardware", "Choose a value available on this device"},
      {"apply", "Apply staged display changes", "transaction", ""},
      {"confirm", "Keep display changes", "transaction", ""},
      {"revert", "Revert display changes", "transaction", ""},
  };
  for (const auto& row : rows) {
    const auto& spec = action_of(section, row.name);
    EXPECT_EQ(spec.title, row.title) << row.name;
    EXPECT_EQ(spec.description(), row.description) << row.name;
    EXPECT_EQ(spec.operation_kind, "settings.display-operation") << row.name;
    EXPECT_EQ(spec.operation_class, orvo_actions::OperationClass::Effect) << row.name;
    EXPECT_THAT(spec.contract.tags, ElementsAre("device-local", "display", row.third_tag)) << row.name;
  }

  const auto& warmth = choices_of(action_of(section, "night_light_temperature"));
  EXPECT_THAT(warmth, ElementsAre("Subtle · 4500 K", "Warm · 3700 K", "Very warm · 2800 K"));
  EXPECT_EQ(warmth[0].size(), std::string_view("Subtle ? 4500 K").size() + 1);  // the dot is two bytes
  EXPECT_EQ(invoke(action_of(section, "night_light_temperature"), R"({"choice":"Warm · 3700 K"})"),
            R"(settings.display-operation {"SetNightLightTemperature":{"label":"Warm · 3700 K"}})");
  EXPECT_EQ(invoke(action_of(section, "brightness"), R"({"value":0.4})"),
            R"(settings.display-operation {"SetBrightness":{"value":0.4}})");
  EXPECT_THAT(invoke(action_of(section, "brightness"), R"({"value":1.5})"), StartsWith("refused"));
  EXPECT_EQ(invoke(action_of(section, "scale"), R"({"choice":"150%"})"),
            R"(settings.display-operation {"SetScale":{"label":"150%"}})");
  EXPECT_EQ(invoke(action_of(section, "confirm"), "{}"), R"(settings.display-operation "Confirm")");
}

TEST(DisplaysCatalogue, OneChildPerOutputWithItsTenActions) {
  const FakeInputs fake = two_outputs();
  const auto section = displays_resource(fake.inputs());
  EXPECT_THAT(child_ids(section), ElementsAre("settings.display-output:eDP-1", "settings.display-output:DP-1"));
  EXPECT_THAT(action_names(section), ElementsAre("auto_brightness", "night_light", "night_light_temperature",
                                                 "brightness", "scale", "apply", "confirm", "revert"));

  const auto& panel = child_of(section, "settings.display-output:eDP-1");
  const auto& monitor = child_of(section, "settings.display-output:DP-1");
  EXPECT_EQ(panel.kind, "settings.display-output");
  EXPECT_EQ(panel.title, "eDP-1");
  EXPECT_EQ(monitor.title, "Dell U2720Q");
  EXPECT_THAT(action_names(monitor), ElementsAre("enabled", "scale", "position", "mirror", "primary", "mode",
                                                 "transform", "hdr", "vrr", "color-profile"));
  for (const auto& action : monitor.actions) {
    EXPECT_THAT(action.contract.tags, ElementsAre("device-local", "display", "live-output")) << action.name;
  }

  EXPECT_THAT(choices_of(action_of(panel, "position")),
              ElementsAre("Automatic", "Left of Dell U2720Q", "Right of Dell U2720Q", "Above of Dell U2720Q",
                          "Below of Dell U2720Q"));
  EXPECT_THAT(choices_of(action_of(monitor, "mirror")), ElementsAre("Extend workspace", "Mirror eDP-1"));
  EXPECT_THAT(choices_of(action_of(monitor, "mode")), ElementsAre("3840 × 2160 @ 60 Hz", "1920 × 1080 @ 59.94 Hz"));
  EXPECT_THAT(choices_of(action_of(monitor, "transform")),
              ElementsAre("Landscape", "Portrait right", "Upside down", "Portrait left"));
  EXPECT_THAT(choices_of(action_of(monitor, "color-profile")), ElementsAre("System default", "sRGB · srgb"));

  // The output's "scale" shares the section's id and values but not its title or payload.
  EXPECT_EQ(choices_of(action_of(monitor, "scale")), choices_of(action_of(section, "scale")));
  EXPECT_EQ(action_of(monitor, "scale").title, "Set output scale");
  EXPECT_EQ(invoke(action_of(monitor, "scale"), R"({"choice":"150%"})"),
            R"(settings.display-operation {"SetOutputScale":{"connector":"DP-1","label":"150%"}})");
  EXPECT_EQ(invoke(action_of(panel, "position"), R"({"choice":"Left of Dell U2720Q"})"),
            R"(settings.display-operation {"SetPosition":{"connector":"eDP-1","label":"Left of Dell U2720Q"}})");
  EXPECT_EQ(invoke(action_of(monitor, "hdr"), R"({"value":true})"),
            R"(settings.display-operation {"SetHdr":{"connector":"DP-1","enabled":true}})");
  EXPECT_EQ(invoke(action_of(panel, "primary"), R"({"value":true})"),
            R"(settings.display-operation {"SetPrimary":{"connector":"eDP-1","primary":true}})");
}

TEST(DisplayOutputBindings, SwitchesOnTheOutputsOwnResource) {
  const auto hdr = display_output_toggle_binding("DP-1", "hdr");
  ASSERT_TRUE(hdr);
  EXPECT_EQ(hdr->resource, "settings.display-output:DP-1");
  EXPECT_EQ(hdr->spec.title, "Set HDR");
  EXPECT_EQ(invoke(hdr->spec, hdr->arguments(false).to_json_text()),
            R"(settings.display-operation {"SetHdr":{"connector":"DP-1","enabled":false}})");
  for (const auto* name : {"enabled", "primary", "vrr"}) EXPECT_TRUE(display_output_toggle_binding("DP-1", name));
  EXPECT_FALSE(display_output_toggle_binding("DP-1", "scale"));
  EXPECT_FALSE(display_output_toggle_binding("DP-1", "brightness"));
}

TEST(DisplayOutputBindings, ChoicesTakeOneTo128ValuesAndChooseTheOperationByName) {
  const auto mirror = display_output_choice_binding("HDMI-A-1", "mirror", {"Extend workspace", "Mirror eDP-1"});
  ASSERT_TRUE(mirror);
  EXPECT_EQ(mirror->resource, "settings.display-output:HDMI-A-1");
  EXPECT_EQ(mirror->spec.title, "Set output mirroring");
  EXPECT_EQ(invoke(mirror->spec, mirror->arguments("Mirror eDP-1").to_json_text()),
            R"(settings.display-operation {"SetMirror":{"connector":"HDMI-A-1","label":"Mirror eDP-1"}})");
  EXPECT_THAT(invoke(mirror->spec, mirror->arguments("Mirror DP-9").to_json_text()), StartsWith("refused"));

  const auto profile = display_output_choice_binding("DP-1", "color-profile", {"System default"});
  ASSERT_TRUE(profile);
  EXPECT_EQ(invoke(profile->spec, profile->arguments("System default").to_json_text()),
            R"(settings.display-operation {"SetColorProfileLabel":{"connector":"DP-1","label":"System default"}})");

  EXPECT_TRUE(display_output_choice_binding("DP-1", "mode", std::vector<std::string>(128, "1920 × 1080")));
  EXPECT_FALSE(display_output_choice_binding("DP-1", "mode", std::vector<std::string>(129, "1920 × 1080")));
  EXPECT_FALSE(display_output_choice_binding("DP-1", "mode", {}));
  EXPECT_FALSE(display_output_choice_binding("DP-1", "enabled", {"On"}));
}

}  // namespace
}  // namespace settings::actions
