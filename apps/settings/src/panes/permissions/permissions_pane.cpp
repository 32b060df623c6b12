#include "panes/permissions/permissions_pane.h"

#include <utility>
#include <vector>

#include "actions/control_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "os_actions/tool_intent.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"
#include "settings_store/settings_path.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::permissions {
namespace ws = settings::widget_support;
using os_actions::privacy::KillSwitch;
using os_actions::privacy::MicrophoneMute;

namespace {

constexpr std::string_view kChecking = "Checking\u2026";
constexpr float kButtonWidth = 248;
constexpr float kButtonHeight = 40;

ws::WidgetBox card(std::string_view title, std::vector<ws::WidgetBox> rows) {
  return ws::titled_card(title, ws::section_stack(std::move(rows)));
}

ws::WidgetBox text_line(std::string_view text) {
  return std::make_unique<orvo_ui::Text>(orvo_ui::Text(std::string(text)).with_size(ws::kRowTextSize).with_wrap(true));
}

ws::WidgetBox hardware_card(const PermissionsReading* reading) {
  std::vector<ws::WidgetBox> rows;
  if (!reading) {
    for (std::string_view label : {"Camera", "Microphone", "Microphone mute"}) {
      rows.push_back(ws::value_row(label, kChecking));
    }
    return card("Privacy hardware", std::move(rows));
  }
  const auto& status = reading->privacy;
  const bool microphone_present = status.microphone_mute != MicrophoneMute::Unavailable;
  rows.push_back(ws::value_row("Camera", kill_switch_label(status.camera_switch, status.camera_present)));
  rows.push_back(ws::value_row("Microphone", kill_switch_label(status.microphone_switch, microphone_present)));
  rows.push_back(ws::value_row("Microphone mute", microphone_mute_label(status.microphone_mute)));
  return card("Privacy hardware", std::move(rows));
}

ws::WidgetBox usage_card(const PermissionsReading* reading) {
  std::vector<ws::WidgetBox> rows;
  if (!reading) {
    rows.push_back(ws::caption_text(kChecking));
  } else if (reading->privacy.usages.empty()) {
    rows.push_back(ws::caption_text("No application is using the camera or microphone now."));
  } else {
    for (const auto& usage : reading->privacy.usages) {
      rows.push_back(ws::value_row(usage.application, usage.camera ? "Using camera" : "Using microphone"));
    }
  }
  return card("Active privacy use", std::move(rows));
}

ws::WidgetBox security_card(const PermissionsReading* reading) {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::value_row("Disk encryption", reading ? reading->security.disk_encryption : kChecking));
  rows.push_back(ws::value_row("Secure Boot", reading ? reading->security.secure_boot : kChecking));
  rows.push_back(ws::value_row("Firewall", reading ? reading->security.firewall : kChecking));
  rows.push_back(ws::caption_text("Detailed firewall policy belongs in Firewall; disk recovery and repartitioning "
                                  "belong in Backups and Disks. This page reports their effective device state "
                                  "without copying their editors."));
  return card("Device security", std::move(rows));
}

ws::WidgetBox workspace_access_card() {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(text_line("App access is scoped to the workspace where the app runs. This page only summarizes it "
                           "across workspaces; it cannot grant, revoke, or change workspace roles. Change access in "
                           "that workspace's Settings, where its people and roles are visible."));
  // In a row of its own, so the card's column does not stretch it across the card.
  orvo_ui::Row button_row;
  button_row.push(std::make_unique<orvo_ui::Button>(actions::bind_control_invoke(
      orvo_ui::Button(std::string(kOpenWorkspacePrivacyButton), "Open current workspace access")
          .with_min_size(kButtonWidth, kButtonHeight),
      orvo_actions::OperationClass::Effect, [] {
        // What the tool does, or whether it opens at all, is its own affair.
        (void)os_actions::tool_intent::open_tool(os_actions::tool_intent::workspace_page(kWorkspaceAccessPage));
      })));
  rows.push_back(std::make_unique<orvo_ui::Row>(std::move(button_row)));
  return card("Workspace access \u00b7 read-only overview", std::move(rows));
}

ws::WidgetBox workspace_card(const WorkspaceGrants& workspace) {
  std::vector<ws::WidgetBox> rows;
  bool first = true;
  for (const auto& app : workspace.apps) {
    if (!std::exchange(first, false)) rows.push_back(ws::fixed_spacer(1));
    rows.push_back(
        std::make_unique<orvo_ui::Text>(orvo_ui::Text(app.application).with_size(ws::kRowTextSize).with_bold(true)));
    for (const auto& grant : app.grants) {
      orvo_ui::Row line;
      line.push(ws::colored_badge(kind_label(grant.kind), kind_color(grant.kind)));
      line.push(ws::fixed_box(8));
      line.push(text_line(grant.detail));
      rows.push_back(std::make_unique<orvo_ui::Row>(std::move(line)));
      rows.push_back(ws::caption_text(grant.expiry));
    }
  }
  return card(workspace.label, std::move(rows));
}

