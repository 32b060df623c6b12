#pragma once
// Where the settings file lives: "orvo/settings.json" under the user's configuration directory
// ($XDG_CONFIG_HOME when absolute, else $HOME/.config). Several programs keep their own top-level
// keys in this one file.
#include <filesystem>
#include <optional>
#include <string_view>

namespace settings_store {

// None when no configuration directory is known.
std::optional<std::filesystem::path> settings_path();

// A file of the settings configuration directory ("orvo" under the user's configuration directory),
// such as "files/accounts.json". None when no configuration directory is known.
std::optional<std::filesystem::path> config_path(std::string_view name);

}  // namespace settings_store
