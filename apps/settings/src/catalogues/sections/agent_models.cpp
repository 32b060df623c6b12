// Agent Models: adding model providers, one child per hosted or private-network provider with its
// management actions, the recommended local model and one child per installed local model.
#include <nlohmann/json.hpp>

#include "actions/control_bindings.h"
#include "actions/operation_actions.h"
#include "catalogues/agent_models_actions.h"
#include "catalogues/live_children.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"
#include "actions/connectivity_handlers.h"
#include "agent_provider_config/provider_config.h"

namespace settings::actions {

namespace {

using settings_app::SettingsSection;
using Op = AgentProviderOperation;
using ModelOp = AgentModelOperation;

void add(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action) {
  if (action) resource.actions.push_back(std::move(*action));
}

std::string_view other_protocol(std::string_view protocol) {
  return protocol == "anthropic" ? "openai-compatible" : "anthropic";
}

std::optional<orvo_actions::ActionSpec> details_action(const std::string& provider_id) {
  std::vector<orvo_actions::ActionParam> params;
  namespace config = agent_provider_config;
  params.push_back(orvo_actions::ActionParam::text("label", "Provider name")
                       .with_schema({{"maxLength", config::kMaxLabelCharacters}}));
  params.push_back(orvo_actions::ActionParam::text("endpoint", "HTTPS API endpoint")
                       .with_schema({{"maxLength", config::kMaxEndpointCharacters}}));
  params.push_back(orvo_actions::ActionParam::text("model", "Default model id").optional());
  return orvo_actions::typed_operation_spec("set-details", "Update provider details", "Provider name",
                                            orvo_actions::OperationClass::Effect, std::string(Op::kKind),
                                            std::move(params), agent_provider_details_handler(provider_id))
      .with_contract(agent_provider_contract());
}

orvo_actions::Resource provider_resource(const ProviderEntry& profile) {
  auto resource = orvo_actions::Resource::make(std::string(kAgentProviderPrefix) + profile.id, "settings.agent-provider",
                                               profile.display_label);
  const std::string_view other = other_protocol(profile.protocol);
  add(resource, operation_spec("set-protocol", "Use " + std::string(other) + " protocol",
                               Op{Op::SetProtocol{profile.id, std::string(other)}}));
  add(resource, operation_spec(profile.enabled ? "disable" : "enable",
                               profile.enabled ? "Disable provider" : "Enable provider",
                               Op{Op::SetEnabled{profile.id, !profile.enabled}}));
  if (auto remove = operation_spec("remove", "Remove provider", Op{Op::Remove{profile.id}})) {
    resource.actions.push_back(std::move(*remove).destructive());
  }
  add(resource, details_action(profile.id));
  add(resource, operation_spec("set-default", "Use by default", Op{Op::SetDefault{profile.id}}));
  return resource;
}

Tags model_tags(std::string_view last) { return {"device-local", "agent-models", std::string(last)}; }

std::optional<orvo_actions::ActionSpec> remove_model_action(const std::string& id) {
  auto spec = operation_spec("remove", "Remove local model", ModelOp{ModelOp::Remove{id}},
                             {"device-local", "agent-models", "live-model", "destructive"});
  if (!spec) return std::nullopt;
  return std::move(*spec).destructive();
}

orvo_actions::Resource model_resource(const InstalledModel& model) {
  auto resource = orvo_actions::Resource::make(std::string(kAgentModelPrefix) + model.package.id,
                                               "settings.agent-model", model.package.name);
  const std::string& id = model.package.id;
  switch (model.phase) {
    case ModelPhase::Downloading:
    case ModelPhase::Installing: return resource;
    case ModelPhase::Ready:
      if (model.running) {
        add(resource, operation_spec("stop", "Stop local model", ModelOp{ModelOp::Stop{id}}, model_tags("live-model")));
      } else {
        add(resource,
            operation_spec("start", "Start local model", ModelOp{ModelOp::Start{id}}, model_tags("live-model")));
      }
      break;
    case ModelPhase::Error:
      add(resource, operation_spec("retry", "Retry model installation",
                                   ModelOp{ModelOp::Retry{id, model.package.revision}}, model_tags("live-model")));
      break;
  }
  add(resource, remove_model_action(id));
  return resource;
}

orvo_actions::Resource recommendation_resource(const ModelSnapshot& snapshot, const ModelRecommendation& recommended) {
  const ModelPackage& package = recommended.package;
  auto resource = orvo_actions::Resource::make(std::string(kAgentModelRecommendationPrefix) + package.id,
                                               "settings.agent-model-package", package.name);
  const bool fits = recommended.fit != ModelFit::Unsupported;
  const bool accelerator_ready = !snapshot.accelerator || *snapshot.accelerator == AcceleratorState::Active;
  if (fits && accelerator_ready) {
    add(resource, operation_spec("install", "Accept license and install on this device",
                                 ModelOp{ModelOp::Install{package.id, package.revision}},
                                 model_tags("signed-package")));
  }
  return resource;
}

bool offers_accelerator_setup(const std::optional<ModelSnapshot>& snapshot) {
  if (!snapshot || !snapshot->accelerator) return false;
  return *snapshot->accelerator == AcceleratorState::Available || *snapshot->accelerator == AcceleratorState::Error;
}

}  // namespace

orvo_actions::Resource agent_models_resource(const SectionInputs& inputs) {
  orvo_actions::Resource resource = section_shell(SettingsSection::AgentModels, kAgentModelsKind);
  add(resource, operation_spec("add-anthropic", "Add Anthropic provider", Op{Op::Add{"anthropic"}}));
  add(resource, operation_spec("add-openai-compatible", "Add compatible API provider", Op{Op::Add{"openai-compatible"}}));

  const std::optional<ModelSnapshot> snapshot = inputs.queries.mesh.model_snapshot();
  if (offers_accelerator_setup(snapshot)) {
    add(resource, operation_spec("stage-accelerator", "Set up accelerator support", ModelOp{ModelOp::StageAccelerator{}},
                                 model_tags("live-accelerator")));
  }

  std::size_t providers = 0;
  for (const auto& profile : inputs.queries.mesh.provider_profiles()) {
    if (profile.placement == ProviderPlacement::Local) continue;
    if (providers == kMaxLiveChildren) break;
    resource.children.push_back(provider_resource(profile));
    ++providers;
  }
  if (snapshot) {
    if (snapshot->recommendation) resource.children.push_back(recommendation_resource(*snapshot, *snapshot->recommendation));
    std::size_t models = 0;
    for (const auto& model : snapshot->installed) {
      if (models++ == kMaxLiveChildren) break;
      resource.children.push_back(model_resource(model));
    }
  }
  return resource;
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> agent_provider_unit_binding(
    const orvo_actions::Resource& agent_models, std::optional<std::string_view> provider_id, std::string_view action) {
  if (!provider_id) return unit_binding(agent_models, action);
  const std::string child_id = std::string(kAgentProviderPrefix) + std::string(*provider_id);
  for (const auto& child : agent_models.children) {
    if (child.id == child_id) return unit_binding(child, action);
  }
  return std::nullopt;
}

}  // namespace settings::actions
