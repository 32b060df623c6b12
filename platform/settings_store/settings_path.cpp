#include "settings_store/settings_path.h"

#include "orvo_runtime/system_paths.h"

namespace settings_store {

std::optional<std::filesystem::path> settings_path() { return config_path("settings.json"); }

std::optional<std::filesystem::path> config_path(std::string_view name) {
  auto dir = system_paths::user_config_dir();
  if (!dir) return std::nullopt;
  return *dir / "orvo" / name;
}

}  // namespace settings_store
