// The Devices & Sync page, card by card, in the order the user reads it: what follows them across
// devices and what they allow, where it goes, what roamed, what happened, then the devices
// themselves, this device's availability, its workspaces and its home servers.
#include "panes/device_mesh/device_mesh_view.h"

#include <algorithm>
#include <array>
#include <utility>

#include <fmt/format.h>

#include "catalogues/devices_sync_actions.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/device_mesh/device_mesh_pane.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::device_mesh {
namespace {

namespace ws = settings::widget_support;
using orvo_relay_protocol::config::DeviceRole;
using ws::WidgetBox;

constexpr std::uint8_t kGood = 0;
constexpr std::uint8_t kBusy = 1;
constexpr std::uint8_t kQuiet = 2;

constexpr std::uint8_t kHomeServerKind = 0;
constexpr std::uint8_t kPersonalDeviceKind = 1;

const std::vector<std::string> kRoleChoices = {"Personal device", "Available while active", "Always-on server"};
const std::vector<std::string> kReplicationChoices = {"On demand", "Workspace state", "Full workspace copy"};
const std::vector<std::string> kReasonChoices = {"Retired", "Lost", "Stolen", "Compromised"};
constexpr std::string_view kDefaultReason = "Retired";

using orvo_relay_protocol::config::ServiceSwitches;

// The relay services of the "Device services" card: title, help, control id, action, switch.
struct ServiceRow {
  std::string_view title;
  std::string_view help;
  std::string_view id;
  std::string_view action;
  bool ServiceSwitches::*value;
};
constexpr std::array<ServiceRow, 4> kServiceRows{{
    {"Collaboration and chat relay", "Keep workspace updates and messages moving between devices",
     "device_mesh.inbound_relay", "inbound-relay", &ServiceSwitches::inbound_relay},
    {"Remote-control relay", "Connect remote-control sessions through this device when needed",
     "device_mesh.remote_relay", "remote-control", &ServiceSwitches::remote_control_relay},
    {"Serve app backends", "Run compatible app services from this device", "device_mesh.app_serving", "app-serving",
     &ServiceSwitches::app_serving},
    {"Accept distributed jobs", "Run compatible background jobs from this device", "device_mesh.compute", "compute",
     &ServiceSwitches::compute},
}};

// Outcomes that belong beside the role rather than beside pairing.
constexpr std::array<std::string_view, 5> kAvailabilityStatusPrefixes = {
    "Configuration could not", "Not saved", "Saving", "Waiting", "Could not start pairing"};

std::string_view role_label(DeviceRole role) {
  switch (role) {
    case DeviceRole::PersonalDevice: return "Personal device";
    case DeviceRole::AlwaysOnServer: return "Always-on server";
    case DeviceRole::AvailableWhileActive: return "Available while active";
  }
  return "Personal device";
}

std::string_view replication_caption(ReplicationKind kind) {
  switch (kind) {
    case ReplicationKind::WorkspaceOnly: return "Open workspaces and app progress sync here without keeping workspace files.";
    case ReplicationKind::Full: return "Open workspaces, app progress, and full file copies stay synced on this device.";
    case ReplicationKind::OnDemand:
    case ReplicationKind::PerResource:
      return "File names, metadata, and preview thumbnails stay ready. File contents download when opened.";
  }
  return "";
}

// The policy the bindings share; the first binding's stands for all (they are set together).
ReplicationKind current_replication(const RelayConfig& config) {
  return config.workspaces.empty() ? ReplicationKind::OnDemand : config.workspaces.front().replication.kind;
}

std::string source_text(const ProvenanceSource& source) {
  return fmt::format("{} · revision {}", source.device_label, source.revision);
}

struct AvailabilityBadge {
  std::string_view text;
  std::uint8_t tone;
};

// A home server's status text as a badge.
AvailabilityBadge availability_badge(std::string_view status) {
  if (status.starts_with("Online")) {
    return {status.find("Syncing") != std::string_view::npos ? "Syncing" : "Online", kGood};
  }
  if (status == "Checking…") return {"Checking", kBusy};
  if (status == "Connecting…") return {"Checking", kQuiet};
  if (status == "Removed") return {"Removed", kQuiet};
  return {"Offline", kQuiet};
}

// The workspaces the pane lists, so that binding a toggle reads no file.
class PaneWorkspaces final : public actions::MeshModelQueries {
 public:
  explicit PaneWorkspaces(const std::vector<WorkspaceLabel>& labels) : labels_(labels) {}
  std::vector<actions::MeshWorkspace> workspaces() const override {
    std::vector<actions::MeshWorkspace> out;
    out.reserve(labels_.size());
    for (const WorkspaceLabel& label : labels_) out.push_back({label.id, label.label});
    return out;
  }

