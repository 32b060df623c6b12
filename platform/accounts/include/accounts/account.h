#pragma once
// Account: one online account (mail, calendar, files, Nextcloud) of the account store.
// The kind-specific server settings live in `config`, a JSON object whose keys depend on `type_id`.
//
// JSON form: {"id":…,"type_id":…,"display_name":…,"config":…,"enabled":…,"tint":…[,"owner":…]};
// only `id` and `type_id` are required, and `owner` is written only when there is one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "orvo_json/json_value.h"

namespace accounts {

// Unique key of an account in the store and in the credential vault.
using AccountId = std::string;

// "email", "caldav", "webdav" or "nextcloud". Any text is kept as it is.
struct AccountTypeId : std::string {
  using std::string::string;
  AccountTypeId(std::string text) : std::string(std::move(text)) {}
  static AccountTypeId from(std::string_view text) { return AccountTypeId(std::string(text)); }
  const std::string& as_str() const { return *this; }
};

struct Account {
  AccountId id;
  AccountTypeId type_id;
  std::string display_name;
  nlohmann::ordered_json config;  // null until the account form writes its keys
  bool enabled = true;
  std::uint8_t tint = 0;
  std::optional<std::string> owner;

  // An account of the given type with every other field at its default.
  static Account make(AccountId id, std::string_view type) {
    Account account;
    account.id = std::move(id);
    account.type_id = AccountTypeId::from(type);
    return account;
  }

  bool operator==(const Account&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<Account>) {
  return orvo_json::record<Account>(
      "Account", orvo_json::field("id", &Account::id), orvo_json::field("type_id", &Account::type_id),
      orvo_json::defaulted_field("display_name", &Account::display_name),
      orvo_json::defaulted_field("config", &Account::config), orvo_json::defaulted_field("enabled", &Account::enabled),
      orvo_json::defaulted_field("tint", &Account::tint), orvo_json::omitted_when_none_field("owner", &Account::owner));
}

}  // namespace accounts

template <>
struct orvo_json::Codec<accounts::AccountTypeId> {
  static void encode(Writer& w, const accounts::AccountTypeId& v) { w.string(v); }
  static accounts::AccountTypeId decode(Reader& r) { return accounts::AccountTypeId(Codec<std::string>::decode(r)); }
};