void push_grants(std::vector<ws::WidgetBox>& cards, const PermissionsReading* reading) {
  if (!reading) {
    cards.push_back(card("Workspace access grants", [] {
      std::vector<ws::WidgetBox> rows;
      rows.push_back(ws::caption_text(kChecking));
      return rows;
    }()));
    return;
  }
  if (!reading->grants) {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(text_line("Orvo could not load the current workspace access record, so it cannot verify whether "
                             "any app has additional access."));
    rows.push_back(ws::caption_text(
        "Open current workspace access or try again after the desktop session has finished starting."));
    cards.push_back(card("Workspace access status unavailable", std::move(rows)));
    return;
  }
  const GrantOverview& overview = *reading->grants;
  if (overview.grant_count() == 0) {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(text_line("No app currently holds an out-of-sandbox grant. When you approve one at the "
                             "compositor's prompt, it appears here \u2014 grouped by workspace and app \u2014 with the "
                             "access it covers and how long it lasts."));
    rows.push_back(ws::caption_text(
        "Nothing here means nothing is granted: apps see only their own workspace until you say otherwise."));
    cards.push_back(card("No workspace access grants", std::move(rows)));
    return;
  }
  cards.push_back(text_line(grant_summary(overview)));
  for (const auto& workspace : overview.workspaces) cards.push_back(workspace_card(workspace));
}

}  // namespace

std::string_view kill_switch_label(KillSwitch state, bool present) {
  switch (state) {
    case KillSwitch::Available: return "Available";
    case KillSwitch::BlockedBySoftware: return "Blocked by software";
    case KillSwitch::BlockedByHardware: return "Blocked by hardware";
    case KillSwitch::None: break;
  }
  return present ? "Present \u00b7 no kill switch reported" : "Not available";
}

std::string_view microphone_mute_label(MicrophoneMute mute) {
  switch (mute) {
    case MicrophoneMute::ListeningAllowed: return "Listening allowed";
    case MicrophoneMute::Muted: return "Muted";
    case MicrophoneMute::Unavailable: break;
  }
  return "Unavailable";
}

PermissionsReading read_permissions() {
  const bool h24 = preferences::load_locale_preferences().time_format == preferences::TimeFormat::H24;
  return PermissionsReading{os_actions::privacy::get_privacy_status(), check_device_security(),
                            load_grant_overview(settings_store::config_path("state.json"), h24)};
}

std::unique_ptr<orvo_ui::Widget> permissions_view(const PermissionsReading* reading) {
  std::vector<ws::WidgetBox> cards;
  {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(text_line("Privacy hardware and security status apply to this device and your sign-in. They do "
                             "not change who can access a shared workspace or what an app may do there."));
    cards.push_back(card("This device", std::move(rows)));
  }
  cards.push_back(hardware_card(reading));
  cards.push_back(usage_card(reading));
  cards.push_back(security_card(reading));
  cards.push_back(workspace_access_card());
  push_grants(cards, reading);
  {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(text_line("These grants are enforced by the compositor (file access, collaboration, devices) and "
                             "by the FUSE mount, not by this panel. This is a read-only view of the list they apply; "
                             "revoke a grant in Workspace Settings for the workspace that owns it."));
    cards.push_back(card("Where enforcement happens", std::move(rows)));
  }
  return ws::page_stack(std::move(cards));
}

std::optional<PermissionsReading> refresh_privacy(const PermissionsReading& shown) {
  auto privacy = os_actions::privacy::get_privacy_status();
  if (privacy == shown.privacy) return std::nullopt;
  PermissionsReading fresh = shown;
  fresh.privacy = std::move(privacy);
  return fresh;
}

std::unique_ptr<PermissionsPage> make_permissions_page(
    std::function<PermissionsReading()> read, StartWorker start_worker,
    std::function<std::optional<PermissionsReading>(const PermissionsReading&)> refresh) {
  PermissionsPage::Parts parts{"settings::panes::permissions::PermissionsPage", "PermissionsPage", kPrivacyThread,
                               settings_app::section_descriptor(settings_app::SettingsSection::Permissions),
                               std::move(read), permissions_view, std::move(start_worker)};
  parts.refresh = std::move(refresh);
  return std::make_unique<PermissionsPage>(std::move(parts));
}

std::unique_ptr<orvo_ui::Widget> build_pane(const settings_app::PaneInputs&) {
  return make_permissions_page(read_permissions, default_start_worker(), refresh_privacy);
}

}  // namespace settings::panes::permissions
