#pragma once
// Login accounts, through the system's account service on the system bus
// ("org.freedesktop.Accounts"). Every change may ask the user to authorise it, so each call allows
// interactive authorisation and waits long enough for the user to answer; a missing bus or service
// fails at once with "Could not reach the account service: …".
//
// What goes to the privileged service is checked here first, before any call: a user name must be
// a plain login name, a full name must not hold the characters that separate the fields of the
// system's account files, and a password must not be empty. The password itself never leaves this
// process: only its yescrypt hash, made here, crosses the bus.
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "orvo_secret/secret_string.h"

namespace os_actions::users {

inline constexpr std::string_view kInvalidUserName = "invalid user name";
inline constexpr std::string_view kInvalidFullName = "invalid full name";
inline constexpr std::string_view kEmptyPassword = "password must not be empty";

// "^[a-z_][a-z0-9_-]{0,31}$"
std::expected<void, std::string> check_user_name(std::string_view username);
// At most 255 bytes, with no ':', ',', '=' or control character.
std::expected<void, std::string> check_full_name(std::string_view full_name);
std::expected<void, std::string> check_password(const orvo_secret::SecretString& password);

// The yescrypt hash of `password` with a fresh salt ("$y$…").
std::expected<std::string, std::string> hash_password(const orvo_secret::SecretString& password);

std::expected<void, std::string> create_user(std::string_view username, std::string_view full_name,
                                             bool administrator);
std::expected<void, std::string> set_password(std::string_view username, const orvo_secret::SecretString& password);
std::expected<void, std::string> delete_user(std::string_view username, std::uint64_t uid, bool remove_files);
std::expected<void, std::string> set_role(std::string_view username, bool administrator);
std::expected<void, std::string> set_automatic_login(std::string_view username, bool enabled);
// Whether the account logs in automatically.
std::expected<bool, std::string> automatic_login(std::string_view username);

}  // namespace os_actions::users
