// The Displays pane's label tables, output order, and layout staging as pure functions.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "panes/display/display_outputs.h"
#include "panes/display/display_staging.h"

namespace settings::panes::display::testing {
namespace {

using hw::DisplayConfig;
using hw::OutputMode;

TEST(DisplayLabels, NearestEntryWithTheEarlierOnATie) {
  EXPECT_EQ(scale_label(1.125), "100%");
  EXPECT_EQ(scale_label(3.0), "200%");
  EXPECT_EQ(scale_label(1.3), "125%");
  EXPECT_EQ(scale_from_label("125%"), 1.25);
  EXPECT_EQ(scale_from_label("110%"), std::nullopt);
  EXPECT_EQ(night_light_label(4100), "Subtle \u00b7 4500 K");
  EXPECT_EQ(night_light_label(1000), "Very warm \u00b7 2800 K");
  EXPECT_EQ(night_light_from_label("Warm \u00b7 3700 K"), 3700u);
  EXPECT_EQ(orientation_label(std::uint8_t{1}), "Portrait right");
  EXPECT_EQ(orientation_label(std::uint8_t{9}), "Landscape");
  EXPECT_EQ(orientation_from_label("Upside down"), hw::OutputTransform::Rotate180);
  EXPECT_EQ(orientation_from_label("upside down"), std::nullopt);
}

TEST(DisplayOutputs, BuiltInFirstThenConnectedThenLabelBytesWithCardSuffix) {
  auto snapshot = settings_store::DisplayHardwareSnapshot::parse(R"({"outputs": [
    {"connector": "DP-3", "display_name": "Acme", "connected": false},
    {"connector": "DP-1", "display_name": "acme"},
    {"connector": "HDMI-A-2", "display_name": "Dell", "card": "card1"},
    {"connector": "HDMI-A-1", "display_name": "Dell", "card": "card0"},
    {"connector": "DP-2"},
    {"connector": "eDP-1", "display_name": "Zeta panel", "built_in": true}]})");
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  std::vector<std::string> labels;
  for (const auto& output : display_outputs_of(snapshot)) labels.push_back(output.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"Built-in display", "DP-2", "Dell \u00b7 card0", "Dell \u00b7 card1",
                                              "acme", "Acme"}));
  EXPECT_TRUE(display_outputs_of(std::unexpected(std::string("unreadable"))).empty());
}

TEST(DisplayOutputs, PositionChoicesNameEveryOtherOutput) {
  std::vector<DisplayOutput> outputs(2);
  outputs[0].label = "Built-in display";
  outputs[0].connector = "eDP-1";
  outputs[1].label = "Studio";
  outputs[1].connector = "HDMI-A-1";
  EXPECT_EQ(position_choices("Automatic", outputs, "HDMI-A-1"),
            (std::vector<std::string>{"Automatic", "Left of Built-in display", "Right of Built-in display",
                                      "Above of Built-in display", "Below of Built-in display"}));
  EXPECT_EQ(position_choices(std::nullopt, outputs, "eDP-1").front(), "Left of Studio");
}

TEST(DisplayModes, LargestCommonSizeAndBestRefresh) {
  const std::vector<OutputMode> uhd{{3840, 2160, 60000}, {1920, 1080, 50000}, {1920, 1080, 60000}, {1280, 720, 60000}};
  const std::vector<OutputMode> fhd{{1920, 1080, 60000}, {1280, 720, 75000}};
  EXPECT_EQ(largest_common_mode_size(uhd, fhd), std::pair(1920u, 1080u));
  EXPECT_EQ(largest_common_mode_size(uhd, {{800, 600, 60000}}), std::nullopt);
  EXPECT_EQ(best_mode_of_size(uhd, 1920, 1080), (OutputMode{1920, 1080, 60000}));
  EXPECT_EQ(best_mode_of_size(uhd, 640, 480), std::nullopt);
}

