#include "panes/device_mesh/device_mesh_pane.h"

#include <algorithm>
#include <system_error>
#include <type_traits>
#include <utility>

#include <fmt/format.h>

#include "actions/settings_dispatch.h"
#include "lib/settings_document.h"
#include "orvo_runtime/text.h"
#include "settings_store/roaming_provenance.h"

namespace settings::panes::device_mesh {
namespace {

using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::ReplicationKind;
using orvo_relay_protocol::config::ReplicationPolicy;
using orvo_relay_protocol::config::WorkspaceBinding;

constexpr std::string_view kRetiredReason = "Retired";

void put_bool(orvo_doc::Document& document, std::string_view key, bool value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(value));
}

void put_text(orvo_doc::Document& document, std::string_view key, std::string value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(std::move(value)));
}

// Reads a press key and writes it back to false; whether it was pressed.
bool take_press(orvo_doc::Document& document, std::string_view key) {
  if (lib::read_bool(document, orvo_doc::kRoot, key) != true) return false;
  put_bool(document, key, false);
  return true;
}

orvo_ui::Deadline later(orvo_ui::Deadline from, std::chrono::milliseconds interval) {
  const std::int64_t nanos = static_cast<std::int64_t>(from.nanos) + (interval.count() % 1000) * 1'000'000;
  from.secs += interval.count() / 1000 + nanos / 1'000'000'000;
  from.nanos = static_cast<std::uint32_t>(nanos % 1'000'000'000);
  return from;
}

}  // namespace

std::string home_peer_key(std::string_view field, std::string_view device_node_id) {
  return fmt::format("device_mesh.home_peer.{}.{}.edit", field, device_node_id);
}

std::string personal_device_key(std::string_view field, const PublicKey& device_public_key) {
  return fmt::format("device_mesh.personal_device.{}.{}.edit", field, device_key_hex(device_public_key));
}

std::string command_detail(std::string_view output, std::string_view fallback) {
  return orvo_runtime::text::command_detail_text(output, fallback);
}

DeviceMeshPane::DeviceMeshPane()
    : PaneGlue("DeviceMeshPane", DirtyRule::OwnFlagFirst),
      relay_config_path_(orvo_relay_protocol::config::default_path()) {
  RelayStatus relay = load_relay_status(relay_config_path_);
  config_ = std::move(relay.config);
  status_message_ = std::move(relay.text);

  sync_status_ = device_mesh::sync_status(config_, std::chrono::system_clock::now());
  workspace_labels_ = device_mesh::workspace_labels(config_);
  home_peers_ = load_home_peers();
  paired_home_server_count_ = home_peers_.size();

  load_trusted_devices();

  continuity_ = load_continuity();

  roaming_provenance_path_ = settings_store::roaming_provenance::path();
  RoamingProvenanceLoad provenance = load_roaming_provenance(roaming_provenance_path_);
  roaming_provenance_ = std::move(provenance.provenance);
  roaming_provenance_error_ = std::move(provenance.error);
  roaming_provenance_modified_ = provenance.modified;

  home_peer_last_seen_ = load_home_peer_health();
  refresh_deadline_ = orvo_ui::Deadline::after_millis(std::chrono::milliseconds(kRefreshInterval).count());
}

DeviceMeshPane DeviceMeshPane::with_pane_operation(OperationCell cell) && {
  operation_cell_ = std::move(cell);
  return std::move(*this);
}

DeviceMeshPane DeviceMeshPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  status_cell_ = std::move(cell);
  return std::move(*this);
}

DeviceMeshPane DeviceMeshPane::with_clock(MeshClock clock) && {
  clock_ = std::move(clock);
  refresh_deadline_ = later(clock_.monotonic(), kRefreshInterval);
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> DeviceMeshPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"devices-sync", "Devices & Sync", "Change device mesh settings"};
}

std::optional<orvo_actions::ActionContext> DeviceMeshPane::commit_context() {
  const bool pending = take_commit_pending() || (view() && view()->needs_commit());
  return actions::preference_pane_source(pending, "devices-sync", "Devices & Sync", "Change device mesh settings");
}

std::optional<orvo_ui::Deadline> DeviceMeshPane::next_wake_deadline() const {
  if (admin_command_ || policy_command_ || pairing_command_) {
    return orvo_ui::Deadline::after_millis(kCommandPollInterval.count());
  }
  if (config_.role != DeviceRole::PersonalDevice) return refresh_deadline_;
  return std::nullopt;
}

void DeviceMeshPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  poll_policy_command();
  poll_pairing_command();
  poll_admin_command();
  take_operation();
  if (document) {
    if (reset_keys_) {
      write_reset_keys(*document);
    } else {
      seed_new_rows(*document);
    }
    read_approve_keys(*document);
    read_trusted_device_keys(*document);
    read_home_peer_keys(*document);
  }
  refresh_when_due();
}

