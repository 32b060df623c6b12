#include "launcher/registry.h"

#include "orvo_runtime/system_paths.h"

namespace launcher::registry {

std::optional<std::filesystem::path> user_package_dir() {
  auto data = system_paths::user_data_dir();
  if (!data) return std::nullopt;
  return *data / "orvo" / "packages";
}

}  // namespace launcher::registry
