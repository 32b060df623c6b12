// The account files: any passwd and group text (split at the first NUL byte) gives a list of
// regular accounts, never a crash; every account listed has a name and a regular uid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogues/queries/local_users.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace settings::panes::users;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto split = input.find('\0');
  const std::string_view passwd = input.substr(0, split);
  const std::optional<std::string_view> group =
      split == std::string_view::npos ? std::nullopt : std::optional(input.substr(split + 1));
  for (const auto& user : parse_local_users(passwd, group, std::string("ada"))) {
    if (user.full_name.empty() || user.uid < kFirstRegularUid || user.uid > kLastRegularUid) std::abort();
  }
  return 0;
}
