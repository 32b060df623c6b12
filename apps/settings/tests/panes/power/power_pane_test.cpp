// The Power pane against a temporary home with a fake charge-cap tree and a recording dispatcher:
// its labels, the operations it takes and how each ends, what it keeps between operations, what it
// saves, and its page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <chrono>
#include <future>
#include <ostream>
#include <thread>
#include <string>
#include <vector>

#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "panes/power/power_labels.h"
#include "panes/power/power_pane.h"
#include "preferences/preferences_file.h"

namespace settings::panes::power {
namespace {

using settings_app::OperationStatus;
using testing::PaneHarness;
using Kind = os_actions::battery::ChargeControlKind;

constexpr std::string_view kEndThreshold = "sys/class/power_supply/BAT0/charge_control_end_threshold";

// Records the profiles asked for; fails when told to.
struct RecordingDispatcher final : os_actions::Dispatcher {
  mutable std::vector<std::string> profiles;
  std::optional<std::string> failure;
  os_actions::DispatchResult set_power_profile(std::string_view profile) const override {
    profiles.emplace_back(profile);
    if (failure) return std::unexpected(*failure);
    return {};
  }
};

os_actions::battery::ChargeCapability stop_threshold(std::uint32_t current) {
  return {{50, 60, 70, 80, 90, 100}, current, false, Kind::StopThreshold};
}

PowerFacts laptop() {
  PowerFacts facts;
  facts.battery.present = true;
  facts.battery.percent = 64;
  facts.battery.state = 2;
  facts.available_profiles = {0, 1, 2};
  facts.active_profile = 1;
  facts.charge_capability = stop_threshold(100);
  return facts;
}

class PowerPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness.home().write("sys/class/power_supply/BAT0/type", "Battery\n");
    harness.home().write(kEndThreshold, "100\n");
  }

  // A pane mounted as the shell mounts it (reporting), or taking operations without reporting.
  PowerPane pane(PowerFacts facts = laptop(), bool reporting = true) {
    PowerPane made = PowerPane(std::move(facts), dispatcher, preferences::load_preferences().power)
                         .with_pane_operation(harness.operation_cell());
    if (!reporting) return made;
    return std::move(made).with_operation_status(harness.status_cell());
  }
  std::optional<std::string> text(PowerPane& pane, std::string_view key) {
    return lib::read_text(*pane.own_document(), orvo_doc::kRoot, key);
  }
  void put(PowerPane& pane, std::string_view key, std::string value) {
    ASSERT_TRUE(pane.own_document()->put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(std::move(value))).has_value());
  }
  // Runs passes until the profile and charge-cap calls in flight have answered.
  static void finish_calls(PowerPane& pane) {
    PaneHarness::pass(pane);
    for (int i = 0; i < 2000 && pane.applying(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      PaneHarness::pass(pane);
    }
    ASSERT_FALSE(pane.applying());
  }
  // Hands the operation over, runs passes until it is carried out and answers how it ended (under
  // its exact key).
  OperationStatus run(PowerPane& pane, PowerOperation operation, std::string* key = nullptr) {
    const std::string handed = harness.hand_over(settings_app::PaneOperation(std::move(operation)));
    if (key) *key = handed;
    finish_calls(pane);
    return harness.status();
  }
  // Runs the operation and expects it to end so, under its own key.
  void expect_end(PowerPane& pane, PowerOperation operation, bool succeeded, const std::string& sentence) {
    std::string key;
    const OperationStatus status = run(pane, std::move(operation), &key);
    const OperationStatus expected = succeeded ? OperationStatus(OperationStatus::Succeeded{key, sentence})
                                               : OperationStatus(OperationStatus::Failed{key, sentence});
    EXPECT_EQ(status, expected);
  }
  std::string cap_file() { return harness.home().read(kEndThreshold).value_or(""); }

  PaneHarness harness;
  std::shared_ptr<RecordingDispatcher> dispatcher = std::make_shared<RecordingDispatcher>();
};

