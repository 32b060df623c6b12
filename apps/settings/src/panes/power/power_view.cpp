// The Power page: the battery (or power source) card, the other power devices, the profile, the
// idle timeouts and the button actions.
#include <fmt/format.h>

#include "catalogues/power_update_bindings.h"
#include "catalogues/section_bindings.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/sparkline.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/control_binding.h"
#include "panes/power/power_labels.h"
#include "panes/power/power_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::power {
namespace {

using namespace settings::widget_support;
using os_actions::battery::ChargeCapability;
using os_actions::battery::ChargeControlKind;

constexpr float kChartWidth = 320;
constexpr float kChartHeight = 56;

std::string_view capability_caption(const ChargeCapability& capability) {
  switch (capability.kind) {
    case ChargeControlKind::StopThreshold:
      if (capability.start_stop_thresholds) {
        return "The kernel exposes start and stop thresholds; Orvo adjusts the start only when required by a lower "
               "cap.";
      }
      return "The kernel exposes a hardware stop threshold. A lower cap can reduce long-term battery wear.";
    case ChargeControlKind::ConservationMode:
      return "This laptop exposes a discrete conservation mode, so only its real hardware choices are offered.";
    case ChargeControlKind::StartEndWindow:
      return "The platform uses paired start/end thresholds; Orvo preserves a safe charging window.";
  }
  return "";
}

WidgetBox dropdown_box(orvo_ui::Dropdown dropdown) { return std::make_unique<orvo_ui::Dropdown>(std::move(dropdown)); }

}  // namespace