 private:
  const std::vector<WorkspaceLabel>& labels_;
};

class MeshPageBuilder {
 public:
  MeshPageBuilder(const MeshPageState& state, DocumentControls& controls)
      : state_(state), controls_(controls), workspaces_(state.workspace_labels) {
    target_ = std::find_if(state.trusted_devices.begin(), state.trusted_devices.end(),
                           [](const FleetDeviceRow& row) { return !row.this_device && !row.revoked; });
    source_ = std::find_if(state.trusted_devices.begin(), state.trusted_devices.end(),
                           [](const FleetDeviceRow& row) { return row.this_device; });
  }

  WidgetBox page() {
    std::vector<WidgetBox> cards;
    cards.push_back(continue_card());
    cards.push_back(privacy_card());
    cards.push_back(route_card());
    cards.push_back(roaming_card());
    cards.push_back(activity_card());
    cards.push_back(add_device_card());
    cards.push_back(trusted_devices_card());
    cards.push_back(availability_card());
    cards.push_back(workspaces_card());
    cards.push_back(home_server_card());
    for (const HomePeerRegistration& peer : state_.home_peers) cards.push_back(home_peer_card(peer));
    if (serving()) cards.push_back(services_card());
    return ws::page_stack(std::move(cards));
  }

 private:
  bool serving() const { return state_.config.role != DeviceRole::PersonalDevice; }
  bool has_target() const { return target_ != state_.trusted_devices.end(); }
  bool has_source() const { return source_ != state_.trusted_devices.end(); }

  // A control whose action the section does not offer is shown but cannot be used.
  template <typename Control, typename Value>
  static WidgetBox bound(Control control, std::optional<orvo_actions::ActionBinding<Value>> binding) {
    if (binding) return std::make_unique<Control>(std::move(control).on_action(std::move(*binding)));
    return std::make_unique<Control>(std::move(control).enabled(false));
  }

  static WidgetBox toggle(std::string_view id, bool value, std::optional<orvo_actions::ActionBinding<bool>> binding) {
    return bound(orvo_ui::Toggle::from_state(orvo_ui::PublishedCell<bool>(value)).with_id(id), std::move(binding));
  }

  static WidgetBox choice(std::string_view id, const std::vector<std::string>& choices, std::string_view current,
                          std::string_view action) {
    auto dropdown = orvo_ui::Dropdown::from_state(orvo_ui::PublishedCell<std::string>(std::string(current)), choices)
                        .with_id(id)
                        .with_placeholder(current);
    return bound(std::move(dropdown), actions::device_mesh_choice_binding(action));
  }

  WidgetBox press(std::string_view key, std::string_view label, bool enabled = true) {
    return std::make_unique<orvo_ui::Button>(
        controls_.press_button(std::string(key), std::string(label), key).enabled(enabled));
  }

