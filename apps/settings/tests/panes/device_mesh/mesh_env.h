#pragma once
// Environment for the device mesh tests: a temporary system root with its own configuration and
// data directories, and the identity variables saved, set and restored.
#include <stdlib.h>

#include <optional>
#include <string>

#include "../../catalogues_input/temp_dir.h"
#include "orvo_runtime/system_paths.h"

namespace settings::panes::device_mesh::testing {

// Sets or unsets one environment variable until destroyed.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    set(value);
  }
  ~ScopedEnv() { set(saved_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const std::optional<std::string>& value) const {
    if (value) {
      ::setenv(name_, value->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> saved_;
};

// root/ is the system root, root/config the configuration directory, root/data the data directory;
// the identity root is root/device-root unless a test says otherwise.
class MeshEnv {
 public:
  MeshEnv()
      : paths_(dir_.root(), dir_.root() / "config", std::nullopt, dir_.root() / "data"),
        identity_root_("ORVO_IDENTITY_ROOT", (dir_.root() / "device-root").string()),
        identity_dir_("ORVO_USER_IDENTITY_DIR", (dir_.root() / "identities").string()) {}

  const std::filesystem::path& root() const { return dir_.root(); }
  std::filesystem::path device_root() const { return dir_.root() / "device-root"; }
  std::filesystem::path identity_dir() const { return dir_.root() / "identities"; }
  std::filesystem::path write(std::string_view relative, std::string_view content) const {
    return dir_.write(relative, content);
  }

 private:
  settings::testing::TempDir dir_;
  system_paths::ScopedOverride paths_;
  ScopedEnv identity_root_;
  ScopedEnv identity_dir_;
};

}  // namespace settings::panes::device_mesh::testing