void DeviceMeshPane::poll_policy_command() {
  if (!policy_command_) return;
  auto polled = policy_command_->try_wait();
  if (polled && std::holds_alternative<bounded_command::AsyncCommand::Running>(*polled)) return;

  bool apply_again = false;
  if (!polled) {
    reapply_pending_ = false;
    status_message_ = "Not saved: " + polled.error().display();
  } else if (const auto& output = std::get<bounded_command::Output>(*polled); output.status.success()) {
    apply_again = std::exchange(reapply_pending_, false);
    if (!apply_again) status_message_ = "Saved";
  } else {
    reapply_pending_ = false;
    status_message_ = "Not saved: " + command_detail(output.standard_error, "administrator approval was not granted");
  }
  policy_command_.reset();
  if (apply_again) apply_device_policy();
  mark_structure_dirty();
}

void DeviceMeshPane::take_operation() {
  if (!operation_cell_) return;
  auto taken = TakenOperation<DeviceMeshOperation>::take(*operation_cell_, [](const DeviceMeshOperation&) { return true; });
  if (!taken) return;
  std::optional<std::string> error = execute(taken->operation());
  if (!error) {
    if (!policy_command_) {
      apply_device_policy();
    } else {
      reapply_pending_ = true;
      status_message_ = "Saving latest changes…";
    }
    mark_structure_dirty();
  }
  report_operation(*taken, std::move(error));
}

void DeviceMeshPane::report_operation(TakenOperation<DeviceMeshOperation>& taken, std::optional<std::string> error) {
  if (!status_cell_) return;
  taken.finish(*status_cell_, error ? PaneOutcome::failure(std::move(*error))
                                    : PaneOutcome::success(std::string(kOperationSucceeded)));
}

std::optional<std::string> DeviceMeshPane::execute(const DeviceMeshOperation& operation) {
  return std::visit(
      [this](const auto& op) -> std::optional<std::string> {
        using Op = std::decay_t<decltype(op)>;
        if constexpr (std::is_same_v<Op, DeviceMeshOperation::SetRole>) {
          return set_role(op.role);
        } else if constexpr (std::is_same_v<Op, DeviceMeshOperation::SetReplication>) {
          return set_replication(op.replication);
        } else if constexpr (std::is_same_v<Op, DeviceMeshOperation::SetService>) {
          return set_service(op.service, op.enabled);
        } else {
          return set_workspace(op.id, op.enabled);
        }
      },
      static_cast<const DeviceMeshOperation::variant&>(operation));
}

std::optional<std::string> DeviceMeshPane::set_role(std::string_view text) {
  std::optional<DeviceRole> role;
  if (text == "Personal device") role = DeviceRole::PersonalDevice;
  if (text == "Always-on server") role = DeviceRole::AlwaysOnServer;
  if (text == "Available while active") role = DeviceRole::AvailableWhileActive;
  if (!role) return "unsupported device role";
  if (*role == config_.role) return std::nullopt;

  if ((config_.role == DeviceRole::PersonalDevice) != (*role == DeviceRole::PersonalDevice)) mark_structure_dirty();
  config_.role = *role;
  const bool serves_peers = *role != DeviceRole::PersonalDevice;
  config_.reachable_by_peers = serves_peers;
  config_.services.inbound_relay = serves_peers;
  for (WorkspaceBinding& binding : config_.workspaces) binding.host_for_peers = serves_peers;

  if (*role == DeviceRole::AlwaysOnServer) {
    if (config_.workspaces.empty()) {
      for (const WorkspaceLabel& label : workspace_labels_) {
        config_.workspaces.push_back(WorkspaceBinding{label.id, ReplicationPolicy{ReplicationKind::Full, {}}, {}, true});
      }
    }
    config_.full_copy = true;
    for (WorkspaceBinding& binding : config_.workspaces) binding.replication = ReplicationPolicy{ReplicationKind::Full, {}};
  } else {
    config_.full_copy = false;
  }
  refresh_deadline_ = clock_.monotonic();
  return std::nullopt;
}

std::optional<std::string> DeviceMeshPane::set_replication(std::string_view text) {
  std::optional<ReplicationKind> kind;
  if (text == "Workspace state") kind = ReplicationKind::WorkspaceOnly;
  if (text == "On demand") kind = ReplicationKind::OnDemand;
  if (text == "Full workspace copy") kind = ReplicationKind::Full;
  if (!kind) return "unsupported replication policy";
  for (WorkspaceBinding& binding : config_.workspaces) binding.replication = ReplicationPolicy{*kind, {}};
  config_.full_copy = *kind == ReplicationKind::Full;
  return std::nullopt;
}