  WidgetBox continue_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::value_row("Workspace and app activity", "Sync automatically"));
    rows.push_back(ws::caption_text(
        "Pick up your open workspaces, app tabs, reading position, and playback on any device signed in as you."));
    if (!state_.config.workspaces.empty()) {
      const ReplicationKind kind = current_replication(state_.config);
      rows.push_back(ws::described_setting_row_fixed(
          "Files", replication_caption(kind),
          choice("device_mesh.replication", kReplicationChoices, replication_label(kind), "replication")));
    } else {
      rows.push_back(ws::value_row("Files", "Download when opened"));
    }
    return ws::titled_card("Continue across devices", ws::section_stack(std::move(rows)));
  }

  std::string target_name() const { return has_target() ? target_->device_label : "No certified target"; }

  WidgetBox privacy_card() {
    const ContinuityPrivacy& privacy = state_.continuity;
    std::vector<WidgetBox> rows;
    rows.push_back(ws::described_setting_row(
        "Allow Continuity from this device",
        "Master device-local kill switch. Turning it off stops every facet immediately without forgetting individual "
        "choices.",
        toggle("device_mesh.continuity.enabled", privacy.enabled,
               actions::device_mesh_toggle_binding("continuity-enabled"))));
    for (ContinuityCapability capability : kContinuityCapabilities) {
      const bool on = privacy.capability(capability);
      std::string help;
      if (!on) {
        help = fmt::format("{} Off on this device.", description(capability));
      } else if (!privacy.enabled) {
        help = fmt::format("{} Prepared, but stopped by the master switch.", description(capability));
      } else {
        help = fmt::format("{} Active for {}.", description(capability), target_name());
      }
      std::string action = fmt::format("continuity-{}", id(capability));
      std::replace(action.begin(), action.end(), '_', '-');
      rows.push_back(ws::described_setting_row(
          title(capability), help,
          toggle(fmt::format("device_mesh.continuity.{}", id(capability)), on,
                 actions::device_mesh_toggle_binding(action))));
    }
    rows.push_back(ws::caption_text(
        "These hardware and privacy choices stay on this device. They are not copied by settings sync."));
    if (state_.continuity_error) rows.push_back(ws::caption_text(*state_.continuity_error));
    return ws::titled_card("Continuity privacy", ws::section_stack(std::move(rows)));
  }

  WidgetBox route_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::value_row("Current target", target_name()));
    rows.push_back(ws::caption_text(
        has_target() ? fmt::format("Certified by your Orvo identity · fingerprint {}. Private keys and pairing "
                                   "credentials never appear here.",
                                   target_->fingerprint)
                     : std::string("Add another personal device to make it an eligible Continuity target.")));
    rows.push_back(ws::value_row(
        "Source", has_source()
                      ? fmt::format("{} · certified fingerprint {}", source_->device_label, source_->fingerprint)
                      : std::string("This source is not yet present in the certified-device fleet.")));
    if (!has_target()) {
      rows.push_back(ws::caption_text(
          "No capability can become active until another non-revoked certified device is available."));
    }
    return ws::titled_card("Current Continuity route", ws::section_stack(std::move(rows)));
  }

  // A roamed value and how it was decided: the decision names several devices, so it goes under
  // its label and wraps rather than squeezing the label beside it.
  static WidgetBox decision_row(std::string_view label, std::string decision) {
    return ws::stacked_setting_row(
        label, std::make_unique<orvo_ui::Text>(
                   orvo_ui::Text(std::move(decision)).with_size(ws::kRowTextSize).with_wrap(true)));
  }

  WidgetBox roaming_card() {
    std::vector<WidgetBox> rows;
    const auto& provenance = state_.roaming_provenance;
    if (!provenance) {
      rows.push_back(ws::caption_text("No roaming settings decision has been published on this device yet."));
    } else if (provenance->settings.empty() && provenance->wifi_profiles.empty()) {
      rows.push_back(ws::caption_text("No personal settings or saved Wi-Fi profiles are roaming."));
    } else {
      for (const auto& setting : provenance->settings) {
        rows.push_back(decision_row(setting.key, provenance_text(setting.winner, setting.differing)));
      }
      for (const auto& profile : provenance->wifi_profiles) {
        rows.push_back(decision_row(fmt::format("Wi-Fi · {}", profile.profile),
                                    fmt::format("Sealed {} profile. {}", profile.security,
                                                provenance_text(profile.winner, profile.differing))));
      }
    }
    if (state_.roaming_provenance_error) rows.push_back(ws::caption_text(*state_.roaming_provenance_error));
    rows.push_back(ws::caption_text(
        "Settings conflicts use the newest certified revision, then the device identity as a stable tie-break. Wi-Fi "
        "rows contain only profile metadata; passwords and sealed envelopes never enter Settings."));
    return ws::titled_card("Roaming settings & Wi-Fi", ws::section_stack(std::move(rows)));
  }

  WidgetBox activity_card() {
    const auto& audit = state_.continuity.audit;
    std::vector<WidgetBox> rows;
    if (audit.empty()) {
      rows.push_back(ws::caption_text("No local Continuity control changes have been recorded yet."));
    } else {
      rows.push_back(ws::caption_text(
          "Only the latest 24 control changes stay on this device. Clipboard data, notification text, file names, "
          "session credentials, addresses, and input payloads are never logged."));
      for (auto entry = audit.rbegin(); entry != audit.rend(); ++entry) {
        rows.push_back(ws::value_row(
            "Local policy change",
            fmt::format("{} {} · local record {}", entry->capability ? title(*entry->capability) : "All Continuity",
                        entry->enabled ? "allowed" : "stopped", entry->recorded_at_secs)));
      }
    }
    return ws::titled_card("Recent Continuity activity", ws::section_stack(std::move(rows)));
  }

  // "Pairing…" while this kind's command runs, "Approve …" while its candidate waits.
  WidgetBox pairing_button(std::string_view key, std::uint8_t kind, std::string_view idle_label) {
    std::string label(idle_label);
    if (state_.pairing_kind == kind && state_.pairing_running) {
      label = "Pairing…";
    } else if (state_.pairing_kind == kind && state_.pair_candidate) {
      label = fmt::format("Approve {} · {}", state_.pair_candidate->label, state_.pair_candidate->verification_code);
    }
    return press(key, label, !state_.pairing_running);
  }

  WidgetBox add_device_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::caption_text(
        "On the new device, choose Use my existing Orvo identity. Compare the nearby six-digit code, then approve it "
        "here. Your open workspaces and trusted home peers appear automatically."));
    if (state_.pairing_kind == kPersonalDeviceKind &&
        (state_.pairing_running || state_.pair_candidate || !state_.status_message.empty())) {
      rows.push_back(ws::caption_text(state_.status_message));
    }
    return ws::titled_card_with_accessory(
        "Add a personal device",
        pairing_button("device_mesh.approve_personal_device", kPersonalDeviceKind, "Add device"),
        ws::section_stack(std::move(rows)));
  }

  void trusted_device_rows(const FleetDeviceRow& device, std::vector<WidgetBox>& rows) {
    const std::string help = fmt::format("Identity fingerprint · {}", device.fingerprint);
    const PublicKey& key = device.device_public_key;
    if (state_.pending_revocations.contains(device_key_hex(key))) {
      rows.push_back(ws::described_setting_row(
          device.device_label, help,
          press(personal_device_key("revoke", key), "Revoke access", !device.this_device && !device.revoked)));
      const std::string reason_key = personal_device_key("reason", key);
      rows.push_back(ws::described_setting_row_fixed(
          "Why is access ending?", "This reason is signed into your device history and cannot be changed later.",
          std::make_unique<orvo_ui::Dropdown>(
              controls_.dropdown(reason_key, kReasonChoices).with_placeholder(kDefaultReason))));
      rows.push_back(ws::described_setting_row(
          "Access ends permanently",
          "The device stops receiving and authoring new workspace changes. Data already on it is not remotely "
          "erased; change account passwords too if it is lost or stolen.",
          press(personal_device_key("cancel", key), "Cancel")));
      return;
    }
    WidgetBox control;
    if (device.this_device) {
      control = ws::tone_badge("This device", kGood);
    } else if (device.revoked) {
      control = ws::tone_badge("Revoked", kQuiet);
    } else if (device.may_act_as_host) {
      control = ws::tone_badge("Home server", kQuiet);
    } else {
      control = press(personal_device_key("revoke", key), "Decommission");
    }
    rows.push_back(ws::described_setting_row(device.device_label, help, std::move(control)));
  }

  WidgetBox trusted_devices_card() {
    std::vector<WidgetBox> rows;
    for (const FleetDeviceRow& device : state_.trusted_devices) trusted_device_rows(device, rows);
    if (state_.trusted_devices_error) {
      rows.push_back(ws::caption_text(fmt::format("Device list unavailable: {}", *state_.trusted_devices_error)));
    }
    if (state_.trusted_devices.empty()) {
      rows.push_back(ws::caption_text("This device appears here after identity setup completes."));
    }
    return ws::titled_card("Your trusted devices", ws::section_stack(std::move(rows)));
  }

  bool status_belongs_to_availability() const {
    const std::string& message = state_.status_message;
    return message == "Saved" ||
           std::any_of(kAvailabilityStatusPrefixes.begin(), kAvailabilityStatusPrefixes.end(),
                       [&](std::string_view prefix) { return message.starts_with(prefix); });
  }

  std::string_view role_caption() const {
    switch (state_.config.role) {
      case DeviceRole::PersonalDevice: return "Choose Always-on server to make this device your always-on sync home.";
      case DeviceRole::AvailableWhileActive:
        return "Workspace updates stay available to your other devices while this device is awake.";
      case DeviceRole::AlwaysOnServer:
        if (state_.config.workspaces.empty()) return "Workspaces added to this device stay available around the clock.";
        if (current_replication(state_.config) == ReplicationKind::Full) {
          return "Open workspaces, app progress, and full file copies stay available from this device.";
        }
        return "Open workspaces and app progress stay available from this device around the clock.";
    }
    return "";
  }

  WidgetBox availability_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::described_setting_row_fixed(
        "This device",
        "Use it normally, sync while it is awake, or make it the always-on home for your workspaces and files.",
        choice("device_mesh.role", kRoleChoices, role_label(state_.config.role), "role")));
    if (status_belongs_to_availability()) rows.push_back(ws::caption_text(state_.status_message));
    if (serving()) {
      rows.push_back(ws::described_setting_row("Home peer", sync_status_caption(state_.sync_status),
                                               ws::tone_badge(sync_status_label(state_.sync_status),
                                                              sync_status_tone(state_.sync_status))));
    }
    rows.push_back(ws::value_row("Workspaces", fmt::format("{}", state_.config.workspaces.size())));
    rows.push_back(ws::caption_text(role_caption()));
    return ws::titled_card("Device availability", ws::section_stack(std::move(rows)));
  }

  WidgetBox workspaces_card() {
    std::vector<WidgetBox> rows;
    for (const WorkspaceLabel& workspace : state_.workspace_labels) {
      const bool bound = std::any_of(state_.config.workspaces.begin(), state_.config.workspaces.end(),
                                     [&](const auto& binding) { return binding.workspace_id == workspace.id; });
      rows.push_back(ws::described_setting_row(
          workspace.label, "Keep this workspace available from this device",
          toggle(fmt::format("device_mesh.workspace.{}", workspace.id), bound,
                 actions::workspace_available_binding(workspace.id, workspaces_))));
    }
    if (rows.empty()) rows.push_back(ws::caption_text("Your workspaces appear here as soon as they are opened."));
    return ws::titled_card("Synced workspaces", ws::section_stack(std::move(rows)));
  }

  WidgetBox home_server_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::caption_text(
        "Choose Pair home server while your new Orvo server is starting. It receives its identity and full-sync setup "
        "automatically."));
    if (!state_.home_peers.empty()) {
      rows.push_back(ws::value_row("Paired home servers", fmt::format("{}", state_.paired_home_server_count)));
    }
    if (state_.pairing_running || state_.status_message.starts_with("Home server")) {
      rows.push_back(ws::caption_text(state_.status_message));
    }
    return ws::titled_card_with_accessory(
        "Home server or NAS", pairing_button("device_mesh.approve_enrollment", kHomeServerKind, "Pair home server"),
        ws::section_stack(std::move(rows)));
  }

  WidgetBox home_peer_card(const HomePeerRegistration& peer) {
    const std::string& node = peer.device_node_id;
    const bool removing = state_.pending_removals.contains(node);
    const auto status_entry = state_.home_peer_status.find(node);
    const std::string status = status_entry != state_.home_peer_status.end() ? status_entry->second : "Checking…";
    const AvailabilityBadge badge = availability_badge(status);

    std::vector<WidgetBox> rows;
    const std::string name_key = home_peer_key("name", node);
    rows.push_back(ws::described_setting_row_fixed(
        "Name", "Name this home server",
        std::make_unique<orvo_ui::TextInput>(
            controls_.text_input(name_key).with_placeholder(peer.label))));
    rows.push_back(ws::described_setting_row("Apply name", "Updates the authenticated home server",
                                             press(home_peer_key("rename", node), "Rename")));
    rows.push_back(ws::described_setting_row("Availability", status, ws::tone_badge(badge.text, badge.tone)));
    if (removing) {
      rows.push_back(ws::described_setting_row(
          "Files are not remotely erased",
          "Revoking stops this server receiving new changes. Make sure another device has any files whose only full "
          "copy is here.",
          press(home_peer_key("cancel_remove", node), "Cancel")));
    }
    return ws::titled_card_with_accessory(
        peer.label, press(home_peer_key("remove", node), removing ? "Revoke & remove" : "Remove server"),
        ws::section_stack(std::move(rows)));
  }

  WidgetBox services_card() {
    std::vector<WidgetBox> rows;
    for (const ServiceRow& service : kServiceRows) {
      rows.push_back(ws::described_setting_row(
          service.title, service.help,
          toggle(service.id, state_.config.services.*service.value, actions::device_mesh_toggle_binding(service.action))));
    }
    return ws::titled_card("Device services", ws::section_stack(std::move(rows)));
  }

  const MeshPageState& state_;
  DocumentControls& controls_;
  PaneWorkspaces workspaces_;
  std::vector<FleetDeviceRow>::const_iterator target_;
  std::vector<FleetDeviceRow>::const_iterator source_;
};

}  // namespace

