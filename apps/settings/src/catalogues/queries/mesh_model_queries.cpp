#include "catalogues/queries/mesh_model_queries.h"

#include "agent_provider_config/provider_config.h"
#include "agent_provider_config/provider_protocol.h"
#include "panes/device_mesh/mesh_files.h"

namespace settings::actions {

namespace {

using agent_provider_config::ProviderKind;
using agent_provider_config::ProviderProfile;

ProviderPlacement placement_of(ProviderKind kind) {
  switch (kind) {
    case ProviderKind::ThisDevice: return ProviderPlacement::Local;
    case ProviderKind::PrivateNetwork: return ProviderPlacement::PrivateNetwork;
    case ProviderKind::Hosted: break;
  }
  return ProviderPlacement::Hosted;
}

// The workspaces come from the mesh state file and the relay configuration (the default one when
// it cannot be loaded), the provider profiles from the provider configuration. No model manager
// runs on this system yet, so the model snapshot answers nothing.
class SystemMeshModelQueries final : public MeshModelQueries {
 public:
  std::vector<MeshWorkspace> workspaces() const override {
    const auto relay = panes::device_mesh::load_relay_status();
    std::vector<MeshWorkspace> out;
    for (auto& workspace : panes::device_mesh::workspace_labels(relay.config)) {
      out.push_back({workspace.id, std::move(workspace.label)});
    }
    return out;
  }

  std::vector<ProviderEntry> provider_profiles() const override {
    std::vector<ProviderEntry> entries;
    for (const auto& profile : agent_provider_config::ProviderConfig::load().profiles) {
      entries.push_back({profile.id, std::string(agent_provider_config::protocol_id(profile.protocol)),
                         profile.enabled, placement_of(profile.kind), profile.display_label()});
    }
    return entries;
  }
};

}  // namespace

const MeshModelQueries& system_mesh_model_queries() {
  static const SystemMeshModelQueries queries;
  return queries;
}

}  // namespace settings::actions