// A panel without a current mode, a 4K monitor, a 1080p monitor without HDR, and a projector that is
// not connected.
std::vector<DisplayOutput> three_outputs() {
  std::vector<DisplayOutput> outputs(4);
  outputs[3].label = "Projector";
  outputs[3].connector = "DP-2";
  outputs[3].connected = false;
  outputs[3].modes = {{1280, 720, 60000}};
  outputs[0].label = "Built-in display";
  outputs[0].connector = "eDP-1";
  outputs[0].built_in = true;
  outputs[0].modes = {{1920, 1080, 60000}};
  outputs[1].label = "Studio";
  outputs[1].connector = "HDMI-A-1";
  outputs[1].display_name = "Studio Monitor";
  outputs[1].modes = {{3840, 2160, 60000}, {1920, 1080, 50000}, {1920, 1080, 60000}};
  outputs[1].current_mode = outputs[1].modes.front();
  outputs[1].hdr_available = outputs[1].hdr_capable = true;
  outputs[2].label = "Office";
  outputs[2].connector = "DP-1";
  outputs[2].modes = {{1920, 1080, 60000}, {1920, 1080, 75000}};
  outputs[2].current_mode = outputs[2].modes.front();
  return outputs;
}

struct StagingCase {
  std::string_view name;
  std::map<std::string, OutputEdits> edits;
  bool changed;
  std::optional<std::string> primary;
  // Checks of the working copy, when it is valid.
  std::function<void(const DisplayConfig&)> check;
  std::optional<std::string> reason;
};