std::string_view replication_label(ReplicationKind kind) {
  switch (kind) {
    case ReplicationKind::WorkspaceOnly: return "Workspace state";
    case ReplicationKind::Full: return "Full workspace copy";
    case ReplicationKind::OnDemand:
    case ReplicationKind::PerResource: return "On demand";
  }
  return "On demand";
}

std::string provenance_text(const ProvenanceSource& winner, const std::vector<ProvenanceSource>& differing) {
  if (differing.empty()) return fmt::format("From {}", source_text(winner));
  constexpr std::size_t kNamed = 3;
  std::string names;
  for (std::size_t i = 0; i < std::min(kNamed, differing.size()); ++i) {
    if (i > 0) names += ", ";
    names += source_text(differing[i]);
  }
  const std::string more =
      differing.size() > kNamed ? fmt::format(" and {} more", differing.size() - kNamed) : std::string();
  return fmt::format("Resolved to {}; differs from {}{}", source_text(winner), names, more);
}

std::unique_ptr<orvo_ui::Widget> build_device_mesh_page(const MeshPageState& state, DocumentControls& controls) {
  return MeshPageBuilder(state, controls).page();
}

MeshPageState DeviceMeshPane::page_state() const {
  MeshPageState state;
  state.config = config_;
  state.status_message = status_message_;
  state.workspace_labels = workspace_labels_;
  state.home_peers = home_peers_;
  state.trusted_devices = trusted_devices_;
  state.trusted_devices_error = trusted_devices_error_;
  state.continuity = continuity_;
  state.continuity_error = continuity_error_;
  state.roaming_provenance = roaming_provenance_;
  state.roaming_provenance_error = roaming_provenance_error_;
  state.home_peer_status = home_peer_status_;
  state.pending_revocations = pending_revocations_;
  state.pending_removals = pending_removals_;
  state.paired_home_server_count = paired_home_server_count_;
  state.sync_status = sync_status_;
  state.pairing_running = pairing_command_.has_value();
  state.pairing_kind = pairing_kind_;
  state.pair_candidate = pair_candidate_;
  return state;
}

std::unique_ptr<orvo_ui::Widget> DeviceMeshPane::build_view() { return build_device_mesh_page(page_state(), controls_); }

std::unique_ptr<orvo_ui::Widget> device_mesh_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<DeviceMeshPane>(DeviceMeshPane()
                                              .with_pane_operation(inputs.device_mesh_operation)
                                              .with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::device_mesh
