#include <nlohmann/json.hpp>

#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::ReplicationKind;

std::string_view role_text(DeviceRole role) {
  switch (role) {
    case DeviceRole::PersonalDevice: return "interactive";
    case DeviceRole::AlwaysOnServer: return "always-on";
    case DeviceRole::AvailableWhileActive: return "hybrid";
  }
  return "interactive";
}

// A per-resource policy has no single value the control program takes: it is applied on demand.
std::string_view replication_text(ReplicationKind kind) {
  switch (kind) {
    case ReplicationKind::WorkspaceOnly: return "workspace-only";
    case ReplicationKind::Full: return "full";
    case ReplicationKind::OnDemand:
    case ReplicationKind::PerResource: return "on-demand";
  }
  return "on-demand";
}

}  // namespace

std::string device_policy_document(const std::filesystem::path& identity_root, const RelayConfig& config) {
  nlohmann::ordered_json ids = nlohmann::ordered_json::array();
  for (const auto& binding : config.workspaces) ids.push_back(binding.workspace_id);
  const ReplicationKind replication =
      config.workspaces.empty() ? ReplicationKind::OnDemand : config.workspaces.front().replication.kind;

  nlohmann::ordered_json policy;
  policy["identity_root"] = identity_root.string();
  policy["role"] = role_text(config.role);
  policy["workspace_ids"] = std::move(ids);
  policy["replication"] = replication_text(replication);
  policy["inbound_relay"] = config.services.inbound_relay;
  policy["remote_control_relay"] = config.services.remote_control_relay;
  policy["app_serving"] = config.services.app_serving;
  policy["compute"] = config.services.compute;
  return policy.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace settings::panes::device_mesh
