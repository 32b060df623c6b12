#include "settings_store/display_transaction.h"

#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>

#include <fmt/format.h>

#include "orvo_json/json.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace settings_store::hardware {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kFileMode = 0600;
constexpr std::string_view kUnavailable = "display configuration service is unavailable";

// The files as written: the state as its number, so that both sides agree without sharing names.
struct RequestFile {
  std::uint64_t id = 0;
  std::map<std::string, OutputSettings> config;
  std::optional<DisplayDecision> decision;
};

struct StateFile {
  std::uint64_t id = 0;
  std::uint8_t state = 0;
  std::optional<std::string> message;
  std::optional<std::uint64_t> deadline_unix_ms;
};

}  // namespace

constexpr auto describe_json(orvo_json::Tag<DisplayDecision>) {
  return orvo_json::unit_enum<DisplayDecision>("DisplayDecision",
                                               {{"keep", DisplayDecision::Keep}, {"revert", DisplayDecision::Revert}});
}

namespace {

constexpr auto describe_json(orvo_json::Tag<RequestFile>) {
  return orvo_json::record<RequestFile>("DisplayRequest", orvo_json::field("id", &RequestFile::id),
                                        orvo_json::field("config", &RequestFile::config),
                                        orvo_json::field("decision", &RequestFile::decision));
}

constexpr auto describe_json(orvo_json::Tag<StateFile>) {
  return orvo_json::record<StateFile>("DisplayTransaction", orvo_json::field("id", &StateFile::id),
                                      orvo_json::field("state", &StateFile::state),
                                      orvo_json::field("message", &StateFile::message),
                                      orvo_json::field("deadline_unix_ms", &StateFile::deadline_unix_ms));
}

fs::path runtime_dir() { return system_paths::user_runtime_dir() / "orvo"; }

template <class T>
std::expected<std::optional<T>, std::string> read_file(const fs::path& path, std::string_view what) {
  const auto text = atomic_file::read_existing(path);
  if (!text) return std::unexpected(fmt::format("could not read the {}: {}", what, text.error()));
  if (!*text) return std::optional<T>{};
  auto value = orvo_json::decode<T>(**text);
  if (!value) return std::unexpected(fmt::format("the {} is damaged: {}", what, value.error().text()));
  return std::optional<T>(std::move(*value));
}

bool terminal(DisplayTransactionState state) {
  return state == DisplayTransactionState::Kept || state == DisplayTransactionState::Reverted ||
         state == DisplayTransactionState::Rejected;
}

DisplayTransactionState decided(DisplayDecision decision) {
  return decision == DisplayDecision::Keep ? DisplayTransactionState::ConfirmRequested
                                           : DisplayTransactionState::RevertRequested;
}

std::expected<void, std::string> decide(const DisplayTransaction& transaction, DisplayDecision decision) {
  if (!DisplayTransaction::service_running()) return std::unexpected(std::string(kUnavailable));
  auto request = DisplayTransaction::load_request();
  if (!request) return std::unexpected(request.error());
  auto present = DisplayTransaction::load();
  if (!present) return std::unexpected(present.error());
  if (!*request || !*present || (*request)->id != transaction.id || (*present)->id != transaction.id) {
    return std::unexpected(fmt::format("display transaction {} is no longer the present one", transaction.id));
  }
  const auto state = (*present)->state;
  if (state != DisplayTransactionState::Requested && state != DisplayTransactionState::AwaitingConfirmation) {
    return std::unexpected(fmt::format("display transaction {} is already {}", transaction.id, to_string(state)));
  }
  RequestFile file{(*request)->id, (*request)->config.outputs, decision};
  return atomic_file::write_creating_parent_with_mode(DisplayTransaction::request_path(), orvo_json::encode(file),
                                                      kFileMode);
}

}  // namespace

std::uint64_t unix_ms() {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count());
}

std::string_view to_string(DisplayTransactionState state) {
  switch (state) {
    case DisplayTransactionState::Requested: return "requested";
    case DisplayTransactionState::AwaitingConfirmation: return "awaiting confirmation";
    case DisplayTransactionState::ConfirmRequested: return "asked to be kept";
    case DisplayTransactionState::RevertRequested: return "asked to be reverted";
    case DisplayTransactionState::Kept: return "kept";
    case DisplayTransactionState::Reverted: return "reverted";
    case DisplayTransactionState::Rejected: return "rejected";
  }
  return "unknown";
}

