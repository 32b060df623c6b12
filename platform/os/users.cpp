#include "os_actions/users.h"

#include <crypt.h>
#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "orvo_dbus/connection.h"

namespace os_actions::users {
namespace {

using namespace std::chrono_literals;

const orvo_dbus::Target kAccounts{"org.freedesktop.Accounts", "/org/freedesktop/Accounts"};
constexpr const char* kAccountsInterface = "org.freedesktop.Accounts";
constexpr const char* kUserInterface = "org.freedesktop.Accounts.User";
// A change may wait for the user to type an administrator's password.
constexpr auto kChangeTimeout = 120s;
// Readings are asked for every listed account, so a service that hangs must not hold them long.
constexpr auto kQueryTimeout = 2s;
constexpr std::size_t kMaxFullNameBytes = 255;

std::string describe(const orvo_dbus::Error& error) {
  if (error.service_missing() || error.name == "org.orvo.Error.Local") {
    return "Could not reach the account service: " + error.text();
  }
  return error.text();
}

std::expected<orvo_dbus::Connection, std::string> open_bus() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  return std::move(*bus);
}

std::expected<std::string, std::string> find_user(orvo_dbus::Connection& bus, std::string_view username) {
  auto found = bus.call<sdbus::ObjectPath>(kAccounts, kAccountsInterface, "FindUserByName", kQueryTimeout,
                                           std::string(username));
  if (!found) return std::unexpected(describe(found.error()));
  return std::string(std::get<0>(*found));
}

// Calls `method` of the account's object, allowing the user to authorise it.
template <typename... In>
std::expected<void, std::string> change_user(std::string_view username, const char* method, const In&... in) {
  if (auto checked = check_user_name(username); !checked) return checked;
  auto bus = open_bus();
  if (!bus) return std::unexpected(bus.error());
  auto path = find_user(*bus, username);
  if (!path) return std::unexpected(path.error());
  auto reply = bus->call_authorised<>({kAccounts.service, *path}, kUserInterface, method, kChangeTimeout, in...);
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

}  // namespace

std::expected<void, std::string> check_user_name(std::string_view username) {
  const auto first_ok = [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; };
  const auto rest_ok = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'; };
  if (username.empty() || username.size() > 32 || !first_ok(username.front()) ||
      !std::all_of(username.begin() + 1, username.end(), rest_ok)) {
    return std::unexpected(std::string(kInvalidUserName));
  }
  return {};
}

std::expected<void, std::string> check_full_name(std::string_view full_name) {
  const auto refused = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == ':' || c == ',' || c == '=' || byte < 0x20 || byte == 0x7f;
  };
  if (full_name.size() > kMaxFullNameBytes || std::any_of(full_name.begin(), full_name.end(), refused)) {
    return std::unexpected(std::string(kInvalidFullName));
  }
  return {};
}

std::expected<void, std::string> check_password(const orvo_secret::SecretString& password) {
  if (password.empty()) return std::unexpected(std::string(kEmptyPassword));
  return {};
}

std::expected<std::string, std::string> hash_password(const orvo_secret::SecretString& password) {
  if (auto checked = check_password(password); !checked) return std::unexpected(checked.error());
  char* salt = crypt_gensalt_ra("$y$", 0, nullptr, 0);
  if (salt == nullptr) return std::unexpected(std::string("could not make a password salt"));
  void* data = nullptr;
  int size = 0;
  const char* hashed = crypt_ra(password.c_str(), salt, &data, &size);
  std::free(salt);
  std::string hash = hashed != nullptr && hashed[0] != '*' ? std::string(hashed) : std::string();
  // The work area held the password while hashing.
  if (data != nullptr) {
    sodium_memzero(data, static_cast<std::size_t>(size));
    std::free(data);
  }
  if (hash.empty()) return std::unexpected(std::string("could not hash the password"));
  return hash;
}

std::expected<void, std::string> create_user(std::string_view username, std::string_view full_name,
                                             bool administrator) {
  if (auto checked = check_user_name(username); !checked) return checked;
  if (auto checked = check_full_name(full_name); !checked) return checked;
  auto bus = open_bus();
  if (!bus) return std::unexpected(bus.error());
  auto reply = bus->call_authorised<sdbus::ObjectPath>(kAccounts, kAccountsInterface, "CreateUser", kChangeTimeout,
                                                       std::string(username), std::string(full_name),
                                                       std::int32_t{administrator ? 1 : 0});
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

std::expected<void, std::string> set_password(std::string_view username, const orvo_secret::SecretString& password) {
  if (auto checked = check_user_name(username); !checked) return checked;
  auto hash = hash_password(password);
  if (!hash) return std::unexpected(hash.error());
  return change_user(username, "SetPassword", *hash, std::string());
}

std::expected<void, std::string> delete_user(std::string_view username, std::uint64_t uid, bool remove_files) {
  if (auto checked = check_user_name(username); !checked) return checked;
  auto bus = open_bus();
  if (!bus) return std::unexpected(bus.error());
  auto reply = bus->call_authorised<>(kAccounts, kAccountsInterface, "DeleteUser", kChangeTimeout,
                                      static_cast<std::int64_t>(uid), remove_files);
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

std::expected<void, std::string> set_role(std::string_view username, bool administrator) {
  return change_user(username, "SetAccountType", std::int32_t{administrator ? 1 : 0});
}

std::expected<void, std::string> set_automatic_login(std::string_view username, bool enabled) {
  return change_user(username, "SetAutomaticLogin", enabled);
}

std::expected<bool, std::string> automatic_login(std::string_view username) {
  if (auto checked = check_user_name(username); !checked) return std::unexpected(checked.error());
  auto bus = open_bus();
  if (!bus) return std::unexpected(bus.error());
  auto path = find_user(*bus, username);
  if (!path) return std::unexpected(path.error());
  auto value = bus->property({kAccounts.service, *path}, kUserInterface, "AutomaticLogin", kQueryTimeout);
  if (!value) return std::unexpected(describe(value.error()));
  const auto enabled = orvo_dbus::get<bool>(*value);
  if (!enabled) return std::unexpected(std::string("the account service answered in an unexpected form"));
  return *enabled;
}

}  // namespace os_actions::users