TEST(PowerLabels, TablesAndDefaults) {
  EXPECT_EQ(lock_timeout_label(10), "10 minutes");
  EXPECT_EQ(lock_timeout_label(0), "Never");
  EXPECT_EQ(lock_timeout_label(7), "5 minutes");
  EXPECT_EQ(blank_timeout_label(45), "10 minutes");
  EXPECT_EQ(suspend_timeout_label(60), "1 hour");
  EXPECT_EQ(suspend_timeout_label(1), "15 minutes");
  EXPECT_EQ(suspend_minutes_from_label("45 minutes"), 45u);
  EXPECT_EQ(suspend_minutes_from_label("1 minute"), std::nullopt);
  EXPECT_EQ(suspend_minutes_from_label("two hours"), std::nullopt);
  EXPECT_EQ(lock_minutes_from_label("Never"), 0u);
  EXPECT_EQ(power_profile_label(0), "Power Saver");
  EXPECT_EQ(power_profile_label(9), "Balanced");
  EXPECT_EQ(power_profile_from_label("performance"), std::nullopt);
  const std::uint8_t profiles[] = {2, 0};
  EXPECT_EQ(power_profile_labels(profiles), (std::vector<std::string>{"Performance", "Power Saver"}));
  const std::uint8_t actions[] = {0, 1, 2};
  EXPECT_EQ(power_action_labels(actions), (std::vector<std::string>{"Suspend", "Lock screen", "Do nothing"}));
  EXPECT_EQ(power_action_from_label("Do nothing"), 2);
  EXPECT_EQ(power_action_from_label("lock screen"), std::nullopt);
}

TEST(PowerProfileAnswers, ActiveProfileOfferedListAndNotice) {
  using Active = std::expected<std::uint8_t, std::string>;
  using Offered = std::expected<std::vector<std::uint8_t>, std::string>;
  PowerFacts facts;
  take_profile_answers(facts, Active(2), Offered(std::vector<std::uint8_t>{0, 1}));
  EXPECT_EQ(facts.active_profile, 2);
  EXPECT_EQ(facts.available_profiles, (std::vector<std::uint8_t>{0, 1, 2}));
  EXPECT_FALSE(facts.profile_notice);

  take_profile_answers(facts, Active(std::unexpect, "not running"), Offered(std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(facts.active_profile, 1);
  EXPECT_EQ(facts.profile_notice, "Power-profile service is unavailable: not running");

  take_profile_answers(facts, Active(std::unexpect, "not running"), Offered(std::unexpect, "no answer"));
  EXPECT_EQ(facts.active_profile, 1);
  EXPECT_TRUE(facts.available_profiles.empty());
  EXPECT_EQ(facts.profile_notice, "Power-profile service is unavailable: not running; capabilities: no answer");
}

TEST_F(PowerPaneTest, FirstPassPublishesEveryKeyFromThePreferences) {
  harness.home().write("config/orvo/settings.json",
                       R"({"power": {"auto_suspend": false, "blank_minutes": 30, "lock_minutes": 1,
                           "lid_close_action": "ignore"}})");
  auto power = pane();
  PaneHarness::pass(power);
  EXPECT_EQ(text(power, kProfileKey), "Balanced");
  EXPECT_EQ(lib::read_bool(*power.own_document(), orvo_doc::kRoot, kAutoSuspendKey), false);
  EXPECT_EQ(text(power, kBlankKey), "30 minutes");
  EXPECT_EQ(text(power, kLockKey), "1 minute");
  EXPECT_EQ(text(power, kSuspendKey), "15 minutes");
  EXPECT_EQ(text(power, kPerformanceIdleKey), "30 minutes");
  EXPECT_EQ(text(power, kLidKey), "Do nothing");
  EXPECT_EQ(text(power, kCriticalKey), "Suspend");
  EXPECT_EQ(text(power, kChargeLimitKey), "100%");
  EXPECT_EQ(power.published_prefs(), power.prefs());

  PowerFacts desktop = laptop();
  desktop.charge_capability.reset();
  auto plain = pane(std::move(desktop));
  PaneHarness::pass(plain);
  EXPECT_EQ(text(plain, kChargeLimitKey), std::nullopt);
}

