#include "catalogues/queries/mesh_model_queries.h"

#include "agent_provider_config/provider_config.h"
#include "agent_provider_config/provider_protocol.h"

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

// The profile's own name, or the protocol's when it has none.
std::string display_label(const ProviderProfile& profile) {
  if (profile.label.find_first_not_of(" \t\r\n") != std::string::npos) return profile.label;
  return std::string(agent_provider_config::display_name(profile.protocol));
}

// No device-mesh relay and no model manager run on this system yet, so the workspace list and the
// model snapshot answer nothing; the provider profiles come from the provider configuration.
class SystemMeshModelQueries final : public MeshModelQueries {
 public:
  std::vector<ProviderEntry> provider_profiles() const override {
    std::vector<ProviderEntry> entries;
    for (const auto& profile : agent_provider_config::ProviderConfig::load().profiles) {
      entries.push_back({profile.id, std::string(agent_provider_config::protocol_id(profile.protocol)),
                         profile.enabled, placement_of(profile.kind), display_label(profile)});
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
