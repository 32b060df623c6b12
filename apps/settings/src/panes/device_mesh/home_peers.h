#pragma once
// Administration of the paired home servers through the relay administration program: a health
// check of one peer at a time, renaming, removal, and finishing removals that did not complete.
// One command runs at a time in the pane's admin slot.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "orvo_runtime/bounded_command.h"
#include "services/mesh_files.h"

namespace settings::panes::device_mesh {

inline constexpr std::string_view kRelayAdminProgram = "/usr/bin/orvo-relay-admin";
inline constexpr std::chrono::seconds kRelayAdminTimeLimit{60};

inline constexpr std::string_view kHomePeerStatus = "home-peer-status";
inline constexpr std::string_view kHomePeerRename = "home-peer-rename";
inline constexpr std::string_view kHomePeerRemove = "home-peer-remove";
inline constexpr std::string_view kHomePeerRetryRemovals = "home-peer-retry-removals";
// The admin command peer while pending removals are retried.
inline constexpr std::string_view kPendingRemovalsPeer = "__pending__";

inline constexpr std::string_view kConnecting = "Connecting…";

// `subcommand` --identity-root … --device … --service … [--label …]
bounded_command::PreparedCommand relay_admin_command(std::string_view subcommand,
                                                     const std::filesystem::path& identity_root,
                                                     const HomePeerRegistration& peer,
                                                     const std::optional<std::string>& label);
bounded_command::PreparedCommand retry_removals_command(const std::filesystem::path& identity_root);

// What a successful command reports about its peer; a missing member or one of another type is false.
struct HomePeerAnswer {
  bool files_ready = false;
  bool decommissioned = false;
};
// None when the output is not JSON.
std::optional<HomePeerAnswer> read_home_peer_answer(std::string_view standard_output);
// "Removed", "Online · Files ready" or "Online · Syncing files".
std::string_view home_peer_online_text(const HomePeerAnswer& answer);

// Milliseconds since the Unix epoch; 0 before it, saturating far after it.
std::uint64_t unix_millis(std::chrono::system_clock::time_point now);

// The availability text of a peer last seen at `last_seen_ms` that did not answer now:
// "Offline · Last seen just now", "… {} min ago" or "… {} h ago".
std::string last_seen_text(std::uint64_t last_seen_ms,
                           std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// Writes the last-seen map to "home-peer-health.json": pretty JSON, mode 0600, atomically.
std::expected<void, std::string> write_home_peer_health(const std::unordered_map<std::string, std::uint64_t>& last_seen);

}  // namespace settings::panes::device_mesh
