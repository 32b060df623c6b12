#include "catalogues/queries/mesh_model_queries.h"

#include "agent_provider_config/provider_config.h"
#include "agent_provider_config/provider_protocol.h"
#include "services/model_manager.h"
#include "services/mesh_files.h"

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

namespace agent_models = panes::agent_models;

ModelPackage package_of(const agent_models::LocalModelPackage& package) {
  return {package.id, package.name, package.revision};
}

ModelFit fit_of(agent_models::HardwareFit fit) {
  switch (fit) {
    case agent_models::HardwareFit::Excellent: return ModelFit::Excellent;
    case agent_models::HardwareFit::Good: return ModelFit::Good;
    case agent_models::HardwareFit::Tight: return ModelFit::Tight;
    case agent_models::HardwareFit::Unsupported: break;
  }
  return ModelFit::Unsupported;
}

InstalledModel installed_of(const agent_models::InstalledLocalModel& model) {
  InstalledModel out{package_of(model.package), ModelPhase::Ready, false};
  if (std::holds_alternative<agent_models::phase::Downloading>(model.phase)) out.phase = ModelPhase::Downloading;
  if (std::holds_alternative<agent_models::phase::Installing>(model.phase)) out.phase = ModelPhase::Installing;
  if (std::holds_alternative<agent_models::phase::Error>(model.phase)) out.phase = ModelPhase::Error;
  if (const auto* ready = std::get_if<agent_models::phase::Ready>(&model.phase)) out.running = ready->running;
  return out;
}

AcceleratorState accelerator_of(const agent_models::AcceleratorSetupState& state) {
  namespace a = agent_models::accelerator;
  if (std::holds_alternative<a::Available>(state)) return AcceleratorState::Available;
  if (std::holds_alternative<a::Queued>(state)) return AcceleratorState::Queued;
  if (std::holds_alternative<a::Staging>(state)) return AcceleratorState::Staging;
  if (std::holds_alternative<a::RestartRequired>(state)) return AcceleratorState::RestartRequired;
  if (std::holds_alternative<a::Active>(state)) return AcceleratorState::Active;
  return AcceleratorState::Error;
}

// The workspaces come from the mesh state file and the relay configuration (the default one when
// it cannot be loaded), the provider profiles from the provider configuration, the model snapshot
// from the local model manager (none when it is missing or its answer cannot be read).
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

  std::optional<ModelSnapshot> model_snapshot() const override {
    const auto snapshot = agent_models::model_snapshot();
    if (!snapshot) return std::nullopt;
    ModelSnapshot out;
    if (snapshot->recommendation) {
      out.recommendation = ModelRecommendation{fit_of(snapshot->hardware.fit), package_of(*snapshot->recommendation)};
    }
    for (const auto& model : snapshot->models) out.installed.push_back(installed_of(model));
    if (snapshot->accelerator_setup) out.accelerator = accelerator_of(snapshot->accelerator_setup->status);
    return out;
  }
};

}  // namespace

const MeshModelQueries& system_mesh_model_queries() {
  static const SystemMeshModelQueries queries;
  return queries;
}

}  // namespace settings::actions
