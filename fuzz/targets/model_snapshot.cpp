// The local model manager's snapshot output: any bytes give a snapshot or an error, never a crash,
// and every view of a model's phase stays in bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "services/local_models.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace agent_models = settings::panes::agent_models;
  auto snapshot = agent_models::decode_snapshot(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!snapshot) return 0;
  for (const auto& model : snapshot->models) {
    if (agent_models::phase_status_label(model.phase).empty()) std::abort();
    if (agent_models::phase_actions(model.phase).size() > 2) std::abort();
    if (const auto progress = agent_models::phase_progress(model.phase); progress && !(*progress >= 0.0f)) std::abort();
    const auto control = agent_models::local_model_control_id(model.package.id, agent_models::LocalModelAction::Start);
    if (!control.starts_with("agent_models.local.")) std::abort();
  }
  return 0;
}
