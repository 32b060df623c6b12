// The Power page as it is laid out: which cards and rows it shows for a machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/pane_harness.h"
#include "panes/power/power_pane.h"

namespace settings::panes::power {
namespace {

using Kind = os_actions::battery::ChargeControlKind;
using testing::PaneHarness;

PowerFacts laptop() {
  PowerFacts facts;
  facts.battery.present = true;
  facts.battery.percent = 64;
  facts.battery.state = 2;
  facts.battery.cycle_count = 212;
  facts.battery.capacity = 91.2;
  facts.available_profiles = {0, 1, 2};
  facts.charge_capability = os_actions::battery::ChargeCapability{{50, 60, 70, 80, 90, 100}, 80, false, Kind::StopThreshold};
  facts.history = {{1000, 90}, {2000, 70}, {3000, 55}};
  return facts;
}

std::size_t count_named(const orvo_ui::Widget& widget, std::string_view name) {
  std::size_t count = widget.name() == name ? 1 : 0;
  for (const auto* child : widget.children()) count += count_named(*child, name);
  return count;
}

struct Page {
  std::vector<std::string> texts;
  std::size_t charts = 0;
  bool shows(std::string_view text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
};

Page page_of(PowerFacts facts) {
  PowerPane pane(std::move(facts), std::make_shared<os_actions::Dispatcher>(), preferences::PowerPrefs{});
  testing::PaneInALoop ui(pane, 1280, 800);
  return {testing::texts_of(pane), count_named(pane, "Sparkline")};
}

TEST(PowerView, BatteryCardWithHistoryCapAndHealth) {
  PaneHarness harness;
  const Page page = page_of(laptop());
  for (const char* text : {"Battery", "Charge", "64%", "Charge cycles", "212", "Battery health", "91%", "Charge cap",
                           "Power profile", "Automatic power saving", "Power behaviour", "Lock after",
                           "When the battery is critically low",
                           "Charge history · last 30 days · sampled at most every 15 minutes. Device names and serial "
                           "numbers are never stored.",
                           "You'll be warned at 15% and this action runs at 5%."}) {
    EXPECT_TRUE(page.shows(text)) << text;
  }
  EXPECT_EQ(page.charts, 1u);
  EXPECT_FALSE(page.shows("Power source"));
  EXPECT_FALSE(page.shows("Power devices"));
}

TEST(PowerView, NoBatteryOneSampleAndNoProfiles) {
  PaneHarness harness;
  PowerFacts desktop;
  desktop.profile_notice = "Power-profile service is unavailable: the power-profile service is not running";
  Page page = page_of(desktop);
  EXPECT_TRUE(page.shows("Power source"));
  EXPECT_TRUE(page.shows("AC power"));
  EXPECT_TRUE(page.shows(
      "This device has no battery — it runs on mains power, so charge and battery-saver settings don't apply."));
  EXPECT_FALSE(page.shows("Battery"));
  EXPECT_TRUE(page.shows("Power-profile service unavailable"));
  EXPECT_TRUE(page.shows(*desktop.profile_notice));

  PowerFacts one_sample = laptop();
  one_sample.history = {{1000, 90}};
  one_sample.charge_capability.reset();
  page = page_of(one_sample);
  EXPECT_EQ(page.charts, 0u);
  EXPECT_FALSE(page.shows(
      "Charge history · last 30 days · sampled at most every 15 minutes. Device names and serial numbers are never "
      "stored."));
  EXPECT_TRUE(page.shows("Not supported by this hardware"));
  one_sample.battery.capacity.reset();
  EXPECT_TRUE(page_of(one_sample).shows("Not reported by this device"));
}

TEST(PowerView, PowerDevicesCardOnlyForTwoOrMore) {
  PaneHarness harness;
  PowerFacts facts = laptop();
  facts.devices = {{"BAT0", "Laptop battery", "Discharging", 57, false}};
  EXPECT_FALSE(page_of(facts).shows("Power devices"));
  facts.devices.push_back({"hiddev0", std::nullopt, "Fully charged", 100, true});
  const Page page = page_of(facts);
  EXPECT_TRUE(page.shows("Power devices"));
  EXPECT_TRUE(page.shows("Laptop battery"));
  EXPECT_TRUE(page.shows("Battery · 57% · Discharging"));
  EXPECT_TRUE(page.shows("hiddev0"));
  EXPECT_TRUE(page.shows("UPS · 100% · Fully charged"));
}

TEST(PowerView, ChargeCapCaptionByKind) {
  PaneHarness harness;
  struct Case {
    Kind kind;
    bool start_stop;
    std::string caption;
  };
  const std::vector<Case> cases = {
      {Kind::StopThreshold, false,
       "The kernel exposes a hardware stop threshold. A lower cap can reduce long-term battery wear."},
      {Kind::StopThreshold, true,
       "The kernel exposes start and stop thresholds; Orvo adjusts the start only when required by a lower cap."},
      {Kind::ConservationMode, false,
       "This laptop exposes a discrete conservation mode, so only its real hardware choices are offered."},
      {Kind::StartEndWindow, true, "The platform uses paired start/end thresholds; Orvo preserves a safe charging window."},
      {Kind::StartEndWindow, false, "The platform uses paired start/end thresholds; Orvo preserves a safe charging window."},
  };
  for (const auto& c : cases) {
    PowerFacts facts = laptop();
    facts.charge_capability->kind = c.kind;
    facts.charge_capability->start_stop_thresholds = c.start_stop;
    EXPECT_TRUE(page_of(facts).shows(c.caption)) << c.caption;
  }
}

}  // namespace
}  // namespace settings::panes::power
