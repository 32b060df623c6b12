#include "catalogues/queries/local_users.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "orvo_runtime/system_paths.h"
#include "os_actions/users.h"

namespace settings::panes::users {
namespace {

// Account files far beyond any real machine's are not read.
constexpr std::uintmax_t kMaxAccountFileBytes = 16 * 1024 * 1024;

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const auto at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

template <class Visit>
void for_each_line(std::string_view text, Visit visit) {
  for (std::string_view line : split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line);
  }
}

std::optional<std::uint64_t> decimal(std::string_view text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::set<std::string, std::less<>> administrators(std::string_view group) {
  std::set<std::string, std::less<>> members;
  for_each_line(group, [&members](std::string_view line) {
    const auto fields = split(line, ':');
    if (fields.size() < 4 || (fields[0] != "wheel" && fields[0] != "sudo")) return;
    for (std::string_view member : split(fields[3], ',')) {
      member = trim(member);
      if (!member.empty()) members.emplace(member);
    }
  });
  return members;
}

std::optional<std::string> read_file(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxAccountFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<LocalUser> parse_local_users(std::string_view passwd, std::optional<std::string_view> group,
                                         const std::optional<std::string>& signed_in_user) {
  const auto admins = group ? administrators(*group) : std::set<std::string, std::less<>>{};
  std::vector<LocalUser> users;
  for_each_line(passwd, [&](std::string_view line) {
    const auto fields = split(line, ':');
    // A line without a user name names no account, whatever else it holds.
    if (fields.size() < 7 || fields[0].empty()) return;
    const auto uid = decimal(fields[2]);
    if (!uid || *uid < kFirstRegularUid || *uid > kLastRegularUid) return;
    if (fields[6].ends_with("nologin") || fields[6].ends_with("false")) return;
    LocalUser user;
    user.username = std::string(fields[0]);
    user.full_name = std::string(trim(split(fields[4], ',').front()));
    if (user.full_name.empty()) user.full_name = user.username;
    user.uid = *uid;
    user.administrator = admins.contains(user.username);
    user.signed_in = signed_in_user && *signed_in_user == user.username;
    // Asked of the account service afterwards (`local_users`).
    user.automatic_login = false;
    users.push_back(std::move(user));
  });
  return users;
}

std::vector<LocalUser> read_local_users(const std::filesystem::path& etc,
                                        const std::optional<std::string>& signed_in_user) {
  const auto passwd = read_file(etc / "passwd");
  if (!passwd) return {};
  const auto group = read_file(etc / "group");
  return parse_local_users(*passwd, group ? std::optional<std::string_view>(*group) : std::nullopt, signed_in_user);
}

std::vector<LocalUser> local_users(const AutomaticLoginQuery& query) {
  const char* user = std::getenv("USER");
  auto users = read_local_users(system_paths::etc(), user ? std::optional<std::string>(user) : std::nullopt);
  for (LocalUser& account : users) {
    const auto enabled = query(account.username);
    account.automatic_login = enabled.value_or(false);
  }
  return users;
}

std::vector<LocalUser> local_users() { return local_users(os_actions::users::automatic_login); }

}  // namespace settings::panes::users
