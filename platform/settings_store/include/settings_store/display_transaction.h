#pragma once
// A display transaction: Settings asks the compositor to try a configuration; the compositor applies
// it on trial and keeps it only when the user confirms before the deadline, restoring the previous
// one otherwise. The revert at the deadline is the compositor's own, so closing Settings does not
// stop it.
//
// Files in the user's runtime directory, beside the display hardware snapshot ("orvo/"):
//   "display-compositor.pid"  the compositor's process id, while it serves requests;
//   "display-request.json"    written only by Settings: {"id": N, "config": {...}, "decision": null |
//                             "keep" | "revert"};
//   "display-transaction.json" written only by the compositor: {"id": N, "state": 0..6, "message":
//                             text or null, "deadline_unix_ms": number or null}.
// Transaction ids only grow. A request the compositor has not answered yet reads as Requested (or
// ConfirmRequested / RevertRequested once Settings decided).
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>

#include "settings_store/display_config.h"

namespace settings_store::hardware {

enum class DisplayTransactionState : std::uint8_t {
  Requested = 0,
  AwaitingConfirmation = 1,  // applied on trial until the deadline
  ConfirmRequested = 2,
  RevertRequested = 3,
  Kept = 4,
  Reverted = 5,
  Rejected = 6,  // with a message saying why
};

// The decision Settings passes on for the transaction it requested.
enum class DisplayDecision : std::uint8_t { Keep, Revert };

// Milliseconds since the Unix epoch, now.
std::uint64_t unix_ms();

// How long a configuration stays on trial before the compositor restores the previous one.
inline constexpr std::uint64_t kDisplayTrialMs = 15'000;

struct DisplayRequest {
  std::uint64_t id = 0;
  DisplayConfig config;
  std::optional<DisplayDecision> decision;
};

struct DisplayTransaction {
  std::uint64_t id = 0;
  DisplayTransactionState state = DisplayTransactionState::Requested;
  std::optional<std::string> message;
  std::optional<std::uint64_t> deadline_unix_ms;

  bool operator==(const DisplayTransaction&) const = default;

  // Hands `config` to the compositor as a new transaction. Fails at once with "display
  // configuration service is unavailable" when no compositor serves requests.
  static std::expected<DisplayTransaction, std::string> request(const DisplayConfig& config);
  // The present transaction, none before the first.
  static std::expected<std::optional<DisplayTransaction>, std::string> load();
  // Ask to keep or to revert `transaction`; accepted while it is Requested or AwaitingConfirmation.
  static std::expected<void, std::string> request_confirmation(const DisplayTransaction& transaction);
  static std::expected<void, std::string> request_revert(const DisplayTransaction& transaction);

  // The files, and the compositor's side of them.
  static std::filesystem::path announcement_path();
  static std::filesystem::path request_path();
  static std::filesystem::path state_path();
  // Settings' latest request, none before the first.
  static std::expected<std::optional<DisplayRequest>, std::string> load_request();
  // The state as the compositor last wrote it, none before the first.
  static std::expected<std::optional<DisplayTransaction>, std::string> load_state();
  // Written by the compositor.
  std::expected<void, std::string> publish_state() const;
  // A compositor process that announced itself is alive.
  static bool service_running();
};

std::string_view to_string(DisplayTransactionState state);

}  // namespace settings_store::hardware
