#include "settings_store/display_hardware.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "orvo_runtime/system_paths.h"
#include "temp_tree.h"

namespace {

using os_actions_testing::TempTree;
using settings_store::DisplayHardwareSnapshot;
using settings_store::OutputMode;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

TEST(OutputMode, LabelsShowSizeAndRate) {
  struct Case {
    OutputMode mode;
    const char* label;
  };
  for (const Case& c : {Case{{1920, 1080, 60000}, "1920 × 1080 @ 60 Hz"}, Case{{2560, 1440, 59951}, "2560 × 1440 @ 59.951 Hz"},
                        Case{{3840, 2160, 29970}, "3840 × 2160 @ 29.97 Hz"}, Case{{1024, 768, 0}, "1024 × 768"}}) {
    EXPECT_EQ(c.mode.label(), c.label);
  }
}

TEST(DisplayHardwareSnapshot, ReadsTheCompositorsSnapshot) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root(), std::nullopt, tree.root() / "run-user");
  tree.write("run-user/orvo/display-hardware.json", fixture("display-hardware.json"));
  EXPECT_EQ(DisplayHardwareSnapshot::path(), tree.root() / "run-user/orvo/display-hardware.json");

  auto snapshot = DisplayHardwareSnapshot::load();
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  ASSERT_EQ(snapshot->outputs.size(), 2u);
  const auto* panel = snapshot->output_by_connector("eDP-1");
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->built_in);
  EXPECT_EQ(panel->modes.size(), 2u);
  EXPECT_EQ(panel->current_mode, (OutputMode{2880, 1800, 120000}));
  EXPECT_EQ(panel->color_profiles, (std::vector<std::string>{"builtin-p3", "srgb"}));
  // The profile map keeps the compositor's order.
  ASSERT_EQ(panel->color_profile_names.size(), 2u);
  EXPECT_EQ(panel->color_profile_names[0], (std::pair<std::string, std::string>{"srgb", "sRGB"}));
  EXPECT_FALSE(panel->hdr_capable);
  EXPECT_TRUE(panel->vrr_capable);
  EXPECT_EQ(panel->card_qualifier(), std::nullopt);

  const auto* monitor = snapshot->output_by_connector("DP-2");
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(monitor->display_name, "Studio Monitor 27");
  EXPECT_EQ(monitor->card_qualifier(), "card1");
  EXPECT_TRUE(monitor->hdr_capable);
  EXPECT_FALSE(monitor->current_mode.has_value());
  EXPECT_EQ(snapshot->output_by_connector("HDMI-A-1"), nullptr);
}

TEST(DisplayHardwareSnapshot, BrokenSnapshotsAreErrorsThatNameTheProblem) {
  struct Case {
    const char* json;
    const char* error;
  };
  for (const Case& c : {
           Case{"[]", "display snapshot is not a JSON object"},
           Case{R"({"outputs": 3})", "display snapshot has no `outputs` list"},
           Case{R"({"outputs": [{"display_name": "x"}]})", "display snapshot output 1 has no connector"},
           Case{R"({"outputs": [{"connector": "DP-1"}, {"connector": "DP-1"}]})",
                "display snapshot lists connector DP-1 twice"},
           Case{R"({"outputs": [{"connector": "DP-1", "modes": [{"width": 1920, "height": 1080}]}]})",
                "display snapshot output 1: `modes` has the wrong type"},
           Case{R"({"outputs": [{"connector": "DP-1", "hdr_capable": "yes"}]})",
                "display snapshot output 1: `hdr_capable` has the wrong type"},
           Case{R"({"outputs": [{"connector": "DP-1", "modes": [{"width": -1, "height": 1, "refresh_mhz": 1}]}]})",
                "display snapshot output 1: `modes` has the wrong type"},
       }) {
    auto snapshot = DisplayHardwareSnapshot::parse(c.json);
    ASSERT_FALSE(snapshot.has_value()) << c.json;
    EXPECT_EQ(snapshot.error(), c.error);
  }
}

TEST(DisplayHardwareSnapshot, WithoutASnapshotReadsDrmConnectors) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root(), std::nullopt, tree.root() / "run-user");
  tree.write("sys/class/drm/card0-eDP-1/status", "connected\n");
  tree.write("sys/class/drm/card0-eDP-1/modes", "1920x1080\n1920x1080\n1280x720\n");
  tree.write("sys/class/drm/card0-HDMI-A-1/status", "disconnected\n");
  tree.write("sys/class/drm/card0/dev", "226:0\n");
  tree.write("sys/class/drm/renderD128/dev", "226:128\n");
  auto snapshot = DisplayHardwareSnapshot::load();
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  ASSERT_EQ(snapshot->outputs.size(), 1u);
  const auto& panel = snapshot->outputs[0];
  EXPECT_EQ(panel.connector, "eDP-1");
  EXPECT_TRUE(panel.built_in);
  EXPECT_EQ(panel.modes, (std::vector<OutputMode>{{1920, 1080, 0}, {1280, 720, 0}}));
  EXPECT_EQ(panel.card_qualifier(), std::nullopt);  // one card: nothing to tell apart

  // A second card with a connected output: both now say which card they are on.
  tree.write("sys/class/drm/card1-DP-3/status", "connected\n");
  auto two_cards = DisplayHardwareSnapshot::load();
  ASSERT_TRUE(two_cards.has_value());
  ASSERT_EQ(two_cards->outputs.size(), 2u);
  EXPECT_EQ(two_cards->outputs[0].card_qualifier(), "card0");
  EXPECT_EQ(two_cards->outputs[1].card_qualifier(), "card1");
}

TEST(DisplayHardwareSnapshot, NoSnapshotAndNoDrmIsAnError) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root(), std::nullopt, tree.root() / "run-user");
  auto snapshot = DisplayHardwareSnapshot::load();
  ASSERT_FALSE(snapshot.has_value());
  EXPECT_EQ(snapshot.error(), "no display snapshot and no DRM devices to read outputs from");
}

}  // namespace