// Every variant handed over ends Succeeded under its own key with its sentence, and is carried out.
TEST_F(PowerPaneTest, EachHandedOverOperationIsCarriedOutAndEndsUnderItsKey) {
  struct Case {
    PowerOperation operation;
    std::string sentence;
    std::function<bool(const preferences::PowerPrefs&)> saved;
  };
  const std::vector<Case> cases = {
      {PowerOperation::SetAutoSuspend{false}, "Automatic suspend preference saved.",
       [](const auto& p) { return !p.auto_suspend; }},
      {PowerOperation::SetBlankTimeout{"1 minute"}, "Screen blank timeout saved.",
       [](const auto& p) { return p.blank_minutes == 1; }},
      {PowerOperation::SetLockTimeout{"10 minutes"}, "Automatic lock timeout saved.",
       [](const auto& p) { return p.lock_minutes == 10; }},
      {PowerOperation::SetSuspendTimeout{"default", "1 hour"}, "Suspend timeout saved.",
       [](const auto& p) { return p.suspend_minutes == 60; }},
      {PowerOperation::SetSuspendTimeout{"saver", "5 minutes"}, "saver suspend timeout saved.",
       [](const auto& p) { return p.saver_suspend_minutes == 5; }},
      {PowerOperation::SetSuspendTimeout{"balanced", "Never"}, "balanced suspend timeout saved.",
       [](const auto& p) { return p.balanced_suspend_minutes == 0; }},
      {PowerOperation::SetSuspendTimeout{"performance", "45 minutes"}, "performance suspend timeout saved.",
       [](const auto& p) { return p.performance_suspend_minutes == 45; }},
      {PowerOperation::SetLidAction{"Lock screen"}, "Lid-close action saved.",
       [](const auto& p) { return p.lid_close_action == preferences::PowerAction::Lock; }},
      {PowerOperation::SetPowerKeyAction{"Do nothing"}, "Power-key action saved.",
       [](const auto& p) { return p.power_key_action == preferences::PowerAction::Ignore; }},
      {PowerOperation::SetCriticalAction{"Lock screen"}, "Critical-battery action saved.",
       [](const auto& p) { return p.critical_action == preferences::PowerAction::Lock; }},
  };
  auto power = pane();
  PaneHarness::pass(power);
  for (const auto& c : cases) {
    std::string key;
    const auto status = run(power, c.operation, &key);
    EXPECT_EQ(status, OperationStatus(OperationStatus::Succeeded{key, c.sentence})) << key;
    EXPECT_TRUE(c.saved(preferences::load_preferences().power)) << key;
    EXPECT_TRUE(c.saved(power.published_prefs())) << key;
  }

  expect_end(power, PowerOperation::SetProfile{"Power Saver"}, true, "Power Saver is now active.");
  EXPECT_EQ(dispatcher->profiles, (std::vector<std::string>{"power-saver"}));
  EXPECT_EQ(power.active_profile(), 0);
  EXPECT_EQ(power.profile_notice(), "Power Saver is now active.");

  expect_end(power, PowerOperation::SetChargeLimit{80}, true, "hardware confirmed a 80% charge cap");
  EXPECT_EQ(cap_file(), "80\n");
  EXPECT_EQ(power.charge_notice(), "Hardware confirmed a 80% charge cap.");
  EXPECT_EQ(power.facts().charge_capability->current_percent, 80u);
  // Charge caps are the hardware's, not a preference.
  EXPECT_EQ(harness.home().read("config/orvo/settings.json")->find("charge"), std::string::npos);
}

// An operation the pass has nothing to do for still ends: Succeeded when it is already so, else
// Failed with the reason the runner's checks give.
TEST_F(PowerPaneTest, AnOperationWithNothingToDoEndsAtOnce) {
  struct Case {
    PowerOperation operation;
    bool succeeded;
    std::string sentence;
  };
  const std::vector<Case> cases = {
      {PowerOperation::SetLockTimeout{"5 minutes"}, true, "Automatic lock timeout saved."},
      {PowerOperation::SetProfile{"Balanced"}, true, "Balanced is now active."},
      {PowerOperation::SetChargeLimit{100}, true, "hardware confirmed a 100% charge cap"},
      {PowerOperation::SetAutoSuspend{true}, true, "Automatic suspend preference saved."},
      {PowerOperation::SetSuspendTimeout{"saver", "10 minutes"}, true, "saver suspend timeout saved."},
      {PowerOperation::SetCriticalAction{"Suspend"}, true, "Critical-battery action saved."},
      {PowerOperation::SetProfile{"Turbo"}, false, "unsupported power profile"},
      {PowerOperation::SetLockTimeout{"two hours"}, false, "unsupported automatic lock timeout"},
      {PowerOperation::SetSuspendTimeout{"default", "two hours"}, false, "unsupported suspend timeout"},
      {PowerOperation::SetLidAction{"lock screen"}, false, "unsupported power action"},
      {PowerOperation::SetChargeLimit{85}, false, "battery charge-cap control is unavailable on this device"},
  };
  auto power = pane();
  PaneHarness::pass(power);
  for (const auto& c : cases) {
    std::string key;
    const auto status = run(power, c.operation, &key);
    const OperationStatus expected = c.succeeded ? OperationStatus(OperationStatus::Succeeded{key, c.sentence})
                                                 : OperationStatus(OperationStatus::Failed{key, c.sentence});
    EXPECT_EQ(status, expected) << key;
  }
  EXPECT_TRUE(dispatcher->profiles.empty());
  EXPECT_EQ(cap_file(), "100\n");
  EXPECT_EQ(harness.home().read("config/orvo/settings.json"), std::nullopt) << "nothing was saved";

  // A cap the device has no control for.
  PowerFacts desktop = laptop();
  desktop.charge_capability.reset();
  auto plain = pane(std::move(desktop));
  expect_end(plain, PowerOperation::SetChargeLimit{80}, false, "battery charge-cap control is unavailable on this device");
}

