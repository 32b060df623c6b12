#include "settings_store/settings_path.h"

#include "orvo_runtime/system_paths.h"

namespace settings_store {

std::optional<std::filesystem::path> settings_path() {
  auto dir = system_paths::user_config_dir();
  if (!dir) return std::nullopt;
  return *dir / "orvo" / "settings.json";
}

}  // namespace settings_store
