#pragma once
// The local model manager ("orvo-model-manager"), a system program that downloads, installs, starts,
// stops and removes local models and stages the accelerator image. Settings runs it by name, one
// request per user action, and reads only its exit status (and the snapshot's output). Every call
// blocks until the program ends or its time limit passes.
#include <chrono>
#include <expected>
#include <span>
#include <string>
#include <string_view>

#include "orvo_runtime/bounded_command.h"
#include "services/local_models.h"

namespace settings::panes::agent_models {

inline constexpr std::string_view kModelManagerProgram = "orvo-model-manager";

// Errors are lower-case phrases the pane puts into its own sentences.
class ModelManagerBackend {
 public:
  virtual ~ModelManagerBackend() = default;
  virtual std::expected<LocalModelSnapshot, std::string> snapshot() const = 0;
  virtual std::expected<void, std::string> install(const LocalModelPackage& package) const = 0;
  virtual std::expected<void, std::string> start(std::string_view model_id) const = 0;
  virtual std::expected<void, std::string> stop(std::string_view model_id) const = 0;
  virtual std::expected<void, std::string> remove(std::string_view model_id) const = 0;
  virtual std::expected<void, std::string> stage_accelerator() const = 0;
};

// Runs the manager anew for every call; no state, so calls from several threads are independent.
class SystemModelManager final : public ModelManagerBackend {
 public:
  std::expected<LocalModelSnapshot, std::string> snapshot() const override;
  std::expected<void, std::string> install(const LocalModelPackage& package) const override;
  std::expected<void, std::string> start(std::string_view model_id) const override;
  std::expected<void, std::string> stop(std::string_view model_id) const override;
  std::expected<void, std::string> remove(std::string_view model_id) const override;
  std::expected<void, std::string> stage_accelerator() const override;
};

// Runs the manager with the arguments (1 MiB output cap, the time limit); the output whatever the
// exit status, or "model service is unavailable: {reason}" when it could not run or finish.
std::expected<bounded_command::Output, std::string> run_model_manager(std::span<const std::string> arguments,
                                                                      std::chrono::seconds time_limit);

// Start, stop or remove ("start", "stop", "remove") one model; a refusal is "model service refused {verb}".
std::expected<void, std::string> run_model_command(std::string_view verb, std::string_view model_id);

// The system manager's snapshot, for the action resources that list installed models.
std::expected<LocalModelSnapshot, std::string> model_snapshot();

}  // namespace settings::panes::agent_models
