// The Updates page, built afresh from the pane's state at every layout.
#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/control_bindings.h"
#include "catalogues/power_update_bindings.h"
#include "catalogues/section_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "panes/control_binding.h"
#include "panes/updates/update_policy.h"
#include "panes/updates/updates_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::updates {
namespace {

using namespace widget_support;
namespace firmware = os_actions::firmware;

constexpr float kMessageSize = 13;
constexpr float kReadySize = 11;
constexpr std::size_t kHistoryShown = 8;

WidgetBox text(std::string_view content, std::optional<float> size = std::nullopt) {
  orvo_ui::Text widget{std::string(content)};
  if (size) widget = std::move(widget).with_size(*size);
  return std::make_unique<orvo_ui::Text>(std::move(widget).with_wrap(true));
}

// The button, then a flexible spacer.
WidgetBox button_row(orvo_ui::Button button) {
  auto row = std::make_unique<orvo_ui::Row>();
  row->push(std::move(button));
  row->push(orvo_ui::Spacer::flexible());
  return row;
}

WidgetBox action_button(std::string id, std::string label, std::string_view action) {
  return button_row(bind_or_warn(orvo_ui::Button(std::move(id), std::move(label)), actions::updates_unit_binding(action),
                                 fmt::format("Updates action {} must be published", action)));
}

WidgetBox card(std::string_view title, std::vector<WidgetBox> rows) {
  return titled_card(title, section_stack(std::move(rows)));
}

std::string upgrade_value(const firmware::FirmwareUpgrade& upgrade) {
  if (!upgrade.new_version) return "Update available";
  if (upgrade.current_version) return fmt::format("{} → {}", *upgrade.current_version, *upgrade.new_version);
  return fmt::format("Update to {}", *upgrade.new_version);
}

std::string history_value(const firmware::FirmwareHistoryEntry& entry) {
  if (entry.new_version && entry.old_version) {
    return fmt::format("{} → {} · {}", *entry.old_version, *entry.new_version, entry.state);
  }
  if (entry.new_version) return fmt::format("{} · {}", *entry.new_version, entry.state);
  return entry.state;
}

WidgetBox restart_now_button() { return action_button("settings.updates.firmware.restart", "Restart now", "restart"); }

void firmware_body(const UpdatesState& state, std::vector<WidgetBox>& rows) {
  if (!state.upgrades) {
    rows.push_back(value_row("Status", "Firmware inventory could not be queried"));
    rows.push_back(caption_text(fmt::format("fwupd reported: {}", state.upgrades.error())));
    rows.push_back(action_button("settings.updates.firmware.refresh", state.refreshing ? "Refreshing…" : "Try again",
                                 "refresh-firmware"));
    return;
  }
  const auto& upgrades = *state.upgrades;
  const auto* installed = std::get_if<FirmwareInstalled>(&state.install);
  if (upgrades.empty()) {
    rows.push_back(value_row("Status", "Device firmware is up to date"));
    if (installed && installed->restart_required) {
      rows.push_back(value_row("Activation", "Restart required"));
      rows.push_back(restart_now_button());
    } else {
      rows.push_back(action_button("settings.updates.firmware.refresh",
                                   state.refreshing ? "Checking firmware…" : "Check firmware", "refresh-firmware"));
    }
    return;
  }
  for (const auto& upgrade : upgrades) rows.push_back(value_row(upgrade.device_name, upgrade_value(upgrade)));
  for (const auto& upgrade : upgrades) {
    if (upgrade.note) rows.push_back(caption_text(*upgrade.note));
    if (!upgrade.conditions.empty()) {
      rows.push_back(caption_text(fmt::format("Before installing: {}", fmt::join(upgrade.conditions, ", "))));
    }
  }
  rows.push_back(caption_text(
      "Firmware is verified and installed by fwupd. Keep the device connected and do not suspend it while "
      "installation is active."));
  if (const auto* installing = std::get_if<FirmwareInstalling>(&state.install)) {
    rows.push_back(std::make_unique<orvo_ui::ProgressBar>(installing->percent / 100.0));
    rows.push_back(value_row("Installing", installing->status));
  } else if (installed) {
    rows.push_back(
        value_row("Installation", installed->restart_required ? "Installed · restart required" : "Installed successfully"));
    if (installed->restart_required) rows.push_back(restart_now_button());
  } else {
    rows.push_back(action_button("settings.updates.firmware.install", "Install firmware upgrades", "install-firmware"));
  }
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> UpdatesPane::build_view() {
  const UpdatesState& state = state_;
  std::vector<WidgetBox> cards;
  if (!state.loaded) {
    std::vector<WidgetBox> rows;
    rows.push_back(text("Reading the update status…", kMessageSize));
    cards.push_back(card("Updates", std::move(rows)));
    return page_stack(std::move(cards));
  }
  if (state.message) cards.push_back(card("That did not work", [&] {
    std::vector<WidgetBox> rows;
    rows.push_back(text(*state.message, kMessageSize));
    return rows;
  }()));

  {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Operating system", state.summary.staged ? "Update staged · restart required" : "No staged update"));
    if (state.upgrades) {
      rows.push_back(value_row("Device firmware", state.upgrades->empty() ? "Up to date" : "Updates available"));
    }
    cards.push_back(card("Update overview", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    if (!state.summary.staged) {
      // Up to date only once a check has said so.
      const bool never_checked = state.prefs.last_checked.empty() || state.prefs.last_checked == kNeverChecked;
      rows.push_back(text(never_checked ? "Updates have not been checked yet." : "Your system is up to date.", kMessageSize));
    } else {
      std::vector<WidgetBox> ready;
      ready.push_back(text(fmt::format("Update ready: {}", *state.summary.staged)));
      ready.push_back(text("Restart to apply the staged image.", kReadySize));
      ready.push_back(action_button("settings.updates.restart", "Restart & update", "restart"));
      rows.push_back(std::make_unique<orvo_ui::Column>(stack_column(std::move(ready), kTextBlockGap)));
    }
    cards.push_back(card("Software updates", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    firmware_body(state, rows);
    cards.push_back(card("Device firmware", std::move(rows)));
  }

  if (state.history && !state.history->empty()) {
    std::vector<WidgetBox> rows;
    const auto& history = *state.history;
    for (std::size_t i = 0; i < std::min(history.size(), kHistoryShown); ++i) {
      rows.push_back(value_row(history[i].device_name, history_value(history[i])));
      if (history[i].error) rows.push_back(caption_text(fmt::format("fwupd error: {}", *history[i].error)));
    }
    cards.push_back(card("Firmware history", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Current version", state.summary.pretty_name));
    rows.push_back(value_row("Last checked", state.prefs.last_checked));
    rows.push_back(value_row("Release channel", "Managed by the installed bootc image reference"));
    if (state.automatic == AutomaticUpdateState::Unreported) {
      rows.push_back(value_row("Automatic updates", "unavailable on this machine"));
    } else {
      auto toggle = bind_or_warn(controls_.toggle(kAutoKey).with_id("settings.updates.auto"),
                                 actions::updates_toggle_binding("automatic"),
                                 "automatic updates are part of the static resource contract");
      rows.push_back(setting_row("Automatic updates", std::make_unique<orvo_ui::Toggle>(std::move(toggle))));
    }
    auto schedule = bind_or_warn(
        controls_.dropdown(kScheduleKey, {std::string(kScheduleSystem), std::string(kScheduleDaily),
                                          std::string(kScheduleWeekly)})
            .with_placeholder(state.schedule),
        actions::update_schedule_binding(), "update schedule is part of the static resource contract");
    rows.push_back(setting_row_fixed("Download schedule", std::make_unique<orvo_ui::Dropdown>(std::move(schedule))));
    auto metered = bind_or_warn(controls_.toggle(kMeteredKey).with_id("settings.updates.metered"),
                                actions::updates_toggle_binding("metered"),
                                "metered update policy is part of the static resource contract");
    rows.push_back(
        setting_row("Download on metered connections", std::make_unique<orvo_ui::Toggle>(std::move(metered))));
    rows.push_back(action_button("settings.updates.check",
                                 state.checking ? "Checking for updates…" : "Check for updates", "check"));
    cards.push_back(card("Details", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Rollback health", state.protection.summary));
    rows.push_back(value_row("Release notes", state.protection.documentation_url.value_or(
                                                  "The image does not publish a documentation URL")));
    if (state.protection.journal.empty()) {
      rows.push_back(caption_text("No bootc update-service history is available in the system journal."));
    }
    for (const auto& line : state.protection.journal) rows.push_back(caption_text(line));
    cards.push_back(card("History & recovery health", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    if (!state.previous_image) {
      rows.push_back(text("There is no previous image on this machine yet.", kMessageSize));
      rows.push_back(caption_text(
          "One appears after the first update. Until then the only way back is a reinstall, which is why this says "
          "so instead of showing a control that would fail."));
    } else if (!state.review_open) {
      rows.push_back(text(fmt::format("Previous image: {}", *state.previous_image), kMessageSize));
      rows.push_back(caption_text(
          "Rolling back makes the previous image the one this machine boots. Nothing is deleted — the image you are on "
          "now stays on the disk and in the boot menu."));
      // The resource's "review-rollback" only brings the user to this page; the button opens the
      // review itself.
      rows.push_back(button_row(actions::bind_control_invoke(orvo_ui::Button("settings.updates.rollback", "Roll back…"),
                                                             orvo_actions::OperationClass::Effect,
                                                             [flag = review_requested_] { *flag = true; })));
    } else {
      rows.push_back(text(fmt::format("Roll back to {}?", *state.previous_image), kMessageSize));
      rows.push_back(
          caption_text("The system image reverts — its programs, the compositor, the apps that ship with it."));
      rows.push_back(caption_text(
          "Your files and app data do NOT revert. Workspaces, documents, keys and downloads are shared by every image "
          "on this disk, so a rollback neither restores them nor loses them."));
      rows.push_back(caption_text(
          "Apps you installed yourself do NOT revert either, and one built for a newer system can stop launching until "
          "you reinstall it or roll forward again."));
      rows.push_back(action_button("settings.updates.rollback.confirm", "Roll back and restart later", "rollback"));
    }
    cards.push_back(card("Go back to the previous image", std::move(rows)));
  }

  {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text(
        "Orvo updates are atomic: a new image is staged and applied on restart, so an update never half-installs."));
    rows.push_back(caption_text(
        "If a new image fails to reach a login screen three times in a row, this machine goes back to the previous "
        "one by itself. If there is nothing to go back to, it starts in Repair Mode instead of leaving you at a black "
        "screen — choose it from the boot menu at any time."));
    cards.push_back(card("How updates work", std::move(rows)));
  }
  return page_stack(std::move(cards));
}

}  // namespace settings::panes::updates
