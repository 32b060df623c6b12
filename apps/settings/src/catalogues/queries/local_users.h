#pragma once
// The regular login accounts of the machine, read from the system account files.
#include <cstdint>
#include <filesystem>
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

}  // namespace settings::panes::users
