#pragma once
// Every system location the program reads or writes comes from here, so that a test can point all
// of them at a temporary tree. Paths are spelled as on a running system ("/sys/class/drm") and
// mapped under the current root, which is "/" unless a test installed an override.
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace system_paths {

// `absolute` ("/etc/os-release") under the current root.
std::filesystem::path system_path(std::string_view absolute);

inline std::filesystem::path etc() { return system_path("/etc"); }
inline std::filesystem::path proc() { return system_path("/proc"); }
inline std::filesystem::path sys() { return system_path("/sys"); }
inline std::filesystem::path run() { return system_path("/run"); }
inline std::filesystem::path usr_share() { return system_path("/usr/share"); }

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config; none when neither is usable.
std::optional<std::filesystem::path> user_config_dir();

// The user's data directory: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share;
// none when neither is usable.
std::optional<std::filesystem::path> user_data_dir();

// The user's cache directory: $XDG_CACHE_HOME when it is an absolute path, else $HOME/.cache;
// none when neither is usable.
std::optional<std::filesystem::path> user_cache_dir();

// The user's runtime directory: $XDG_RUNTIME_DIR when absolute, else /run/user/<uid> under the root.
std::filesystem::path user_runtime_dir();

// While alive, system paths resolve under `root` and, when given, the user's configuration and
// runtime, data and cache directories are the given ones. For tests; overrides nest.
class ScopedOverride {
 public:
  explicit ScopedOverride(std::filesystem::path root, std::optional<std::filesystem::path> config_dir = std::nullopt,
                          std::optional<std::filesystem::path> runtime_dir = std::nullopt,
                          std::optional<std::filesystem::path> data_dir = std::nullopt,
                          std::optional<std::filesystem::path> cache_dir = std::nullopt);
  ~ScopedOverride();
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace system_paths
