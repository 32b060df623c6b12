#pragma once
// The Devices & Sync page: a stack of cards built afresh from what the pane holds. Toggles and
// dropdowns act through the section's actions (their change comes back to the pane as a
// `DeviceMeshOperation`), so each starts from a fresh cell holding the pane's value; buttons and the
// home server name field write keys of the pane's document, which the pane's next pass reads.
//
// Interface thread only.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_ui/widget.h"
#include "panes/device_mesh/continuity.h"
#include "panes/device_mesh/fleet.h"
#include "services/mesh_files.h"
#include "panes/document_controls.h"
#include "settings_store/roaming_provenance.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::device_mesh {

using orvo_relay_protocol::config::ReplicationKind;
using settings_store::roaming_provenance::ProvenanceSource;

// What the page shows of the pane.
struct MeshPageState {
  RelayConfig config;
  std::string status_message;
  std::vector<WorkspaceLabel> workspace_labels;
  std::vector<HomePeerRegistration> home_peers;
  std::vector<FleetDeviceRow> trusted_devices;
  std::optional<std::string> trusted_devices_error;
  ContinuityPrivacy continuity;
  std::optional<std::string> continuity_error;
  std::optional<settings_store::roaming_provenance::RoamingProvenance> roaming_provenance;
  std::optional<std::string> roaming_provenance_error;
  // Per "device_node_id"; a peer without one is still being checked.
  std::map<std::string, std::string> home_peer_status;
  // Device keys as `device_key_hex` writes them.
  std::set<std::string> pending_revocations;
  // "device_node_id"s.
  std::set<std::string> pending_removals;
  std::size_t paired_home_server_count = 0;
  SyncStatus sync_status = SyncStatus::Offline;
  bool pairing_running = false;
  // 0 home server, 1 personal device: the kind of the last pairing started.
  std::uint8_t pairing_kind = 0;
  std::optional<PairCandidate> pair_candidate;
};

// "Workspace state", "On demand" or "Full workspace copy"; a per-resource policy reads "On demand".
std::string_view replication_label(ReplicationKind kind);

// How a roamed value was decided: "From {source}" when no device differs, else
// "Resolved to {source}; differs from {first three}" and " and {n} more" beyond three; a source
// reads "{device label} · revision {n}".
std::string provenance_text(const ProvenanceSource& winner, const std::vector<ProvenanceSource>& differing);

// The whole page. Bound controls are made with `controls` (their cells outlive the page).
std::unique_ptr<orvo_ui::Widget> build_device_mesh_page(const MeshPageState& state, DocumentControls& controls);

// The pane of the "devices_sync" line of the pane table, with the shell's cells.
std::unique_ptr<orvo_ui::Widget> device_mesh_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::device_mesh
