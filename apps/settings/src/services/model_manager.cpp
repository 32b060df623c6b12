#include "services/model_manager.h"

#include <fmt/format.h>

#include <vector>

#include "orvo_runtime/text.h"

namespace settings::panes::agent_models {
namespace {

constexpr std::size_t kOutputLimit = 1'048'576;
constexpr std::chrono::seconds kSnapshotLimit{10};
constexpr std::chrono::seconds kCommandLimit{600};
constexpr std::chrono::seconds kLongLimit{1800};

// Runs a request whose only answer is its exit status.
std::expected<void, std::string> run_request(std::vector<std::string> arguments, std::chrono::seconds limit,
                                             std::string refusal) {
  auto output = run_model_manager(arguments, limit);
  if (!output) return std::unexpected(std::move(output.error()));
  if (!output->status.success()) return std::unexpected(std::move(refusal));
  return {};
}

}  // namespace

std::expected<bounded_command::Output, std::string> run_model_manager(std::span<const std::string> arguments,
                                                                      std::chrono::seconds time_limit) {
  auto output = bounded_command::run(kModelManagerProgram, arguments, std::nullopt, kOutputLimit,
                                     std::chrono::duration_cast<std::chrono::milliseconds>(time_limit));
  if (!output) return std::unexpected(fmt::format("model service is unavailable: {}", output.error().display()));
  return std::move(*output);
}

std::expected<void, std::string> run_model_command(std::string_view verb, std::string_view model_id) {
  return run_request({std::string(verb), "--model", std::string(model_id)}, kCommandLimit,
                     fmt::format("model service refused {}", verb));
}

std::expected<LocalModelSnapshot, std::string> SystemModelManager::snapshot() const {
  const std::vector<std::string> arguments{"snapshot", "--format", "json"};
  auto output = run_model_manager(arguments, kSnapshotLimit);
  if (!output) return std::unexpected(std::move(output.error()));
  if (!output->status.success()) return std::unexpected(orvo_runtime::text::clean_error_output(output->standard_error));
  auto snapshot = decode_snapshot(output->standard_output);
  if (!snapshot) return std::unexpected(fmt::format("model service returned invalid status: {}", snapshot.error()));
  return std::move(*snapshot);
}

std::expected<void, std::string> SystemModelManager::install(const LocalModelPackage& package) const {
  return run_request({"install", "--model", package.id, "--revision", package.revision, "--accept-license"},
                     kLongLimit, "model service refused the installation");
}

std::expected<void, std::string> SystemModelManager::start(std::string_view model_id) const {
  return run_model_command("start", model_id);
}

std::expected<void, std::string> SystemModelManager::stop(std::string_view model_id) const {
  return run_model_command("stop", model_id);
}

std::expected<void, std::string> SystemModelManager::remove(std::string_view model_id) const {
  return run_model_command("remove", model_id);
}

std::expected<void, std::string> SystemModelManager::stage_accelerator() const {
  return run_request({"stage-accelerator"}, kLongLimit, "accelerator setup service refused the request");
}

std::expected<LocalModelSnapshot, std::string> model_snapshot() { return SystemModelManager().snapshot(); }

}  // namespace settings::panes::agent_models
