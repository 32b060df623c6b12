#pragma once
// The pane of the section "devices_sync": this device's role, replication and relay services, the
// synced workspaces, the home servers and trusted devices, and the Continuity choices.
//
// Everything runs on the interface thread. A change (from the view's controls or handed over by
// the shell as a `DeviceMeshOperation`) is made in memory at once and then handed to the privileged
// home-peer control program as a policy document. That program, and the pairing and administration
// programs, run as child processes in three slots that each pass polls without blocking; while one
// runs the pane asks to be woken every 100 ms. Every 2 seconds the pass re-reads the status files.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "actions/account_operations.h"
#include "orvo_actions/context.h"
#include "orvo_runtime/bounded_command.h"
#include "panes/device_mesh/continuity.h"
#include "panes/device_mesh/device_mesh_view.h"
#include "panes/device_mesh/fleet.h"
#include "services/mesh_files.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"

namespace settings::panes::device_mesh {

using actions::DeviceMeshOperation;

inline constexpr std::string_view kApproveEnrollmentKey = "device_mesh.approve_enrollment.edit";
inline constexpr std::string_view kApprovePersonalDeviceKey = "device_mesh.approve_personal_device.edit";

inline constexpr std::string_view kOperationSucceeded = "Device & Sync settings saved on this device";

// The privileged apply of the device-services policy.
inline constexpr std::string_view kPolicyLauncher = "pkexec";
inline constexpr std::string_view kControlProgram = "/usr/libexec/orvo-home-peer-control";
inline constexpr std::chrono::seconds kPolicyTimeLimit{120};
inline constexpr std::size_t kCommandOutputLimit = 1'048'576;

inline constexpr auto kRefreshInterval = std::chrono::seconds(2);
inline constexpr auto kCommandPollInterval = std::chrono::milliseconds(100);

// "device_mesh.home_peer.{field}.{device_node_id}.edit"
std::string home_peer_key(std::string_view field, std::string_view device_node_id);
// "device_mesh.personal_device.{field}.{64 lower-case hex digits of the key}.edit"
std::string personal_device_key(std::string_view field, const PublicKey& device_public_key);
// The 64 lower-case hexadecimal digits of a device key, as the pending revocations hold it.
std::string device_key_hex(const PublicKey& device_public_key);

// A program's standard error as the detail of a failure sentence (cleaned, at most 512 characters),
// or `fallback` when nothing printable is left.
std::string command_detail(std::string_view output, std::string_view fallback);

// The policy document handed to the control program: compact JSON, members in a fixed order.
std::string device_policy_document(const std::filesystem::path& identity_root, const RelayConfig& config);

// The clocks the pane reads: the loop's monotonic clock for its refresh, the wall clock for
// last-seen times and revocations. Tests give their own.
struct MeshClock {
  std::function<orvo_ui::Deadline()> monotonic = [] { return orvo_ui::Deadline::now(); };
  std::function<std::chrono::system_clock::time_point()> wall = [] { return std::chrono::system_clock::now(); };
};

class DeviceMeshPane final : public PaneGlue {
 public:
  using OperationCell = settings_app::DeviceMeshOperationCell;

  // Reads the relay configuration, the mesh files, the fleet and the Continuity choices.
  DeviceMeshPane();
  DeviceMeshPane(DeviceMeshPane&&) = default;

  DeviceMeshPane with_pane_operation(OperationCell cell) &&;
  DeviceMeshPane with_operation_status(settings_app::OperationStatusCell cell) &&;
  // Replaces the clocks; the next refresh is due one interval after the new clock's now.
  DeviceMeshPane with_clock(MeshClock clock) &&;

