#include "panes/agent_models/providers.h"

#include <fmt/format.h>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "agent_provider_config/provider_config.h"
#include "orvo_log/log.h"
#include "orvo_model_gateway/api_keys.h"
#include "orvo_ui/wake.h"
#include "panes/workers/worker_start.h"

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

constexpr std::string_view kVaultThread = "model-keys";

struct VaultQueue {
  std::mutex lock;
  std::deque<std::function<void()>> jobs;
  bool draining = false;
};

// Never destroyed: a worker still draining while the process ends finds it intact.
VaultQueue& vault_queue() {
  static auto* queue = new VaultQueue;
  return *queue;
}

// Runs the queued jobs until none is left; only one caller drains at a time.
void drain(VaultQueue& queue) {
  for (;;) {
    std::function<void()> job;
    {
      std::lock_guard guard(queue.lock);
      if (queue.jobs.empty()) {
        queue.draining = false;
        return;
      }
      job = std::move(queue.jobs.front());
      queue.jobs.pop_front();
    }
    job();
  }
}

}  // namespace

void queue_vault_job(std::function<void()> job) {
  VaultQueue& queue = vault_queue();
  {
    std::lock_guard guard(queue.lock);
    queue.jobs.push_back(std::move(job));
    if (queue.draining) return;
    queue.draining = true;
  }
  auto started = workers::start_worker(std::string(kVaultThread), [&queue] { drain(queue); });
  if (!started) {
    orvo_log::warn("could not start the vault worker", {{"error", started.error()}});
    drain(queue);
  }
}

void read_stored_keys(std::span<const std::string> provider_ids, const StoredKeysCell& cell) {
  StoredKeys answers;
  for (const auto& id : provider_ids) answers[id] = orvo_model_gateway::secret_configured(id);
  (void)cell.publish(std::move(answers));
}

void reread_stored_key(std::string_view provider_id, const StoredKeysCell& cell) {
  StoredKeys answers = cell.snapshot();
  answers[std::string(provider_id)] = orvo_model_gateway::secret_configured(provider_id);
  (void)cell.publish(std::move(answers));
}

void VaultJobs::save_key(std::string provider_id, orvo_secret::SecretBuffer& key_input) const {
  auto key = std::make_shared<orvo_secret::SecretString>(key_input.take());
  queue(provider_id, [provider_id, key, notice = notice_] { save_provider_key(provider_id, std::move(*key), notice); });
}

void VaultJobs::remove_key(std::string provider_id) const {
  queue(provider_id, [provider_id, notice = notice_] { remove_provider_key(provider_id, notice); });
}

void VaultJobs::read_keys(std::vector<std::string> provider_ids) const {
  queue({}, [ids = std::move(provider_ids), cell = stored_keys_] { read_stored_keys(ids, cell); });
}

void VaultJobs::queue(std::string provider_id, std::function<void()> job) const {
  ++*running_;
  queue_vault_job([provider_id = std::move(provider_id), job = std::move(job), cell = stored_keys_, count = running_] {
    job();
    if (!provider_id.empty()) reread_stored_key(provider_id, cell);
    --*count;
    orvo_ui::WakeHandle{}.wake();
  });
}

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
  save_provider_key(provider_id, key_input.take(), notice);
}

void save_provider_key(std::string_view provider_id, orvo_secret::SecretString key, const NoticeCell& notice) {
  auto stored = orvo_model_gateway::set_api_key(provider_id, std::move(key));
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
