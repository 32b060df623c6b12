#include "accounts/account_store.h"

#include <algorithm>

#include "accounts/paths.h"
#include "json_file.h"

namespace accounts {

std::filesystem::path account_store_path_in(const std::filesystem::path& root) {
  return accounts_dir_in(root) / "accounts.json";
}

const Account* AccountStore::get(std::string_view id) const {
  for (const auto& account : accounts) {
    if (account.id == id) return &account;
  }
  return nullptr;
}

void AccountStore::upsert(Account account) {
  for (auto& stored : accounts) {
    if (stored.id == account.id) {
      stored = std::move(account);
      return;
    }
  }
  accounts.push_back(std::move(account));
}

bool AccountStore::remove(std::string_view id) {
  const auto removed = std::erase_if(accounts, [&](const Account& a) { return a.id == id; });
  std::erase_if(active, [&](const auto& entry) { return entry.second == id; });
  return removed > 0;
}

std::vector<const Account*> AccountStore::list(std::string_view type_id) const {
  std::vector<const Account*> out;
  for (const auto& account : accounts) {
    if (account.type_id == type_id) out.push_back(&account);
  }
  return out;
}

std::optional<AccountId> AccountStore::active_id(std::string_view type_id) const {
  const auto it = active.find(std::string(type_id));
  if (it == active.end()) return std::nullopt;
  return it->second;
}

std::expected<AccountStore, std::string> AccountStore::load_in(const std::filesystem::path& root) {
  return detail::load_json_file<AccountStore>(account_store_path_in(root));
}

std::expected<void, std::string> AccountStore::save_in(const std::filesystem::path& root) const {
  return detail::save_json_file(account_store_path_in(root), *this);
}

}  // namespace accounts