  std::string_view type_name() const override { return "settings::panes::device_mesh::DeviceMeshPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  std::optional<orvo_ui::Deadline> next_wake_deadline() const override;
  // The pane as the source of a change the user just made on the page; none when nothing was.
  std::optional<orvo_actions::ActionContext> commit_context();
  // Everything the page shows, as it stands.
  MeshPageState page_state() const;

  // The 2-second refresh: the sync status and the roaming provenance, then the next deadline.
  void refresh_status();

  // What the view and the tests read.
  const RelayConfig& relay_config() const { return config_; }
  const std::string& status_message() const { return status_message_; }
  const std::vector<WorkspaceLabel>& workspace_labels() const { return workspace_labels_; }
  const ContinuityPrivacy& continuity() const { return continuity_; }
  const std::optional<std::string>& continuity_error() const { return continuity_error_; }
  const std::vector<HomePeerRegistration>& home_peers() const { return home_peers_; }
  const std::vector<FleetDeviceRow>& trusted_devices() const { return trusted_devices_; }
  const std::optional<std::string>& trusted_devices_error() const { return trusted_devices_error_; }
  SyncStatus sync_status() const { return sync_status_; }
  const std::optional<settings_store::roaming_provenance::RoamingProvenance>& roaming_provenance() const {
    return roaming_provenance_;
  }
  bool policy_running() const { return policy_command_.has_value(); }
  bool pairing_running() const { return pairing_command_.has_value(); }
  bool reapply_pending() const { return reapply_pending_; }
  orvo_ui::Deadline refresh_deadline() const { return refresh_deadline_; }
  bool admin_running() const { return admin_command_.has_value(); }
  // The device node id the running admin command is about ("__pending__" for the retry of removals).
  const std::optional<std::string>& admin_command_peer() const { return admin_command_peer_; }
  // Pairing: the kind of the last discovery (0 home server, 1 personal device), whether the running
  // pairing command is a discovery, and the device found and awaiting approval.
  std::uint8_t pairing_kind() const { return pairing_kind_; }
  bool discovering() const { return discovering_; }
  const std::optional<PairCandidate>& pair_candidate() const { return pair_candidate_; }
  std::size_t paired_home_server_count() const { return paired_home_server_count_; }
  // Availability text per home peer device node id; a peer without one has not been checked yet.
  const std::map<std::string, std::string>& home_peer_status() const { return home_peer_status_; }
  const std::unordered_map<std::string, std::uint64_t>& home_peer_last_seen() const { return home_peer_last_seen_; }
  // Whether the first press of a two-press removal or revocation awaits confirmation.
  bool removal_pending(const std::string& device_node_id) const { return pending_removals_.contains(device_node_id); }
  bool revocation_pending(const PublicKey& device_public_key) const;

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  // The steps of a pass, in order.
  void poll_policy_command();
  void poll_pairing_command();
  void poll_admin_command();
  void take_operation();
  void write_reset_keys(orvo_doc::Document& document);
  // Gives rows that appeared since the keys were written (a home server or a device just paired, a
  // list read again) their keys, leaving the rows already there as the user left them.
  void seed_new_rows(orvo_doc::Document& document);
  void read_approve_keys(orvo_doc::Document& document);
  void read_trusted_device_keys(orvo_doc::Document& document);
  void read_home_peer_keys(orvo_doc::Document& document);
  void refresh_when_due();

  // Carries out one operation; the failure sentence when it cannot be.
  std::optional<std::string> execute(const DeviceMeshOperation& operation);
  std::optional<std::string> set_role(std::string_view role);
  std::optional<std::string> set_replication(std::string_view replication);
  std::optional<std::string> set_service(std::string_view service, bool enabled);
  std::optional<std::string> set_workspace(std::uint64_t id, bool enabled);
  void set_continuity(std::optional<ContinuityCapability> capability, bool enabled);
  void save_continuity();

  // Starts the control program with the current policy.
  void apply_device_policy();
  // Publishes the outcome under the operation's key while the shell still runs it.
  void report_operation(TakenOperation<DeviceMeshOperation>& taken, std::optional<std::string> error);
  // Starts pairing of a home server (kind 0) or a personal device (kind 1).
  void start_pairing(std::uint8_t kind);

  // Home peer administration: starts `subcommand` about the peer when the admin slot is free.
  void run_relay_admin(const HomePeerRegistration& peer, std::string_view subcommand,
                       std::optional<std::string> label);
  // A rename or removal the user asked for: runs now, or waits for the slot (a later one replaces it).
  void request_relay_admin(const std::string& device_node_id, std::string_view subcommand,
                           std::optional<std::string> label);
  void start_waiting_admin();
  void end_admin_command(const std::optional<std::string>& key,
                         const std::expected<bounded_command::AsyncCommand::Poll, bounded_command::Error>& polled);
  // After the refresh, with the admin slot free: the retry of pending removals or the next health check.
  void run_periodic_admin_work();

  // The confirmed revocation of a trusted device with the reason chosen in its row.
  void revoke_trusted_device(const FleetDeviceRow& row, const std::optional<std::string>& reason);
  // The trusted devices as the pane is built with them: not-found is an empty list without an error.
  void load_trusted_devices();

  std::optional<bounded_command::AsyncCommand> admin_command_;
  std::optional<bounded_command::AsyncCommand> policy_command_;
  std::optional<bounded_command::AsyncCommand> pairing_command_;
  std::filesystem::path relay_config_path_;
  RelayConfig config_;
  std::string status_message_;
  std::vector<WorkspaceLabel> workspace_labels_;
  std::vector<HomePeerRegistration> home_peers_;
  std::vector<FleetDeviceRow> trusted_devices_;
  ContinuityPrivacy continuity_;
  std::optional<std::string> trusted_devices_error_;
  std::optional<std::string> continuity_error_;
  std::optional<std::filesystem::path> roaming_provenance_path_;
  std::optional<settings_store::roaming_provenance::RoamingProvenance> roaming_provenance_;
  std::optional<std::string> roaming_provenance_error_;
  std::optional<std::filesystem::file_time_type> roaming_provenance_modified_;
  std::optional<std::string> admin_command_peer_;
  std::optional<PairCandidate> pair_candidate_;
  orvo_ui::Deadline refresh_deadline_;
  std::map<std::string, std::string> home_peer_status_;
  std::unordered_map<std::string, std::uint64_t> home_peer_last_seen_;
  std::set<std::string> pending_revocations_;  // hex keys
  std::set<std::string> pending_removals_;
  // The rows whose keys have been written: home peers by node id, trusted devices by hex key.
  std::set<std::string> seeded_home_peers_;
  std::set<std::string> seeded_devices_;
  std::size_t paired_home_server_count_ = 0;
  std::size_t health_check_cursor_ = 0;
  std::optional<OperationCell> operation_cell_;
  std::optional<settings_app::OperationStatusCell> status_cell_;
  bool reset_keys_ = true;
  bool reapply_pending_ = false;
  bool discovering_ = false;
  std::uint8_t pairing_kind_ = 0;
  SyncStatus sync_status_ = SyncStatus::Offline;

  struct WaitingAdmin {
    std::string device_node_id;
    std::string subcommand;
    std::optional<std::string> label;
  };
  std::optional<WaitingAdmin> waiting_admin_;
  MeshClock clock_;

  // The document keys of each row, formatted once per list rather than on every pass.
  struct HomePeerKeys {
    std::string device_node_id, name, rename, remove, cancel_remove;
  };
  struct TrustedDeviceKeys {
    PublicKey device_public_key;
    std::string hex, revoke, cancel, reason;
  };
  const std::vector<HomePeerKeys>& home_peer_keys();
  const std::vector<TrustedDeviceKeys>& trusted_device_keys();
  std::vector<HomePeerKeys> home_peer_keys_;
  std::vector<TrustedDeviceKeys> trusted_device_keys_;
};

}  // namespace settings::panes::device_mesh
