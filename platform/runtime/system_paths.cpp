#include "orvo_runtime/system_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace system_paths {
namespace {

struct Overrides {
  std::filesystem::path root = "/";
  std::optional<std::filesystem::path> config_dir;
  std::optional<std::filesystem::path> runtime_dir;
  std::optional<std::filesystem::path> data_dir;
  std::optional<std::filesystem::path> cache_dir;
};

// Never destroyed: workers that are never joined may still ask for a path while the program's
// statics are torn down at exit.
std::mutex& overrides_mutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

Overrides& overrides() {
  static auto* value = new Overrides;
  return *value;
}

Overrides current() {
  std::lock_guard lock(overrides_mutex());
  return overrides();
}

std::optional<std::filesystem::path> absolute_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

}  // namespace

struct ScopedOverride::Saved {
  Overrides previous;
};

std::filesystem::path system_path(std::string_view absolute) {
  while (!absolute.empty() && absolute.front() == '/') absolute.remove_prefix(1);
  const auto root = current().root;
  return absolute.empty() ? root : root / std::filesystem::path(absolute);
}

std::optional<std::filesystem::path> user_config_dir() {
  if (auto dir = current().config_dir) return dir;
  if (auto dir = absolute_env("XDG_CONFIG_HOME")) return dir;
  if (auto home = absolute_env("HOME")) return *home / ".config";
  return std::nullopt;
}

std::optional<std::filesystem::path> user_data_dir() {
  if (auto dir = current().data_dir) return dir;
  if (auto dir = absolute_env("XDG_DATA_HOME")) return dir;
  if (auto home = absolute_env("HOME")) return *home / ".local/share";
  return std::nullopt;
}

std::optional<std::filesystem::path> user_cache_dir() {
  if (auto dir = current().cache_dir) return dir;
  if (auto dir = absolute_env("XDG_CACHE_HOME")) return dir;
  if (auto home = absolute_env("HOME")) return *home / ".cache";
  return std::nullopt;
}

std::filesystem::path user_runtime_dir() {
  if (auto dir = current().runtime_dir) return *dir;
  if (auto dir = absolute_env("XDG_RUNTIME_DIR")) return *dir;
  return system_path("/run/user") / std::to_string(::getuid());
}

ScopedOverride::ScopedOverride(std::filesystem::path root, std::optional<std::filesystem::path> config_dir,
                               std::optional<std::filesystem::path> runtime_dir,
                               std::optional<std::filesystem::path> data_dir,
                               std::optional<std::filesystem::path> cache_dir)
    : saved_(std::make_unique<Saved>()) {
  std::lock_guard lock(overrides_mutex());
  saved_->previous = overrides();
  overrides() = Overrides{std::move(root), std::move(config_dir), std::move(runtime_dir), std::move(data_dir),
                          std::move(cache_dir)};
}

ScopedOverride::~ScopedOverride() {
  std::lock_guard lock(overrides_mutex());
  overrides() = saved_->previous;
}

}  // namespace system_paths
