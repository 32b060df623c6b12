#include "services/mesh_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/system_paths.h"
#include "settings_store/json_document.h"

namespace settings::panes::device_mesh {

namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

constexpr std::size_t kHomePeerCap = 1'048'576;
// The mesh state file is read on the interface thread; a larger one is treated as unreadable.
constexpr std::size_t kMeshStateCap = 16 * 1'048'576;
constexpr std::size_t kReplicaStatusCap = 1'048'576;
constexpr auto kMetricsFreshFor = seconds(5);
constexpr std::uint64_t kReplicaFreshBelowMs = 5'001;

std::optional<Json> read_json(const std::filesystem::path& path, std::size_t cap) {
  auto text = orvo_runtime::read_capped(path, cap);
  if (!text) return std::nullopt;
  return settings_store::json_document::parse(*text);
}

std::optional<std::uint64_t> non_negative_integer(const Json& value) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_number_integer() && value.get<std::int64_t>() >= 0) return static_cast<std::uint64_t>(value.get<std::int64_t>());
  return std::nullopt;
}

std::optional<system_clock::time_point> modification_time(const std::filesystem::path& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return system_clock::time_point(duration_cast<system_clock::duration>(seconds(st.st_mtim.tv_sec) +
                                                                        nanoseconds(st.st_mtim.tv_nsec)));
}

SyncStatus replica_status(const RelayConfig& config, system_clock::time_point now) {
  const auto replica = read_json(config.replica_status_path, kReplicaStatusCap);
  if (!replica) return SyncStatus::Syncing;
  const bool before_epoch = now < system_clock::time_point{};
  const std::uint64_t now_ms =
      before_epoch ? 0 : static_cast<std::uint64_t>(duration_cast<milliseconds>(now.time_since_epoch()).count());
  std::uint64_t age = now_ms;
  if (replica->is_object()) {
    const auto updated_at = replica->find("updated_at_ms");
    if (updated_at != replica->end()) {
      if (auto updated = non_negative_integer(*updated_at)) age = now_ms > *updated ? now_ms - *updated : 0;
    }
  }
  const bool fresh = age < kReplicaFreshBelowMs || before_epoch;
  if (!replica->is_object()) return SyncStatus::Syncing;
  const auto state = replica->find("state");
  if (state == replica->end() || !state->is_string() || state->get<std::string>() != "ready") return SyncStatus::Syncing;
  const auto full = replica->find("full_content_replication");
  const bool full_content = full != replica->end() && full->is_boolean() && full->get<bool>();
  return full_content && fresh ? SyncStatus::Ready : SyncStatus::Syncing;
}

}  // namespace

std::filesystem::path identity_root() {
  if (const char* value = std::getenv("ORVO_IDENTITY_ROOT")) return std::filesystem::path(value);
  std::error_code ec;
  if (std::filesystem::is_directory(system_paths::system_path("/var/lib/orvo/device"), ec)) {
    return system_paths::system_path("/var/lib/orvo");
  }
  if (auto data = system_paths::user_data_dir()) return *data / "orvo";
  return std::filesystem::path(".local/share") / "orvo";
}

std::filesystem::path mesh_state_path() {
  if (auto config = system_paths::user_config_dir()) return *config / "orvo" / "state.json";
  return "state.json";
}

std::vector<WorkspaceLabel> workspace_labels(const RelayConfig& config) {
  std::vector<WorkspaceLabel> labels;
  const auto state = read_json(mesh_state_path(), kMeshStateCap);
  if (state && state->is_object()) {
    const auto workspaces = state->find("workspaces");
    if (workspaces != state->end() && workspaces->is_array()) {
      for (const auto& element : *workspaces) {
        if (!element.is_object()) continue;
        std::optional<std::uint64_t> id;
        const auto room = element.find("room");
        if (room != element.end() && room->is_string()) {
          if (auto from_room = orvo_relay_protocol::room_workspace_id(room->get<std::string>())) id = *from_room;
        }
        if (!id) {
          const auto number = element.find("id");
          if (number != element.end()) id = non_negative_integer(*number);
        }
        if (!id) continue;
        const auto name = element.find("name");
        labels.push_back({name != element.end() && name->is_string() ? name->get<std::string>() : "Workspace", *id});
      }
    }
  }
  for (const auto& binding : config.workspaces) {
    const bool listed = std::any_of(labels.begin(), labels.end(),
                                    [&](const WorkspaceLabel& l) { return l.id == binding.workspace_id; });
    if (!listed) labels.push_back({"Workspace " + std::to_string(binding.workspace_id), binding.workspace_id});
  }
  std::stable_sort(labels.begin(), labels.end(), [](const WorkspaceLabel& a, const WorkspaceLabel& b) {
    if (a.label != b.label) return a.label < b.label;
    return a.id < b.id;
  });
  return labels;
}

