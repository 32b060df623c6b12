#pragma once
// Pairing a new home server or personal device: the enrolment program looks for it nearby and
// answers with its identity and verification code; once the user has compared the code on both
// devices, the home-peer control program admits it with administrator approval.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_runtime/bounded_command.h"
#include "services/mesh_files.h"

namespace settings::panes::device_mesh {

// The kind of device being paired (the pane remembers the kind of its last discovery).
inline constexpr std::uint8_t kPairHomeServer = 0;
inline constexpr std::uint8_t kPairPersonalDevice = 1;

inline constexpr std::string_view kEnrollProgram = "/usr/bin/orvo-enroll";
inline constexpr std::chrono::seconds kDiscoveryTimeLimit{30};
// The administrator prompt and the other device may take their time.
inline constexpr std::chrono::seconds kApprovalTimeLimit{600};

inline constexpr std::string_view kInvalidIdentity = "Nearby discovery returned an invalid identity";

// "discover" (home server) or "discover-device" with a 15-second window.
bounded_command::PreparedCommand discovery_command(std::uint8_t kind);

// The workspaces a new home server receives: those of the bindings in order, or without a binding
// those of the label list in order.
std::vector<std::uint64_t> approval_workspace_ids(const RelayConfig& config,
                                                  const std::vector<WorkspaceLabel>& labels);

// pkexec … "approve-enrollment" with one "--workspace-id" pair per workspace.
bounded_command::PreparedCommand home_server_approval_command(const std::filesystem::path& identity_root,
                                                              const PairCandidate& candidate,
                                                              const std::vector<std::uint64_t>& workspace_ids);

// pkexec … "approve-device" for the user identity kept in `identity_dir`.
bounded_command::PreparedCommand personal_device_approval_command(const std::filesystem::path& identity_root,
                                                                  const std::filesystem::path& identity_dir,
                                                                  const PairCandidate& candidate);

// Whether a node id that came from a device on the network may go onto a privileged command line:
// not empty, not starting with "-" (it would read as an option), valid UTF-8 without white space
// or control characters.
bool acceptable_node_id(std::string_view id);

// The discovery program's answer as a candidate; `kInvalidIdentity` when it is not one or its ids
// are not acceptable.
std::expected<PairCandidate, std::string> read_discovery_answer(std::string_view standard_output);

}  // namespace settings::panes::device_mesh
