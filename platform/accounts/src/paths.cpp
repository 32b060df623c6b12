#include "accounts/paths.h"

#include "orvo_runtime/system_paths.h"

namespace accounts {

std::optional<std::filesystem::path> config_root() {
  auto dir = system_paths::user_config_dir();
  if (!dir) return std::nullopt;
  return *dir / "orvo";
}

std::filesystem::path accounts_dir_in(const std::filesystem::path& root) { return root / "accounts"; }

std::filesystem::path vault_dir_in(const std::filesystem::path& root) { return root / "vault"; }

}  // namespace accounts