TEST(DisplayStaging, EditsOfTheDocumentBecomeAConfiguration) {
  const auto outputs = three_outputs();
  auto primary_of = [](const DisplayConfig& config) {
    std::vector<std::string> primary;
    for (const auto& [connector, entry] : config.outputs) {
      if (entry.primary) primary.push_back(connector);
    }
    return primary;
  };
  const std::vector<StagingCase> cases = {
      {"texts as shown are no edit",
       {{"eDP-1", {.enabled = true, .primary = true, .scale = "100%", .transform = "Landscape",
                   .color_profile = "System default", .mirror = "Extend workspace", .position = "Automatic"}},
        {"HDMI-A-1", {.primary = false, .mode = OutputMode{3840, 2160, 60000}.label()}}},
       false, "eDP-1", {}, {}},
      {"a new primary", {{"DP-1", {.primary = true}}}, true, "DP-1",
       [&](const DisplayConfig& c) { EXPECT_EQ(primary_of(c), std::vector<std::string>{"DP-1"}); }, {}},
      {"the primary switched off moves it", {{"eDP-1", {.enabled = false}}}, true, "HDMI-A-1",
       [&](const DisplayConfig& c) {
         EXPECT_FALSE(c.outputs.at("eDP-1").enabled);
         EXPECT_EQ(primary_of(c), std::vector<std::string>{"HDMI-A-1"});
       },
       {}},
      {"every output off",
       {{"eDP-1", {.enabled = false}}, {"HDMI-A-1", {.enabled = false}}, {"DP-1", {.enabled = false}}}, true,
       std::nullopt, {}, "at least one display must stay on"},
      {"right of an output without a current mode", {{"DP-1", {.position = "Right of Built-in display"}}}, true,
       "eDP-1", [](const DisplayConfig& c) { EXPECT_EQ(std::pair(c.outputs.at("DP-1").x, c.outputs.at("DP-1").y), std::pair(1920, 0)); },
       {}},
      {"below an output without a current mode", {{"DP-1", {.position = "Below of Built-in display"}}}, true, "eDP-1",
       [](const DisplayConfig& c) { EXPECT_EQ(std::pair(c.outputs.at("DP-1").x, c.outputs.at("DP-1").y), std::pair(0, 1080)); },
       {}},
      {"left of an output named by its display name", {{"DP-1", {.position = "Left of Studio Monitor"}}}, true, "eDP-1",
       [](const DisplayConfig& c) { EXPECT_EQ(c.outputs.at("DP-1").x, 0); }, {}},
      {"a position naming an output not connected", {{"DP-1", {.position = "Left of Projector"}}}, false, "eDP-1", {}, {}},
      {"a mirror of an output not connected", {{"DP-1", {.mirror = "Mirror Projector"}}}, false, "eDP-1", {}, {}},
      {"an output not connected is not edited", {{"DP-2", {.scale = "150%"}}}, false, "eDP-1", {}, {}},
      {"mirroring the 4K output with the 1080p one", {{"DP-1", {.mirror = "Mirror Studio"}}}, true, "eDP-1",
       [](const DisplayConfig& c) {
         EXPECT_EQ(c.outputs.at("DP-1").mirror, "HDMI-A-1");
         EXPECT_EQ(c.outputs.at("DP-1").mode, (OutputMode{1920, 1080, 75000}));
         EXPECT_EQ(c.outputs.at("HDMI-A-1").mode, (OutputMode{1920, 1080, 60000}));
       },
       {}},
      {"HDR on an output without it", {{"DP-1", {.hdr = true}}}, false, "eDP-1", {}, {}},
      {"HDR on an output with it", {{"HDMI-A-1", {.hdr = true}}}, true, "eDP-1",
       [](const DisplayConfig& c) { EXPECT_TRUE(c.outputs.at("HDMI-A-1").hdr); }, {}},
      {"a mode the output lacks", {{"DP-1", {.mode = OutputMode{640, 480, 60000}.label()}}}, false, "eDP-1", {}, {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const StagedLayout layout = stage_layout(DisplayConfig{}, outputs, test.edits);
    EXPECT_EQ(layout.changed, test.changed);
    EXPECT_EQ(layout.primary, test.primary);
    if (test.reason) {
      ASSERT_TRUE(layout.invalid.has_value());
      EXPECT_EQ(validation_reason(*layout.invalid, outputs), *test.reason);
      continue;
    }
    EXPECT_FALSE(layout.invalid.has_value()) << hw::debug_string(*layout.invalid);
    if (test.check) test.check(layout.working);
  }
}

TEST(DisplayStaging, UnknownProfileOrMirrorTextsFallBackToTheDefaults) {
  auto outputs = three_outputs();
  outputs[1].color_profile_ids = {"srgb"};
  outputs[1].color_profile_names = {{"srgb", "sRGB"}};
  DisplayConfig base;
  base.outputs["HDMI-A-1"].color_profile = "srgb";
  base.outputs["DP-1"].mirror = "HDMI-A-1";
  base.outputs["DP-1"].mode = OutputMode{1920, 1080, 75000};
  base.outputs["HDMI-A-1"].mode = OutputMode{1920, 1080, 60000};
  const auto layout = stage_layout(
      base, outputs, {{"HDMI-A-1", {.color_profile = "Vivid"}}, {"DP-1", {.mirror = "Mirror Nobody"}}});
  EXPECT_TRUE(layout.changed);
  EXPECT_EQ(layout.working.outputs.at("HDMI-A-1").color_profile, std::nullopt);
  EXPECT_EQ(layout.working.outputs.at("DP-1").mirror, std::nullopt);
  EXPECT_EQ(colour_profile_text(outputs[1], "srgb"), "sRGB \u00b7 srgb");
  EXPECT_EQ(mirror_text(outputs, std::string("DP-9")), "Extend workspace");
}

TEST(DisplayStaging, ReasonsNameTheOutputsByLabel) {
  const auto outputs = three_outputs();
  namespace e = hw::display_error;
  EXPECT_EQ(validation_reason(e::UnsupportedHdr{"DP-1"}, outputs), "Office does not support HDR");
  EXPECT_EQ(validation_reason(e::IncompatibleMirrorModes{"DP-1", "HDMI-A-1"}, outputs),
            "Office and Studio have no resolution in common");
  EXPECT_EQ(validation_reason(e::UnknownMirrorTarget{"DP-1", "DP-7"}, outputs), "Office mirrors DP-7, which is not connected");
  EXPECT_EQ(validation_reason(e::MultiplePrimary{}, outputs), "only one display can be the primary display");
}

}  // namespace
}  // namespace settings::panes::display::testing