TEST_F(PowerPaneTest, BetweenOperationsEveryKeyButTheLockGoesBackToThePublishedValue) {
  auto power = pane();
  PaneHarness::pass(power);
  put(power, kLockKey, "30 minutes");
  put(power, kBlankKey, "30 minutes");
  put(power, kProfileKey, "Performance");
  put(power, kLidKey, "Do nothing");
  put(power, kChargeLimitKey, "60%");
  put(power, kSaverIdleKey, "1 hour");
  PaneHarness::pass(power);
  EXPECT_EQ(text(power, kLockKey), "30 minutes");
  EXPECT_EQ(text(power, kBlankKey), "10 minutes");
  EXPECT_EQ(text(power, kProfileKey), "Balanced");
  EXPECT_EQ(text(power, kLidKey), "Suspend");
  EXPECT_EQ(text(power, kChargeLimitKey), "100%");
  EXPECT_EQ(text(power, kSaverIdleKey), "10 minutes");
  EXPECT_TRUE(dispatcher->profiles.empty());
  EXPECT_EQ(cap_file(), "100\n");
  EXPECT_EQ(power.published_prefs().lock_minutes, 5u);
}

TEST_F(PowerPaneTest, WithoutReportingAChangedKeyIsCarriedOutAndUnmappableTextsAreIgnored) {
  auto power = pane(laptop(), false);
  PaneHarness::pass(power);
  put(power, kSuspendKey, "two hours");
  put(power, kChargeLimitKey, "80");
  PaneHarness::pass(power);
  EXPECT_EQ(power.prefs().suspend_minutes, 15u);
  EXPECT_EQ(cap_file(), "100\n");
  EXPECT_EQ(harness.home().read("config/orvo/settings.json"), std::nullopt);

  // A profile word other than the first three names the performance profile's timeout.
  (void)harness.operation_cell().publish(settings_app::PaneOperation(PowerOperation::SetSuspendTimeout{"turbo", "45 minutes"}));
  PaneHarness::pass(power);
  EXPECT_EQ(text(power, kPerformanceIdleKey), "45 minutes");
  EXPECT_EQ(power.prefs().performance_suspend_minutes, 45u);
  EXPECT_EQ(preferences::load_preferences().power.performance_suspend_minutes, 45u);

  put(power, kChargeLimitKey, "70%");
  finish_calls(power);
  EXPECT_EQ(cap_file(), "70\n");
}

TEST_F(PowerPaneTest, AProfileTheDeviceDoesNotOfferIsPutBack) {
  PowerFacts facts = laptop();
  facts.available_profiles = {0, 1};
  auto power = pane(std::move(facts));
  PaneHarness::pass(power);
  expect_end(power, PowerOperation::SetProfile{"Performance"}, false, "Power profile is not supported by this device.");
  EXPECT_EQ(text(power, kProfileKey), "Balanced");
  EXPECT_EQ(power.profile_notice(), "Performance is not supported by this device.");
  EXPECT_TRUE(dispatcher->profiles.empty());
}