std::unique_ptr<orvo_ui::Widget> PowerPane::build_view() {
  const auto& battery = facts_.battery;
  std::vector<WidgetBox> cards;
  if (!facts_ready()) {
    cards.push_back(titled_card("Power", caption_text(kReadingFacts)));
    return page_stack(std::move(cards));
  }

  const auto choice = [&](std::string_view key, std::vector<std::string> labels, std::string placeholder,
                          std::string_view action, std::string_view missing) {
    return dropdown_box(bind_or_warn(controls_.dropdown(key, std::move(labels)).with_placeholder(placeholder),
                                     actions::power_choice_binding(action), missing));
  };

  if (battery.present) {
    std::vector<WidgetBox> rows;
    rows.push_back(std::make_unique<orvo_ui::ProgressBar>(battery.percent / 100.0));
    rows.push_back(value_row("Charge", fmt::format("{}%", battery.percent)));
    rows.push_back(value_row("Status", battery.summary()));
    if (battery.cycle_count) rows.push_back(value_row("Charge cycles", fmt::format("{}", *battery.cycle_count)));
    if (const auto health = battery.health_percent()) {
      rows.push_back(value_row("Battery health", fmt::format("{}%", *health)));
      rows.push_back(caption_text(battery.health_explanation()));
    } else {
      rows.push_back(value_row("Battery health", "Not reported by this device"));
    }
    if (facts_.history.size() > 1) {
      std::vector<double> values;
      for (const auto& sample : facts_.history) values.push_back(sample.percent);
      rows.push_back(std::make_unique<orvo_ui::Sparkline>(
          orvo_ui::Sparkline(std::move(values)).with_range(0, 100).with_size(kChartWidth, kChartHeight)));
      rows.push_back(caption_text(
          "Charge history · last 30 days · sampled at most every 15 minutes. Device names and serial numbers are never "
          "stored."));
    }
    if (const auto& capability = facts_.charge_capability) {
      std::vector<std::string> labels;
      for (const std::uint32_t percent : capability->supported_percents) labels.push_back(fmt::format("{}%", percent));
      auto cap = bind_or_warn(controls_.dropdown(kChargeLimitKey, std::move(labels))
                                  .with_placeholder(fmt::format("{}%", capability->current_percent)),
                              actions::charge_cap_binding(capability->supported_percents, capability->current_percent),
                              "charge-cap resource exists when the hardware control is visible");
      rows.push_back(setting_row_fixed("Charge cap", dropdown_box(std::move(cap))));
      rows.push_back(caption_text(capability_caption(*capability)));
    } else {
      rows.push_back(value_row("Charge cap", "Not supported by this hardware"));
    }
    if (charge_notice_) rows.push_back(caption_text(*charge_notice_));
    cards.push_back(titled_card("Battery", section_stack(std::move(rows))));
  } else {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Source", "AC power"));
    rows.push_back(caption_text(
        "This device has no battery — it runs on mains power, so charge and battery-saver settings don't apply."));
    cards.push_back(titled_card("Power source", section_stack(std::move(rows))));
  }

  if (facts_.devices.size() >= 2) {
    std::vector<WidgetBox> rows;
    for (const auto& device : facts_.devices) {
      rows.push_back(value_row(device.model.value_or(device.name),
                               fmt::format("{} · {}% · {}", device.ups ? "UPS" : "Battery", device.percent, device.state)));
    }
    cards.push_back(titled_card("Power devices", section_stack(std::move(rows))));
  }

  {
    std::vector<WidgetBox> rows;
    if (facts_.available_profiles.empty()) {
      rows.push_back(value_row("Profile", "Power-profile service unavailable"));
    } else {
      rows.push_back(setting_row_fixed(
          "Profile", choice(kProfileKey, power_profile_labels(facts_.available_profiles), power_profile_label(active_profile_),
                            "profile", "power profile action is part of the static resource contract")));
    }
    rows.push_back(caption_text(
        "Only modes supported by this device are shown. Balanced trades performance for battery life; Power Saver "
        "favours runtime; Performance favours speed."));
    if (facts_.profile_notice) rows.push_back(caption_text(*facts_.profile_notice));
    cards.push_back(titled_card("Power profile", section_stack(std::move(rows))));
  }

  {
    const auto suspend = [&](std::string_view key, std::uint32_t minutes, std::string_view action,
                             std::string_view missing) {
      return choice(key, labels_of(kSuspendTimeouts), suspend_timeout_label(minutes), action, missing);
    };
    std::vector<WidgetBox> rows;
    auto toggle = bind_or_warn(controls_.toggle(kAutoSuspendKey).with_id("settings.power.auto_suspend"),
                               actions::power_toggle_binding("auto_suspend"),
                               "automatic-suspend action is part of the static resource contract");
    rows.push_back(setting_row("Suspend when idle", std::make_unique<orvo_ui::Toggle>(std::move(toggle))));
    rows.push_back(setting_row_fixed("Suspend after", suspend(kSuspendKey, prefs_.suspend_minutes, "suspend-after",
                                                             "suspend action is part of the static resource contract")));
    rows.push_back(setting_row_fixed(
        "Blank screen when idle", choice(kBlankKey, labels_of(kLockTimeouts), blank_timeout_label(prefs_.blank_minutes),
                                         "blank-after", "blank action is part of the static resource contract")));
    rows.push_back(setting_row_fixed(
        "Lock after", choice(kLockKey, labels_of(kLockTimeouts), lock_timeout_label(prefs_.lock_minutes), "lock-after",
                             "lock action is part of the static resource contract")));
    rows.push_back(caption_text("Idle timeouts are applied by the compositor's power layer."));
    rows.push_back(setting_row_fixed(
        "Power Saver suspend", suspend(kSaverIdleKey, prefs_.saver_suspend_minutes, "saver-suspend",
                                       "saver suspend action is part of the static resource contract")));
    rows.push_back(setting_row_fixed(
        "Balanced suspend", suspend(kBalancedIdleKey, prefs_.balanced_suspend_minutes, "balanced-suspend",
                                    "balanced suspend action is part of the static resource contract")));
    rows.push_back(setting_row_fixed(
        "Performance suspend", suspend(kPerformanceIdleKey, prefs_.performance_suspend_minutes, "performance-suspend",
                                       "performance suspend action is part of the static resource contract")));
    rows.push_back(caption_text(
        "The active power profile selects its own idle timeout in the compositor; changing profile never creates a "
        "second policy owner."));
    cards.push_back(titled_card("Automatic power saving", section_stack(std::move(rows))));
  }

  {
    const std::vector<std::string> actions = labels_of(kPowerActions);
    std::vector<WidgetBox> rows;
    rows.push_back(setting_row_fixed(
        "When the lid is closed", choice(kLidKey, actions, power_action_label(prefs_.lid_close_action), "lid",
                                         "lid action is part of the static resource contract")));
    rows.push_back(setting_row_fixed(
        "When the power key is pressed", choice(kPowerKeyKey, actions, power_action_label(prefs_.power_key_action),
                                                "power_key", "power-key action is part of the static resource contract")));
    rows.push_back(setting_row_fixed("When the battery is critically low",
                                     choice(kCriticalKey, actions, power_action_label(prefs_.critical_action), "critical",
                                            "critical action is part of the static resource contract")));
    rows.push_back(caption_text(fmt::format("You'll be warned at {}% and this action runs at {}%.",
                                            prefs_.low_battery_percent, prefs_.critical_battery_percent)));
    cards.push_back(titled_card("Power behaviour", section_stack(std::move(rows))));
  }
  return page_stack(std::move(cards));
}

}  // namespace settings::panes::power
