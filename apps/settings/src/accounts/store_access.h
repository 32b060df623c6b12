#pragma once
// Where Settings finds the account stores and how it opens each of them. Every operation takes the
// shell's optional accounts root override, reads from disk when called and keeps nothing.
//
// Two ways to load the stores: the tolerant loads (`load_account_store`, `load_sync_statuses`) are
// for display and give an empty store when the file cannot be read; a change must start from the
// strict loads, which refuse instead, so that one damaged file never turns the next change into the
// deletion of every other account.
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "accounts/account_store.h"
#include "accounts/secret_vault.h"
#include "accounts/sync_status.h"

namespace settings::accounts {

using RootOverride = std::optional<std::filesystem::path>;

inline constexpr std::string_view kNoConfigDir = "no config dir";

// The override, else the platform's configuration root.
std::optional<std::filesystem::path> accounts_root(const RootOverride& root_override);
// As accounts_root; without a root the error "no config dir".
std::expected<std::filesystem::path, std::string> require_accounts_root(const RootOverride& root_override);
std::expected<std::filesystem::path, std::string> accounts_root_or_message(const RootOverride& root_override);

::accounts::AccountStore load_account_store(const RootOverride& root_override);
// Missing file: an empty store. No root: "no config dir". Unreadable or undecodable:
// "could not read account metadata: " and the reason.
std::expected<::accounts::AccountStore, std::string> load_account_store_strict(const RootOverride& root_override);
std::expected<void, std::string> save_account_store(const RootOverride& root_override,
                                                    const ::accounts::AccountStore& store);

::accounts::status::AccountSyncStatusStore load_sync_statuses(const RootOverride& root_override);
// As load_account_store_strict, with "could not read account sync status: ".
std::expected<::accounts::status::AccountSyncStatusStore, std::string> load_sync_statuses_strict(
    const RootOverride& root_override);
std::expected<void, std::string> save_sync_statuses(const RootOverride& root_override,
                                                    const ::accounts::status::AccountSyncStatusStore& statuses);

// The override's vault when an override is set, else the platform's default vault.
::accounts::vault::SecretVault open_secret_vault(const RootOverride& root_override);

// "mutation-journal.json" in the accounts directory.
std::expected<std::filesystem::path, std::string> mutation_journal_path(const RootOverride& root_override);
// "vault.enc" in the vault directory of the accounts root (the file the journal copies).
std::expected<std::filesystem::path, std::string> vault_file_path(const RootOverride& root_override);

// A file of the older per-kind account stores: joined to the override, else in the settings
// configuration directory.
std::optional<std::filesystem::path> legacy_settings_file(const RootOverride& root_override, std::string_view name);

}  // namespace settings::accounts