std::vector<HomePeerRegistration> load_home_peers() {
  auto text = orvo_runtime::read_capped(identity_root() / "home-peers.json", kHomePeerCap);
  if (!text) return {};
  auto peers = orvo_json::decode<std::vector<HomePeerRegistration>>(*text);
  return peers ? std::move(*peers) : std::vector<HomePeerRegistration>{};
}

std::filesystem::path home_peer_health_path() { return identity_root() / "home-peer-health.json"; }

std::unordered_map<std::string, std::uint64_t> load_home_peer_health() {
  // A member whose value is not a time is skipped (and kept in the file); the others still count.
  std::unordered_map<std::string, std::uint64_t> health;
  const auto document = read_json(home_peer_health_path(), kHomePeerCap);
  if (!document || !document->is_object()) return health;
  for (const auto& [id, value] : document->items()) {
    if (value.is_number_unsigned()) health[id] = value.get<std::uint64_t>();
  }
  return health;
}

bool has_pending_decommissions() {
  auto text = atomic_file::read_existing(identity_root() / "pending-home-peer-decommissions.json");
  if (!text || !*text) return false;
  const auto value = settings_store::json_document::parse(**text);
  return value && value->is_array() && !value->empty();
}

std::string_view sync_status_label(SyncStatus status) {
  switch (status) {
    case SyncStatus::Offline: return "Offline";
    case SyncStatus::Online: return "Online";
    case SyncStatus::Syncing: return "Syncing";
    case SyncStatus::Ready: return "Ready";
  }
  return "Offline";
}

std::string_view sync_status_caption(SyncStatus status) {
  switch (status) {
    case SyncStatus::Offline: return "The sync service is not currently reachable.";
    case SyncStatus::Online: return "This device is reachable by your other devices.";
    case SyncStatus::Syncing: return "Keep this device powered and online while file copies finish.";
    case SyncStatus::Ready: return "All selected workspace files are available here.";
  }
  return "The sync service is not currently reachable.";
}

std::uint8_t sync_status_tone(SyncStatus status) {
  switch (status) {
    case SyncStatus::Offline: return 2;
    case SyncStatus::Syncing: return 1;
    case SyncStatus::Online:
    case SyncStatus::Ready: return 0;
  }
  return 2;
}

SyncStatus sync_status(const RelayConfig& config, system_clock::time_point now) {
  const auto modified = modification_time(config.state_dir / "metrics.json");
  if (!modified) return SyncStatus::Offline;
  if (*modified < now && now - *modified > kMetricsFreshFor) return SyncStatus::Offline;
  if (!orvo_relay_protocol::metrics::load_metrics(config.state_dir)) return SyncStatus::Offline;
  if (config.role != orvo_relay_protocol::config::DeviceRole::AlwaysOnServer || !config.full_copy) {
    return SyncStatus::Online;
  }
  return replica_status(config, now);
}

RelayStatus load_relay_status(const std::filesystem::path& path) {
  auto loaded = RelayConfig::load(path);
  if (loaded) return {std::move(*loaded), "Configuration loaded"};
  if (loaded.error().io_kind == orvo_runtime::IoErrorKind::NotFound) {
    return {RelayConfig::default_config(), "Not configured on this device"};
  }
  return {RelayConfig::default_config(), "Configuration could not be read: " + loaded.error().text};
}

RoamingProvenanceLoad load_roaming_provenance(const std::optional<std::filesystem::path>& path) {
  if (!path) return {};
  std::error_code ec;
  const auto modified = std::filesystem::last_write_time(*path, ec);
  if (ec) return {};
  using settings_store::roaming_provenance::RoamingProvenance;
  auto provenance = RoamingProvenance::load_at(*path);
  if (!provenance) {
    return {std::nullopt,
            "Roaming provenance is unavailable; no conflict decision is shown: " + provenance.error(), modified};
  }
  return {std::move(*provenance), std::nullopt, modified};
}

std::expected<PairCandidate, std::string> decode_pair_candidate(std::string_view text) {
  auto candidate = orvo_json::decode<PairCandidate>(text);
  if (!candidate) return std::unexpected(candidate.error().text());
  return std::move(*candidate);
}

}  // namespace settings::panes::device_mesh