fs::path DisplayTransaction::announcement_path() { return runtime_dir() / "display-compositor.pid"; }
fs::path DisplayTransaction::request_path() { return runtime_dir() / "display-request.json"; }
fs::path DisplayTransaction::state_path() { return runtime_dir() / "display-transaction.json"; }

bool DisplayTransaction::service_running() {
  const auto text = atomic_file::read_existing(announcement_path());
  if (!text || !*text) return false;
  std::string_view digits = **text;
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' ')) digits.remove_suffix(1);
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (ec != std::errc{} || end != digits.data() + digits.size() || pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

std::expected<std::optional<DisplayRequest>, std::string> DisplayTransaction::load_request() {
  auto file = read_file<RequestFile>(request_path(), "display request");
  if (!file) return std::unexpected(file.error());
  if (!*file) return std::optional<DisplayRequest>{};
  return DisplayRequest{(*file)->id, DisplayConfig{std::move((*file)->config)}, (*file)->decision};
}

std::expected<std::optional<DisplayTransaction>, std::string> DisplayTransaction::load_state() {
  auto file = read_file<StateFile>(state_path(), "display transaction state");
  if (!file) return std::unexpected(file.error());
  if (!*file) return std::optional<DisplayTransaction>{};
  if ((*file)->state > static_cast<std::uint8_t>(DisplayTransactionState::Rejected)) {
    return std::unexpected(fmt::format("the display transaction state is damaged: unknown state {}", (*file)->state));
  }
  return DisplayTransaction{(*file)->id, static_cast<DisplayTransactionState>((*file)->state), (*file)->message,
                            (*file)->deadline_unix_ms};
}

std::expected<void, std::string> DisplayTransaction::publish_state() const {
  const StateFile file{id, static_cast<std::uint8_t>(state), message, deadline_unix_ms};
  return atomic_file::write_creating_parent_with_mode(state_path(), orvo_json::encode(file), kFileMode);
}

std::expected<std::optional<DisplayTransaction>, std::string> DisplayTransaction::load() {
  auto request = load_request();
  if (!request) return std::unexpected(request.error());
  auto state = load_state();
  if (!state) return std::unexpected(state.error());
  if (!*request) return *state;
  const auto& asked = **request;
  // Not answered yet: what Settings asked for is the state.
  if (!*state || (*state)->id < asked.id) {
    DisplayTransaction pending{asked.id, DisplayTransactionState::Requested, std::nullopt, std::nullopt};
    if (asked.decision) pending.state = decided(*asked.decision);
    return std::optional<DisplayTransaction>(pending);
  }
  DisplayTransaction present = **state;
  if (present.id == asked.id && asked.decision && !terminal(present.state)) {
    present.state = decided(*asked.decision);
  }
  return std::optional<DisplayTransaction>(present);
}

std::expected<DisplayTransaction, std::string> DisplayTransaction::request(const DisplayConfig& config) {
  if (!service_running()) return std::unexpected(std::string(kUnavailable));
  auto previous = load_request();
  if (!previous) return std::unexpected(previous.error());
  auto state = load_state();
  if (!state) return std::unexpected(state.error());
  std::uint64_t last = 0;
  if (*previous) last = (*previous)->id;
  if (*state) last = std::max(last, (*state)->id);
  const RequestFile file{last + 1, config.outputs, std::nullopt};
  auto written = atomic_file::write_creating_parent_with_mode(request_path(), orvo_json::encode(file), kFileMode);
  if (!written) return std::unexpected(written.error());
  return DisplayTransaction{file.id, DisplayTransactionState::Requested, std::nullopt, std::nullopt};
}

std::expected<void, std::string> DisplayTransaction::request_confirmation(const DisplayTransaction& transaction) {
  return decide(transaction, DisplayDecision::Keep);
}

std::expected<void, std::string> DisplayTransaction::request_revert(const DisplayTransaction& transaction) {
  return decide(transaction, DisplayDecision::Revert);
}

}  // namespace settings_store::hardware
