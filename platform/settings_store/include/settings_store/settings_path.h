#pragma once
// Where the settings file lives: "orvo/settings.json" under the user's configuration directory
// ($XDG_CONFIG_HOME when absolute, else $HOME/.config). Several programs keep their own top-level
// keys in this one file.
#include <filesystem>
#include <optional>

namespace settings_store {

// None when no configuration directory is known.
std::optional<std::filesystem::path> settings_path();

}  // namespace settings_store
