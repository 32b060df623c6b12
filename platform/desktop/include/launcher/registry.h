#pragma once
// Launcher packages: applications installed as packages of the desktop's launcher, one directory
// per package under "orvo/packages" of the user's data directory.
#include <filesystem>
#include <optional>

namespace launcher::registry {

// "<user data directory>/orvo/packages" ($XDG_DATA_HOME, else ~/.local/share, through
// system_paths so tests can move it); none when the user has no data directory.
std::optional<std::filesystem::path> user_package_dir();

}  // namespace launcher::registry
