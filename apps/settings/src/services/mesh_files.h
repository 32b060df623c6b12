#pragma once
// The files of the device mesh that the Devices & Sync pane reads, and the values derived from them.
// Every reader is tolerant: a missing, unreadable, oversized or undecodable file reads as nothing,
// except the relay configuration and the roaming provenance, whose failures become status texts.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "orvo_json/json.h"
#include "orvo_relay/config.h"
#include "orvo_relay/protocol.h"
#include "settings_store/roaming_provenance.h"

namespace settings::panes::device_mesh {

using orvo_relay_protocol::config::RelayConfig;
using orvo_relay_protocol::home_peer::HomePeerRegistration;

// The device identity root: $ORVO_IDENTITY_ROOT as it stands (an empty value too); else
// "/var/lib/orvo" when "/var/lib/orvo/device" is a directory; else "orvo" in the user's data
// directory, or the relative ".local/share/orvo" when none is known.
std::filesystem::path identity_root();

// "orvo/state.json" in the user's configuration directory; the relative "state.json" without one.
std::filesystem::path mesh_state_path();

struct WorkspaceLabel {
  std::string label;
  std::uint64_t id = 0;
  bool operator==(const WorkspaceLabel&) const = default;
};

// The workspaces of the mesh state file, then the bindings of `config` it does not name
// ("Workspace 42"), sorted by label bytes and then id. Duplicate ids stay.
std::vector<WorkspaceLabel> workspace_labels(const RelayConfig& config);

// "home-peers.json" under the identity root, in file order; empty when the file is missing, longer
// than 1 MiB or any element does not decode.
std::vector<HomePeerRegistration> load_home_peers();

std::filesystem::path home_peer_health_path();
// Last time each peer was seen online (ms since the epoch) by device node id; empty as above.
std::unordered_map<std::string, std::uint64_t> load_home_peer_health();

// Whether "pending-home-peer-decommissions.json" under the identity root holds a non-empty array.
bool has_pending_decommissions();

enum class SyncStatus : std::uint8_t { Offline = 0, Online = 1, Syncing = 2, Ready = 3 };

std::string_view sync_status_label(SyncStatus status);
std::string_view sync_status_caption(SyncStatus status);
// The tone byte of the shared badge builder.
std::uint8_t sync_status_tone(SyncStatus status);

SyncStatus sync_status(const RelayConfig& config, std::chrono::system_clock::time_point now);

// The relay configuration loaded from `path` (the default one when it cannot be) and the text
// that says how loading went.
struct RelayStatus {
  RelayConfig config;
  std::string text;
};
RelayStatus load_relay_status(const std::filesystem::path& path = orvo_relay_protocol::config::default_path());

struct RoamingProvenanceLoad {
  std::optional<settings_store::roaming_provenance::RoamingProvenance> provenance;
  std::optional<std::string> error;
  std::optional<std::filesystem::file_time_type> modified;
};
RoamingProvenanceLoad load_roaming_provenance(const std::optional<std::filesystem::path>& path);

// The answer of the enrolment program's discovery.
struct PairCandidate {
  std::string device_node_id;
  std::string relay_service_node_id;
  std::string label;
  std::string verification_code;
  bool operator==(const PairCandidate&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<PairCandidate>) {
  return orvo_json::record<PairCandidate>("PairCandidate",
                                          orvo_json::field("device_node_id", &PairCandidate::device_node_id),
                                          orvo_json::field("relay_service_node_id", &PairCandidate::relay_service_node_id),
                                          orvo_json::field("label", &PairCandidate::label),
                                          orvo_json::field("verification_code", &PairCandidate::verification_code));
}

std::expected<PairCandidate, std::string> decode_pair_candidate(std::string_view text);

}  // namespace settings::panes::device_mesh
