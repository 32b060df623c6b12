#pragma once
// Where the account family keeps its files, given a configuration root:
//   <root>/accounts/accounts.json      the account metadata store
//   <root>/accounts/sync-status.json   the per-account sync status store
//   <root>/vault/vault.enc             the encrypted credential vault (and vault.key when the key is local)
#include <filesystem>
#include <optional>

namespace accounts {

// The user's configuration root for accounts: "orvo" in the user's configuration directory; none
// when there is no configuration directory.
std::optional<std::filesystem::path> config_root();

std::filesystem::path accounts_dir_in(const std::filesystem::path& root);
std::filesystem::path vault_dir_in(const std::filesystem::path& root);

}  // namespace accounts
