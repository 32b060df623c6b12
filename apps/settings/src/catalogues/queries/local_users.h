#pragma once
// The regular login accounts of the machine, read from the system account files.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::users {

struct LocalUser {
  std::string username;
  // The first comma-separated piece of the comment field, trimmed; the username when it is empty.
  std::string full_name;
  std::uint64_t uid = 0;
  // A member of the group "wheel" or "sudo" (primary groups do not count).
  bool administrator = false;
  // The account this program runs for (the environment's USER).
  bool signed_in = false;
  bool automatic_login = false;

  bool operator==(const LocalUser&) const = default;
};

// Regular accounts have uids 1000..59999 and a login shell.
inline constexpr std::uint64_t kFirstRegularUid = 1000;
inline constexpr std::uint64_t kLastRegularUid = 59999;

// The accounts of a passwd text, in its order. Lines with fewer than seven fields, no user name, a
// uid that is not a plain decimal number or lies outside the regular range, or a shell ending in
// "nologin" or "false" are skipped. `group` (none when it could not be read: then nobody is an administrator)
// gives the members of "wheel" and "sudo".
std::vector<LocalUser> parse_local_users(std::string_view passwd, std::optional<std::string_view> group,
                                         const std::optional<std::string>& signed_in_user);

// The same from `<etc>/passwd` and `<etc>/group`; no accounts when passwd cannot be read.
std::vector<LocalUser> read_local_users(const std::filesystem::path& etc,
                                        const std::optional<std::string>& signed_in_user);

// Whether automatic login is on for an account, or why that could not be learnt.
using AutomaticLoginQuery = std::function<std::expected<bool, std::string>(std::string_view username)>;

// The machine's accounts (the system account files, the environment's USER as the signed-in
// account), each with the automatic login `query` answers; off when it fails. The one reading the
// Users pane and the Users catalogue share.
std::vector<LocalUser> local_users(const AutomaticLoginQuery& query);
// The same with the system's account service as the query.
std::vector<LocalUser> local_users();

}  // namespace settings::panes::users
