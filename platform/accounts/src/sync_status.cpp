#include "accounts/sync_status.h"

#include "accounts/paths.h"
#include "json_file.h"

namespace accounts::status {

std::filesystem::path sync_status_path_in(const std::filesystem::path& root) {
  return accounts_dir_in(root) / "sync-status.json";
}

const AccountSyncStatus* AccountSyncStatusStore::get(std::string_view id) const {
  const auto it = statuses.find(std::string(id));
  return it == statuses.end() ? nullptr : &it->second;
}

bool AccountSyncStatusStore::remove(std::string_view id) { return statuses.erase(std::string(id)) > 0; }

std::expected<AccountSyncStatusStore, std::string> AccountSyncStatusStore::load_in(const std::filesystem::path& root) {
  return detail::load_json_file<AccountSyncStatusStore>(sync_status_path_in(root));
}

std::expected<void, std::string> AccountSyncStatusStore::save_in(const std::filesystem::path& root) const {
  return detail::save_json_file(sync_status_path_in(root), *this);
}

}  // namespace accounts::status
