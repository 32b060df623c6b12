#include "panes/agent_models/providers.h"

#include <fmt/format.h>

#include <vector>

#include "agent_provider_config/provider_config.h"
#include "orvo_log/log.h"
#include "orvo_model_gateway/api_keys.h"

namespace settings::panes::agent_models {
namespace {

using agent_provider_config::ModelDescriptor;
using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderProfile;

bool is_blank(std::string_view text) { return text.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos; }

bool is_loopback_url(std::string_view url) {
  return url.starts_with("http://127.0.0.1:") || url.starts_with("http://[::1]:");
}

// The first ready model that runs and is served on a loopback address under its own id.
const InstalledLocalModel* served_model(std::span<const InstalledLocalModel> models) {
  for (const auto& model : models) {
    const auto* ready = std::get_if<phase::Ready>(&model.phase);
    if (ready == nullptr || !ready->running || !ready->endpoint) continue;
    if (ready->endpoint->model_id != model.package.id || !is_loopback_url(ready->endpoint->url)) continue;
    return &model;
  }
  return nullptr;
}

ModelDescriptor descriptor_of(const LocalModelPackage& package) {
  ModelDescriptor descriptor;
  descriptor.id = package.id;
  descriptor.display_name = package.name;
  descriptor.revision = package.revision;
  descriptor.context_window = 0;
  descriptor.vision = package.vision;
  descriptor.face_recognition = package.face_recognition;
  descriptor.available = true;
  return descriptor;
}

}  // namespace

void save_provider_details(std::string_view provider_id, const ProviderFormInputs& inputs, const NoticeCell& notice) {
  const std::string label = inputs.label.snapshot();
  const std::string endpoint = inputs.endpoint.snapshot();
  const std::string model = inputs.model.snapshot();
  // A configuration that cannot be read must not be saved over: every other provider would be lost.
  auto config = ProviderConfig::try_load();
  if (!config) {
    notice.publish(fmt::format("Provider details were not saved: {}", config.error()));
    return;
  }
  ProviderProfile* profile = config->find(provider_id);
  if (profile == nullptr) {
    notice.publish("Provider is no longer available.");
    return;
  }
  profile->label = label;
  profile->endpoint = endpoint;
  if (!is_blank(model)) {
    if (!profile->has_model(model)) profile->models.push_back(ModelDescriptor::named(model));
    profile->model = model;
  }
  const auto saved = config->save();
  notice.publish(saved ? std::string("Provider details saved.")
                       : fmt::format("Provider details were not saved: {}", saved.error()));
}

void save_provider_key(std::string_view provider_id, orvo_secret::SecretBuffer& key_input, const NoticeCell& notice) {
  auto stored = orvo_model_gateway::set_api_key(provider_id, key_input.take());
  notice.publish(stored ? std::string("API key saved in the Orvo vault.")
                        : fmt::format("API key was not saved: {}", stored.error()));
}

void remove_provider_key(std::string_view provider_id, const NoticeCell& notice) {
  const auto removed = orvo_model_gateway::remove_api_key(provider_id);
  notice.publish(removed ? std::string("API key removed from the Orvo vault.")
                         : fmt::format("API key was not removed: {}", removed.error()));
}

void sync_local_model_provider(std::span<const InstalledLocalModel> models) {
  auto config = ProviderConfig::try_load();
  if (!config) {
    orvo_log::warn("local model provider not updated", {{"error", config.error()}});
    return;
  }
  std::optional<ProviderProfile> candidate;
  for (const auto& profile : config->profiles) {
    if (profile.is_local_vllm_candidate()) {
      candidate = profile;
      break;
    }
  }
  const InstalledLocalModel* served = served_model(models);
  std::optional<ProviderProfile> profile = candidate;
  if (!profile) {
    if (served == nullptr) return;
    profile = ProviderProfile::local_vllm();
    if (!profile) return;
  }

  std::vector<ModelDescriptor> ready;
  for (const auto& model : models) {
    if (std::holds_alternative<phase::Ready>(model.phase)) ready.push_back(descriptor_of(model.package));
  }
  profile->models = std::move(ready);
  if (!profile->model || !profile->has_model(*profile->model)) {
    profile->model = profile->models.empty() ? std::nullopt : std::optional(profile->models.front().id);
  }
  if (served != nullptr) {
    const auto& endpoint = *std::get<phase::Ready>(served->phase).endpoint;
    profile->endpoint = endpoint.url;
    profile->model = endpoint.model_id;
    profile->enabled = true;
  } else {
    profile->enabled = false;
  }

  if (candidate && *candidate == *profile) return;
  config->upsert(std::move(*profile));
  if (const auto saved = config->save(); !saved) {
    orvo_log::warn("local model provider not saved", {{"error", saved.error()}});
  }
}

}  // namespace settings::panes::agent_models
