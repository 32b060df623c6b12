#include "panes/device_mesh/pairing.h"

#include <utility>
#include <variant>

#include <fmt/format.h>

#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using orvo_runtime::text::is_control_character;
using orvo_runtime::text::is_unicode_whitespace;

// The next code point of valid UTF-8 text, advancing `at`.
char32_t next_code_point(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  char32_t point = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) point = (point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  at += length;
  return point;
}

std::string pairing_detail(const bounded_command::Output& output) {
  return command_detail(output.standard_error, "the pairing window closed or was cancelled");
}

}  // namespace

bounded_command::PreparedCommand discovery_command(std::uint8_t kind) {
  return {system_paths::system_path(kEnrollProgram).string(),
          {kind == kPairPersonalDevice ? "discover-device" : "discover", "--timeout", "15"}};
}

std::vector<std::uint64_t> approval_workspace_ids(const RelayConfig& config,
                                                  const std::vector<WorkspaceLabel>& labels) {
  std::vector<std::uint64_t> ids;
  if (!config.workspaces.empty()) {
    for (const auto& binding : config.workspaces) ids.push_back(binding.workspace_id);
  } else {
    for (const auto& label : labels) ids.push_back(label.id);
  }
  return ids;
}

bounded_command::PreparedCommand home_server_approval_command(const std::filesystem::path& identity_root,
                                                              const PairCandidate& candidate,
                                                              const std::vector<std::uint64_t>& workspace_ids) {
  bounded_command::PreparedCommand command{std::string(kPolicyLauncher),
                                           {std::string(kControlProgram), "approve-enrollment", "--identity-root",
                                            identity_root.string(), "--expected-device", candidate.device_node_id,
                                            "--expected-service", candidate.relay_service_node_id}};
  for (std::uint64_t id : workspace_ids) {
    command.arguments.emplace_back("--workspace-id");
    command.arguments.push_back(std::to_string(id));
  }
  return command;
}

bounded_command::PreparedCommand personal_device_approval_command(const std::filesystem::path& identity_root,
                                                                  const std::filesystem::path& identity_dir,
                                                                  const PairCandidate& candidate) {
  return {std::string(kPolicyLauncher),
          {std::string(kControlProgram), "approve-device", "--identity-root", identity_root.string(), "--identity-dir",
           identity_dir.string(), "--expected-device", candidate.device_node_id, "--expected-service",
           candidate.relay_service_node_id}};
}

bool acceptable_node_id(std::string_view id) {
  if (id.empty() || id.front() == '-' || !orvo_runtime::text::is_valid_utf8(id)) return false;
  for (std::size_t at = 0; at < id.size();) {
    const char32_t c = next_code_point(id, at);
    if (is_control_character(c) || is_unicode_whitespace(c)) return false;
  }
  return true;
}

std::expected<PairCandidate, std::string> read_discovery_answer(std::string_view standard_output) {
  auto candidate = decode_pair_candidate(standard_output);
  if (!candidate || !acceptable_node_id(candidate->device_node_id) ||
      !acceptable_node_id(candidate->relay_service_node_id)) {
    return std::unexpected(std::string(kInvalidIdentity));
  }
  return std::move(*candidate);
}

void DeviceMeshPane::start_pairing(std::uint8_t kind) {
  if (pairing_command_) return;
  // A candidate of the other kind is dropped: the press asks for a new discovery.
  if (pair_candidate_ && pairing_kind_ != kind) pair_candidate_.reset();
  mark_structure_dirty();

  if (!pair_candidate_) {
    pairing_kind_ = kind;
    auto started = bounded_command::spawn_prepared(discovery_command(kind), std::nullopt, kCommandOutputLimit,
                                                   kDiscoveryTimeLimit);
    if (!started) {
      status_message_ = "Could not start nearby discovery: " + started.error().display();
      return;
    }
    pairing_command_ = std::move(*started);
    discovering_ = true;
    status_message_ = kind == kPairPersonalDevice ? "Looking for your new device…" : "Looking for your new home server…";
    return;
  }

  bounded_command::PreparedCommand command;
  if (kind == kPairPersonalDevice) {
    auto identity_dir = runtime_identity::unix::identity_dir_from_env();
    if (!identity_dir) {
      status_message_ = "Could not find your identity: " + identity_dir.error().text;
      return;
    }
    command = personal_device_approval_command(identity_root(), *identity_dir, *pair_candidate_);
  } else {
    command = home_server_approval_command(identity_root(), *pair_candidate_,
                                           approval_workspace_ids(config_, workspace_labels_));
  }
  auto started = bounded_command::spawn_prepared(command, std::nullopt, kCommandOutputLimit, kApprovalTimeLimit);
  if (!started) {
    status_message_ = "Could not start pairing: " + started.error().display();
    return;
  }
  pairing_command_ = std::move(*started);
  discovering_ = false;
  status_message_ =
      fmt::format("Approving {} with code {}…", pair_candidate_->label, pair_candidate_->verification_code);
}

void DeviceMeshPane::poll_pairing_command() {
  if (!pairing_command_) return;
  auto polled = pairing_command_->try_wait();
  if (polled && std::holds_alternative<bounded_command::AsyncCommand::Running>(*polled)) return;
  pairing_command_.reset();
  const bool was_discovery = std::exchange(discovering_, false);
  mark_structure_dirty();

  if (!polled) {
    status_message_ = fmt::format("Pairing stopped: {}. Choose the pairing action to retry.", polled.error().display());
    return;
  }
  const auto& output = std::get<bounded_command::Output>(*polled);
  if (!output.status.success()) {
    // A held candidate stays, so the next press retries the approval.
    status_message_ =
        fmt::format("Device was not paired: {}. Choose the pairing action to retry.", pairing_detail(output));
    return;
  }
  if (was_discovery) {
    auto candidate = read_discovery_answer(output.standard_output);
    if (!candidate) {
      pair_candidate_.reset();
      status_message_ = std::move(candidate.error());
      return;
    }
    pair_candidate_ = std::move(*candidate);
    status_message_ = fmt::format("Found {}. Confirm code {} on both devices, then approve.", pair_candidate_->label,
                                  pair_candidate_->verification_code);
    return;
  }

  home_peers_ = load_home_peers();
  paired_home_server_count_ = home_peers_.size();
  refresh_status();
  if (pairing_kind_ == kPairPersonalDevice) {
    if (auto rows = check_fleet_identity()) {
      trusted_devices_ = std::move(*rows);
      trusted_devices_error_.reset();
    } else {
      trusted_devices_error_ = rows.error().text;
    }
    status_message_ = "Personal device added";
  } else {
    status_message_ = "Home server paired";
  }
  pair_candidate_.reset();
}

}  // namespace settings::panes::device_mesh
