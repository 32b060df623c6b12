#include "os_actions/battery.h"

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"
#include "temp_tree.h"

namespace {

using os_actions::battery::ChargeControlKind;
using os_actions_testing::TempTree;

struct File {
  std::string path;
  std::string content;
};

struct Case {
  std::string name;
  std::vector<File> files;
  bool present;
  std::vector<std::uint32_t> supported;
  std::uint32_t current;
  ChargeControlKind kind;
  bool start_stop;
};

TEST(BatteryChargeCapability, ReadsEachKindOfControlFromSysfs) {
  const std::vector<std::uint32_t> caps = {50, 60, 70, 80, 90, 100};
  const std::vector<Case> cases = {
      {"desktop without battery", {{"sys/class/power_supply/AC/type", "Mains\n"}}, false, {}, 0, {}, false},
      {"battery without control", {{"sys/class/power_supply/BAT0/type", "Battery\n"}}, false, {}, 0, {}, false},
      {"stop threshold",
       {{"sys/class/power_supply/AC/type", "Mains\n"},
        {"sys/class/power_supply/BAT0/type", "Battery\n"},
        {"sys/class/power_supply/BAT0/charge_control_end_threshold", "80\n"}},
       true, caps, 80, ChargeControlKind::StopThreshold, false},
      {"start and end window with an unusual cap",
       {{"sys/class/power_supply/BAT1/type", "Battery\n"},
        {"sys/class/power_supply/BAT1/charge_control_start_threshold", "40\n"},
        {"sys/class/power_supply/BAT1/charge_control_end_threshold", "85\n"}},
       true, {50, 60, 70, 80, 85, 90, 100}, 85, ChargeControlKind::StartEndWindow, true},
      {"vendor conservation mode",
       {{"sys/class/power_supply/BAT0/type", "Battery\n"},
        {"sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/conservation_mode", "1\n"}},
       true, {60, 100}, 60, ChargeControlKind::ConservationMode, false},
  };
  for (const auto& c : cases) {
    TempTree tree;
    for (const auto& f : c.files) tree.write(f.path, f.content);
    system_paths::ScopedOverride root(tree.root());
    auto result = os_actions::battery::charge_capability();
    ASSERT_TRUE(result.has_value()) << c.name << ": " << result.error();
    ASSERT_EQ(result->has_value(), c.present) << c.name;
    if (!c.present) continue;
    const auto& capability = **result;
    EXPECT_EQ(capability.supported_percents, c.supported) << c.name;
    EXPECT_EQ(capability.current_percent, c.current) << c.name;
    EXPECT_EQ(capability.kind, c.kind) << c.name;
    EXPECT_EQ(capability.start_stop_thresholds, c.start_stop) << c.name;
  }
}

TEST(BatteryChargeCapability, UnreadableControlIsAnErrorNotAMissingFeature) {
  TempTree tree;
  tree.write("sys/class/power_supply/BAT0/type", "Battery\n");
  tree.write("sys/class/power_supply/BAT0/charge_control_end_threshold", "eighty\n");
  system_paths::ScopedOverride root(tree.root());
  auto result = os_actions::battery::charge_capability();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), "could not read the charge cap of BAT0");
}

}  // namespace
