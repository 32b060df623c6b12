#include "settings_store/display_config.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"

namespace settings_store::hardware {
namespace {

namespace fs = std::filesystem;

class DisplayConfigFile : public ::testing::Test {
 protected:
  DisplayConfigFile() {
    char pattern[] = "/tmp/orvo-display-config-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace(root_, root_ / "config");
  }
  ~DisplayConfigFile() override {
    paths_.reset();
    fs::remove_all(root_);
  }
  void write(std::string_view text) {
    const auto file = DisplayConfig::path().value();
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

TEST_F(DisplayConfigFile, RoundTripsEveryFieldAtItsPlace) {
  EXPECT_EQ(DisplayConfig::path().value(), root_ / "config/orvo/display/config.json");
  DisplayConfig config;
  config.outputs["DP-1"] = OutputSettings{"eDP-1", "srgb-d65", OutputMode{2560, 1440, 59951}, 1.75, -1920, 240,
                                          false, true, true, true, OutputTransform::Rotate270};
  config.outputs["eDP-1"] = OutputSettings{};
  ASSERT_TRUE(config.save().has_value());
  EXPECT_EQ(fs::status(*DisplayConfig::path()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  const auto loaded = DisplayConfig::load();
  ASSERT_TRUE(loaded.has_value()) << loaded.error();
  EXPECT_EQ(*loaded, config);
  EXPECT_EQ(loaded->to_json(),
            R"({"DP-1":{"mirror":"eDP-1","color_profile":"srgb-d65","mode":{"width":2560,"height":1440,)"
            R"("refresh_mhz":59951},"scale":1.75,"x":-1920,"y":240,"enabled":false,"primary":true,"hdr":true,)"
            R"("vrr":true,"transform":"rotate270"},"eDP-1":{"mirror":null,"color_profile":null,"mode":null,)"
            R"("scale":1.0,"x":0,"y":0,"enabled":true,"primary":false,"hdr":false,"vrr":false,"transform":"normal"}})");
}

TEST_F(DisplayConfigFile, MissingFileIsEmptyAndLeftOutKeysKeepTheirDefaults) {
  EXPECT_EQ(DisplayConfig::load().value(), DisplayConfig{});
  write(R"({"HDMI-A-1": {"scale": 2.0, "primary": true}})");
  const auto loaded = DisplayConfig::load();
  ASSERT_TRUE(loaded.has_value()) << loaded.error();
  OutputSettings expected;
  expected.scale = 2.0;
  expected.primary = true;
  EXPECT_EQ(loaded->outputs.at("HDMI-A-1"), expected);
}

TEST_F(DisplayConfigFile, DamagedFileIsAnErrorAndStaysAsItWas) {
  for (const std::string_view damaged : {R"({"DP-1": {"scale": "big"}})", R"({"DP-1": )", R"(["DP-1"])",
                                         R"({"DP-1": {"transform": "sideways"}})"}) {
    write(damaged);
    const auto loaded = DisplayConfig::load();
    ASSERT_FALSE(loaded.has_value()) << damaged;
    EXPECT_TRUE(loaded.error().starts_with("the display configuration is damaged: ")) << loaded.error();
    std::ifstream in(*DisplayConfig::path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
  }
}

TEST_F(DisplayConfigFile, UnreadableFileIsAnErrorNotAnEmptyConfiguration) {
  fs::create_directories(*DisplayConfig::path());  // a directory where the file should be
  const auto loaded = DisplayConfig::load();
  ASSERT_FALSE(loaded.has_value());
  EXPECT_TRUE(loaded.error().starts_with("could not read the display configuration: ")) << loaded.error();
}

// Two connected outputs: a laptop panel and a monitor that can do more.
std::vector<OutputCapabilities> connected_outputs() {
  return {
      {"eDP-1", {{1920, 1080, 60000}, {1920, 1080, 48000}}, {}, false, false},
      {"DP-1", {{3840, 2160, 60000}, {1920, 1080, 60000}}, {"srgb", "p3"}, true, true},
  };
}

TEST(DisplayValidation, EachFaultIsFoundAndNamed) {
  struct Case {
    std::string_view name;
    std::function<void(DisplayConfig&)> edit;
    std::string debug;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"all off", [](DisplayConfig& c) { c.outputs["eDP-1"].enabled = c.outputs["DP-1"].enabled = false; },
       "NoEnabledOutput"},
      {"two primaries", [](DisplayConfig& c) { c.outputs["eDP-1"].primary = c.outputs["DP-1"].primary = true; },
       "MultiplePrimary"},
      {"mirror of an unplugged output", [](DisplayConfig& c) { c.outputs["DP-1"].mirror = "HDMI-A-1"; },
       R"(UnknownMirrorTarget { output: "DP-1", target: "HDMI-A-1" })"},
      {"mirror of itself", [](DisplayConfig& c) { c.outputs["eDP-1"].mirror = "eDP-1"; },
       R"(MirrorCycle { output: "eDP-1" })"},
      {"mirrors of each other",
       [](DisplayConfig& c) {
         c.outputs["eDP-1"].mirror = "DP-1";
         c.outputs["DP-1"].mirror = "eDP-1";
       },
       R"(MirrorCycle { output: "DP-1" })"},
      {"mirror sizes differ",
       [](DisplayConfig& c) {
         c.outputs["DP-1"].mirror = "eDP-1";
         c.outputs["DP-1"].mode = OutputMode{3840, 2160, 60000};
         c.outputs["eDP-1"].mode = OutputMode{1920, 1080, 60000};
       },
       R"(IncompatibleMirrorModes { output: "DP-1", target: "eDP-1" })"},
      {"mode not offered", [](DisplayConfig& c) { c.outputs["eDP-1"].mode = OutputMode{1920, 1080, 59940}; },
       R"(UnsupportedMode { output: "eDP-1" })"},
      {"scale too small", [](DisplayConfig& c) { c.outputs["DP-1"].scale = 0.25; }, R"(InvalidScale { output: "DP-1" })"},
      {"scale too large", [](DisplayConfig& c) { c.outputs["DP-1"].scale = 4.5; }, R"(InvalidScale { output: "DP-1" })"},
      {"scale not a number", [nan](DisplayConfig& c) { c.outputs["DP-1"].scale = nan; },
       R"(InvalidScale { output: "DP-1" })"},
      {"HDR on the panel", [](DisplayConfig& c) { c.outputs["eDP-1"].hdr = true; }, R"(UnsupportedHdr { output: "eDP-1" })"},
      {"VRR on the panel", [](DisplayConfig& c) { c.outputs["eDP-1"].vrr = true; }, R"(UnsupportedVrr { output: "eDP-1" })"},
      {"unknown colour profile", [](DisplayConfig& c) { c.outputs["DP-1"].color_profile = "adobe-rgb"; },
       R"(UnsupportedColorProfile { output: "DP-1" })"},
  };
  for (const Case& c : cases) {
    DisplayConfig config;
    c.edit(config);
    const auto checked = config.validate_for(connected_outputs());
    ASSERT_FALSE(checked.has_value()) << c.name;
    EXPECT_EQ(debug_string(checked.error()), c.debug) << c.name;
  }
}

TEST(DisplayValidation, AcceptsAFullLayoutAndIgnoresUnpluggedOutputs) {
  DisplayConfig config;
  EXPECT_TRUE(config.validate_for(connected_outputs()).has_value());  // defaults throughout

  auto& monitor = config.outputs["DP-1"];
  monitor = {std::nullopt, "p3", OutputMode{1920, 1080, 60000}, 2.0, 1920, 0, true, true, true, true,
             OutputTransform::Rotate90};
  auto& panel = config.outputs["eDP-1"];
  panel.mirror = "DP-1";
  panel.mode = OutputMode{1920, 1080, 48000};  // same size as the target's, another rate
  panel.scale = 0.5;
  // An output plugged in last week keeps its entry, faults and all.
  config.outputs["HDMI-A-1"] = {"VGA-1", std::nullopt, OutputMode{640, 480, 0}, 9.0, 0, 0, true, true, true, true,
                                OutputTransform::Normal};
  const auto checked = config.validate_for(connected_outputs());
  EXPECT_TRUE(checked.has_value()) << debug_string(checked.error());
}

}  // namespace
}  // namespace settings_store::hardware
