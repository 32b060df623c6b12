#include "accounts/store_access.h"

#include "accounts/paths.h"
#include "settings_store/settings_path.h"

namespace settings::accounts {

std::optional<std::filesystem::path> accounts_root(const RootOverride& root_override) {
  if (root_override) return root_override;
  return ::accounts::config_root();
}

std::expected<std::filesystem::path, std::string> require_accounts_root(const RootOverride& root_override) {
  auto root = accounts_root(root_override);
  if (!root) return std::unexpected(std::string(kNoConfigDir));
  return *root;
}

std::expected<std::filesystem::path, std::string> accounts_root_or_message(const RootOverride& root_override) {
  return require_accounts_root(root_override);
}

::accounts::AccountStore load_account_store(const RootOverride& root_override) {
  auto root = accounts_root(root_override);
  if (!root) return {};
  auto store = ::accounts::AccountStore::load_in(*root);
  return store ? std::move(*store) : ::accounts::AccountStore{};
}

std::expected<::accounts::AccountStore, std::string> load_account_store_strict(const RootOverride& root_override) {
  auto root = require_accounts_root(root_override);
  if (!root) return std::unexpected(root.error());
  auto store = ::accounts::AccountStore::load_in(*root);
  if (!store) return std::unexpected("could not read account metadata: " + store.error());
  return std::move(*store);
}

std::expected<void, std::string> save_account_store(const RootOverride& root_override,
                                                    const ::accounts::AccountStore& store) {
  auto root = require_accounts_root(root_override);
  if (!root) return std::unexpected(root.error());
  return store.save_in(*root);
}

::accounts::status::AccountSyncStatusStore load_sync_statuses(const RootOverride& root_override) {
  auto root = accounts_root(root_override);
  if (!root) return {};
  auto statuses = ::accounts::status::AccountSyncStatusStore::load_in(*root);
  return statuses ? std::move(*statuses) : ::accounts::status::AccountSyncStatusStore{};
}

std::expected<::accounts::status::AccountSyncStatusStore, std::string> load_sync_statuses_strict(
    const RootOverride& root_override) {
  auto root = require_accounts_root(root_override);
  if (!root) return std::unexpected(root.error());
  auto statuses = ::accounts::status::AccountSyncStatusStore::load_in(*root);
  if (!statuses) return std::unexpected("could not read account sync status: " + statuses.error());
  return std::move(*statuses);
}

std::expected<void, std::string> save_sync_statuses(const RootOverride& root_override,
                                                    const ::accounts::status::AccountSyncStatusStore& statuses) {
  auto root = require_accounts_root(root_override);
  if (!root) return std::unexpected(root.error());
  return statuses.save_in(*root);
}

::accounts::vault::SecretVault open_secret_vault(const RootOverride& root_override) {
  if (root_override) return ::accounts::vault::SecretVault::open_in(*root_override);
  return ::accounts::vault::SecretVault::open();
}

std::expected<std::filesystem::path, std::string> mutation_journal_path(const RootOverride& root_override) {
  auto root = accounts_root_or_message(root_override);
  if (!root) return std::unexpected(root.error());
  return ::accounts::accounts_dir_in(*root) / "mutation-journal.json";
}

std::expected<std::filesystem::path, std::string> vault_file_path(const RootOverride& root_override) {
  auto root = accounts_root_or_message(root_override);
  if (!root) return std::unexpected(root.error());
  return ::accounts::vault_dir_in(*root) / ::accounts::vault::kVaultFileName;
}

std::optional<std::filesystem::path> legacy_settings_file(const RootOverride& root_override, std::string_view name) {
  if (root_override) return *root_override / name;
  return settings_store::config_path(name);
}

}  // namespace settings::accounts
