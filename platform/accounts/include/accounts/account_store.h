#pragma once
// AccountStore: the account metadata store, every account in store order and the active account
// of each type. Stored as "accounts.json" in the accounts directory, written atomically, mode 0600.
//
// JSON form: {"accounts":[Account…],"active":{"<type id>":"<account id>",…}}, both keys optional on
// read; its record name in errors is "MailStore".
#include <expected>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account.h"

namespace accounts {

struct AccountStore {
  std::vector<Account> accounts;
  std::map<std::string, AccountId> active;  // type id -> account id

  const Account* get(std::string_view id) const;
  // Inserts the account, or replaces the stored account with the same id in its place.
  void upsert(Account account);
  // Takes the account out; an `active` entry that named it goes too. Tells whether it was there.
  bool remove(std::string_view id);
  // The accounts of one type, in store order.
  std::vector<const Account*> list(std::string_view type_id) const;
  std::optional<AccountId> active_id(std::string_view type_id) const;

  // Reads the store of `root`. A missing file is an empty store; a file that cannot be read or
  // decoded is an error (so that no caller overwrites it by mistake).
  static std::expected<AccountStore, std::string> load_in(const std::filesystem::path& root);
  std::expected<void, std::string> save_in(const std::filesystem::path& root) const;

  bool operator==(const AccountStore&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccountStore>) {
  return orvo_json::record<AccountStore>("MailStore", orvo_json::defaulted_field("accounts", &AccountStore::accounts),
                                         orvo_json::defaulted_field("active", &AccountStore::active));
}

std::filesystem::path account_store_path_in(const std::filesystem::path& root);

}  // namespace accounts
