#pragma once
// The last sync result of each account, written by the programs that sync and read by Settings.
// Stored as "sync-status.json" in the accounts directory, written atomically, mode 0600.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_json/json.h"

namespace accounts::status {

enum class AccountSyncHealth { Never, Syncing, Healthy, Offline, NeedsAuthentication, Error };

constexpr auto describe_json(orvo_json::Tag<AccountSyncHealth>) {
  return orvo_json::unit_enum<AccountSyncHealth>("AccountSyncHealth",
                                                 {{"never", AccountSyncHealth::Never},
                                                  {"syncing", AccountSyncHealth::Syncing},
                                                  {"healthy", AccountSyncHealth::Healthy},
                                                  {"offline", AccountSyncHealth::Offline},
                                                  {"needs_authentication", AccountSyncHealth::NeedsAuthentication},
                                                  {"error", AccountSyncHealth::Error}});
}

struct AccountSyncStatus {
  AccountSyncHealth health = AccountSyncHealth::Never;
  std::optional<std::int64_t> last_attempt_unix;  // seconds since the Unix epoch
  std::optional<std::int64_t> last_success_unix;
  std::optional<std::string> message;
  bool operator==(const AccountSyncStatus&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccountSyncStatus>) {
  return orvo_json::record<AccountSyncStatus>(
      "AccountSyncStatus", orvo_json::field("health", &AccountSyncStatus::health),
      orvo_json::field("last_attempt_unix", &AccountSyncStatus::last_attempt_unix),
      orvo_json::field("last_success_unix", &AccountSyncStatus::last_success_unix),
      orvo_json::field("message", &AccountSyncStatus::message));
}

struct AccountSyncStatusStore {
  std::map<std::string, AccountSyncStatus> statuses;  // account id -> status, in key order

  const AccountSyncStatus* get(std::string_view id) const;
  bool remove(std::string_view id);

  // As for the account store: a missing file is empty, any other failure is an error.
  static std::expected<AccountSyncStatusStore, std::string> load_in(const std::filesystem::path& root);
  std::expected<void, std::string> save_in(const std::filesystem::path& root) const;

  bool operator==(const AccountSyncStatusStore&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccountSyncStatusStore>) {
  return orvo_json::record<AccountSyncStatusStore>(
      "AccountSyncStatusStore", orvo_json::defaulted_field("statuses", &AccountSyncStatusStore::statuses));
}

std::filesystem::path sync_status_path_in(const std::filesystem::path& root);

}  // namespace accounts::status
