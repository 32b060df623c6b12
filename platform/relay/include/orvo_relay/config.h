#pragma once
// The relay configuration of this device, "/etc/orvo/relay.toml", written by the home-peer control
// program and read here. Its schema (every key optional; a missing key keeps the default):
//
//   role = "interactive"              # "interactive" (personal device), "always-on", "hybrid"
//   reachable_by_peers = false        # follows the role: on for an always-on or hybrid device
//   full_copy = false                 # keep a full copy of every workspace (always-on servers)
//   state_dir = "/var/lib/orvo/relay" # where the relay service writes "metrics.json"
//   replica_status_path = "/var/lib/orvo/relay/replica-status.json"
//
//   [services]
//   inbound_relay = false
//   remote_control_relay = false
//   app_serving = false
//   compute = false
//
//   [[workspaces]]
//   id = 42                           # a workspace id, 0 to 2^63-1 (TOML integers are signed)
//   replication = "on-demand"         # "workspace-only", "on-demand", "full", "per-resource"
//   host_for_peers = false            # follows the role, as reachable_by_peers does
//   pinned = ["notes/plan.md"]        # resources always kept here
//   per_resource = { notes = "full" } # with "per-resource": a replication per resource type
//
// Unknown keys are ignored, so that an older reader accepts a newer file; a value of the wrong type
// or out of range is an error naming its key.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_runtime/io_error.h"

namespace orvo_relay_protocol {

using WorkspaceId = std::uint64_t;

namespace config {

enum class DeviceRole : std::uint8_t { PersonalDevice = 0, AlwaysOnServer = 1, AvailableWhileActive = 2 };

enum class ReplicationKind : std::uint8_t { WorkspaceOnly = 0, OnDemand = 1, Full = 2, PerResource = 3 };

struct ReplicationPolicy {
  ReplicationKind kind = ReplicationKind::OnDemand;
  std::map<std::string, ReplicationKind> per_resource;  // only with PerResource
  bool operator==(const ReplicationPolicy&) const = default;
};

struct WorkspaceBinding {
  WorkspaceId workspace_id = 0;
  ReplicationPolicy replication;
  std::vector<std::string> pinned;
  bool host_for_peers = false;
  bool operator==(const WorkspaceBinding&) const = default;
};

struct ServiceSwitches {
  bool inbound_relay = false;
  bool remote_control_relay = false;
  bool app_serving = false;
  bool compute = false;
  bool operator==(const ServiceSwitches&) const = default;
};

// A failure to load: an input/output failure keeps its kind; a parse or schema failure has none.
struct ConfigError {
  std::optional<orvo_runtime::IoErrorKind> io_kind;
  std::string text;  // the display text

  bool operator==(const ConfigError&) const = default;
};

struct RelayConfig {
  DeviceRole role = DeviceRole::PersonalDevice;
  bool reachable_by_peers = false;
  bool full_copy = false;
  ServiceSwitches services;
  std::vector<WorkspaceBinding> workspaces;
  std::filesystem::path state_dir;
  std::filesystem::path replica_status_path;

  // Role 0, every switch off, no binding, the state directory "/var/lib/orvo/relay" (under the
  // system root) with "replica-status.json" in it.
  static RelayConfig default_config();
  // Reads and checks the file at `path`. A missing file is a not-found input/output failure.
  static std::expected<RelayConfig, ConfigError> load(const std::filesystem::path& path);
  // Reads the text of a configuration file; `origin` names it in errors.
  static std::expected<RelayConfig, ConfigError> parse(std::string_view text, std::string_view origin);

  // Drops the binding of `id`, if there is one.
  void remove_workspace(WorkspaceId id);

  bool operator==(const RelayConfig&) const = default;
};

// "/etc/orvo/relay.toml" under the system root.
std::filesystem::path default_path();

std::string_view role_name(DeviceRole role);
std::string_view replication_name(ReplicationKind kind);

}  // namespace config
}  // namespace orvo_relay_protocol