std::optional<std::string> DeviceMeshPane::set_service(std::string_view service, bool enabled) {
  auto& switches = config_.services;
  if (service == "inbound_relay") {
    switches.inbound_relay = enabled;
  } else if (service == "remote_control_relay") {
    switches.remote_control_relay = enabled;
  } else if (service == "app_serving") {
    switches.app_serving = enabled;
  } else if (service == "compute") {
    switches.compute = enabled;
  } else if (service == "continuity.enabled") {
    set_continuity(std::nullopt, enabled);
  } else if (service.starts_with("continuity.")) {
    const std::optional<ContinuityCapability> capability = capability_from_id(service.substr(11));
    if (!capability) return "unsupported Continuity capability";
    set_continuity(capability, enabled);
  } else {
    return "unsupported device service";
  }
  return std::nullopt;
}

std::optional<std::string> DeviceMeshPane::set_workspace(std::uint64_t id, bool enabled) {
  const bool labelled = std::ranges::any_of(workspace_labels_, [id](const WorkspaceLabel& l) { return l.id == id; });
  if (!labelled) return "workspace is no longer available on this device";
  if (!enabled) {
    config_.remove_workspace(id);
    return std::nullopt;
  }
  const bool bound = std::ranges::any_of(config_.workspaces, [id](const WorkspaceBinding& b) { return b.workspace_id == id; });
  if (!bound) {
    config_.workspaces.push_back(WorkspaceBinding{id, ReplicationPolicy{ReplicationKind::OnDemand, {}}, {},
                                                  config_.role != DeviceRole::PersonalDevice});
  }
  return std::nullopt;
}

void DeviceMeshPane::set_continuity(std::optional<ContinuityCapability> capability, bool enabled) {
  (capability ? continuity_.capability(*capability) : continuity_.enabled) = enabled;
  continuity_.record_change(capability, enabled, static_cast<std::uint64_t>(now_unix_secs()));
  save_continuity();
}

void DeviceMeshPane::save_continuity() {
  if (auto saved = save_continuity_section(continuity_); !saved) {
    continuity_error_ = "Continuity choices were not saved: " + saved.error();
  } else {
    continuity_error_.reset();
  }
}

void DeviceMeshPane::apply_device_policy() {
  bounded_command::PreparedCommand command{std::string(kPolicyLauncher), {std::string(kControlProgram), "apply"}};
  auto started = bounded_command::spawn_prepared(command, device_policy_document(identity_root(), config_),
                                                 kCommandOutputLimit, kPolicyTimeLimit);
  if (!started) {
    status_message_ = "Not saved: could not start system setup: " + started.error().display();
    return;
  }
  policy_command_ = std::move(*started);
  status_message_ = "Saving changes…";
}

void DeviceMeshPane::write_reset_keys(orvo_doc::Document& document) {
  seeded_home_peers_.clear();
  seeded_devices_.clear();
  seed_new_rows(document);
  put_bool(document, kApproveEnrollmentKey, false);
  put_bool(document, kApprovePersonalDeviceKey, false);
  reset_keys_ = false;
}

void DeviceMeshPane::seed_new_rows(orvo_doc::Document& document) {
  for (const HomePeerRegistration& peer : home_peers_) {
    if (!seeded_home_peers_.insert(peer.device_node_id).second) continue;
    put_text(document, home_peer_key("name", peer.device_node_id), peer.label);
    for (std::string_view field : {"rename", "remove", "cancel_remove"})
      put_bool(document, home_peer_key(field, peer.device_node_id), false);
  }
  for (const FleetDeviceRow& device : trusted_devices_) {
    if (!seeded_devices_.insert(device_key_hex(device.device_public_key)).second) continue;
    put_bool(document, personal_device_key("revoke", device.device_public_key), false);
    put_bool(document, personal_device_key("cancel", device.device_public_key), false);
    put_text(document, personal_device_key("reason", device.device_public_key), std::string(kRetiredReason));
  }
}

void DeviceMeshPane::read_approve_keys(orvo_doc::Document& document) {
  if (take_press(document, kApproveEnrollmentKey) && !pairing_command_) start_pairing(0);
  if (take_press(document, kApprovePersonalDeviceKey) && !pairing_command_) start_pairing(1);
}

void DeviceMeshPane::refresh_when_due() {
  if (clock_.monotonic() < refresh_deadline_) return;
  refresh_status();
  run_periodic_admin_work();
}

void DeviceMeshPane::refresh_status() {
  const SyncStatus status = device_mesh::sync_status(config_, clock_.wall());
  if (status != sync_status_) {
    sync_status_ = status;
    mark_structure_dirty();
  }
  if (roaming_provenance_path_) {
    std::error_code ec;
    std::optional<std::filesystem::file_time_type> modified;
    if (auto time = std::filesystem::last_write_time(*roaming_provenance_path_, ec); !ec) modified = time;
    if (modified != roaming_provenance_modified_) {
      RoamingProvenanceLoad load = load_roaming_provenance(roaming_provenance_path_);
      roaming_provenance_ = std::move(load.provenance);
      roaming_provenance_error_ = std::move(load.error);
      roaming_provenance_modified_ = modified;
      mark_structure_dirty();
    }
  }
  refresh_deadline_ = later(clock_.monotonic(), kRefreshInterval);
}

}  // namespace settings::panes::device_mesh