TEST_F(PowerPaneTest, FailuresEndFailedWithTheirSentenceAndAWarning) {
  dispatcher->failure = "the power-profile service is not running";
  auto power = pane();
  PaneHarness::pass(power);
  orvo_log::CaptureScope log;
  expect_end(power, PowerOperation::SetProfile{"Performance"}, false,
             "Could not change the power profile: the power-profile service is not running");
  EXPECT_EQ(text(power, kProfileKey), "Balanced");
  EXPECT_EQ(log.count("power pane dispatch failed"), 1u);

  // A directory where the threshold file was: the write fails whoever runs it.
  std::filesystem::remove(harness.home().root() / kEndThreshold);
  std::filesystem::create_directories(harness.home().root() / kEndThreshold);
  const std::string refused = "Charge cap was not applied: could not write charge_control_end_threshold: Is a directory";
  expect_end(power, PowerOperation::SetChargeLimit{80}, false, refused);
  EXPECT_EQ(power.charge_notice(), refused);
  EXPECT_EQ(text(power, kChargeLimitKey), "100%");
  EXPECT_EQ(log.count("battery cap failed"), 1u);

  // A preferences file that cannot be read is never overwritten.
  std::filesystem::create_directories(harness.home().root() / "config/orvo/settings.json");
  std::string key;
  const auto status = run(power, PowerOperation::SetLockTimeout{"10 minutes"}, &key);
  const auto* failed = std::get_if<OperationStatus::Failed>(&status);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->key, key);
  EXPECT_TRUE(failed->message.starts_with("Power preference was not saved: ")) << failed->message;
  EXPECT_EQ(log.count("failed to persist power prefs"), 1u);
  EXPECT_EQ(power.prefs().lock_minutes, 10u) << "the change stays in memory";
}

TEST_F(PowerPaneTest, AnOperationTakenBeforeTheFactsArriveEndsWhenTheyDo) {
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  auto power = PowerPane::reading(
                   [gate] {
                     gate.wait();
                     return laptop();
                   },
                   dispatcher, preferences::PowerPrefs{})
                   .with_pane_operation(harness.operation_cell())
                   .with_operation_status(harness.status_cell());
  const std::string key = harness.hand_over(settings_app::PaneOperation(PowerOperation::SetLockTimeout{"10 minutes"}));
  PaneHarness::pass(power);
  EXPECT_FALSE(power.facts_ready());
  EXPECT_FALSE(harness.operation_cell().snapshot().has_value()) << "taken at once";
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  EXPECT_EQ(text(power, kLockKey), std::nullopt);

  release.set_value();
  for (int i = 0; i < 1000 && !power.facts_ready(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PaneHarness::pass(power);
  }
  ASSERT_TRUE(power.facts_ready());
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Succeeded{key, "Automatic lock timeout saved."}));
  EXPECT_EQ(power.facts().charge_capability->current_percent, 100u);
}

// The profile service may take seconds to answer: the pass never waits for it, and the
// operation stays Running until the answer arrives.
TEST_F(PowerPaneTest, AProfileChangeRunsOffThePassAndEndsWithItsAnswer) {
  struct GatedDispatcher final : os_actions::Dispatcher {
    std::shared_future<void> gate;
    os_actions::DispatchResult set_power_profile(std::string_view) const override {
      gate.wait();
      return {};
    }
  };
  std::promise<void> release;
  auto gated = std::make_shared<GatedDispatcher>();
  gated->gate = release.get_future().share();
  auto power = PowerPane(laptop(), gated, preferences::PowerPrefs{})
                   .with_pane_operation(harness.operation_cell())
                   .with_operation_status(harness.status_cell());
  PaneHarness::pass(power);
  const std::string key = harness.hand_over(settings_app::PaneOperation(PowerOperation::SetProfile{"Performance"}));
  PaneHarness::pass(power);
  PaneHarness::pass(power);
  EXPECT_TRUE(power.applying());
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  EXPECT_EQ(power.active_profile(), 1);

  release.set_value();
  finish_calls(power);
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Succeeded{key, "Performance is now active."}));
  EXPECT_EQ(power.active_profile(), 2);
  EXPECT_EQ(text(power, kProfileKey), "Performance");
}

TEST_F(PowerPaneTest, AnOperationOfAnotherAreaStaysInTheCell) {
  auto power = pane();
  const settings_app::PaneOperation other = actions::NetworkOperation::Refresh{};
  harness.hand_over(other);
  PaneHarness::pass(power);
  EXPECT_EQ(harness.operation_cell().snapshot(), std::optional(other));
}

}  // namespace
}  // namespace settings::panes::power
