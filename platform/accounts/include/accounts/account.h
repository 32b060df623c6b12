#pragma once
// Account: one online account (mail, calendar, files, Nextcloud) of the account store.
// The kind-specific server settings live in `config`, a JSON object whose keys depend on `type_id`.
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace accounts {

// Unique key of an account in the store and in the credential vault.
using AccountId = std::string;
// "email", "caldav", "webdav" or "nextcloud".
using AccountTypeId = std::string;

struct Account {
  AccountId id;
  AccountTypeId type_id;
  std::string display_name;
  nlohmann::ordered_json config;  // null until the account form writes its keys
  bool enabled = true;
  std::uint8_t tint = 0;
  std::optional<std::string> owner;
};

}  // namespace accounts
