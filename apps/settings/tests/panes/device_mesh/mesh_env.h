#pragma once
// The device mesh tests' home: the pane tests' temporary home (root/config the configuration
// directory, root/data the data directory) with the identity variables pointing into it, saved and
// restored.
#include <filesystem>
#include <string>
#include <string_view>

#include "harness/pane_home.h"
#include "orvo_testing/scoped_env.h"

namespace settings::panes::device_mesh::testing {

using orvo_testing::ScopedEnv;

// The device identity root is root/device-root and the user identity directory root/identities.
class MeshEnv {
 public:
  MeshEnv()
      : identity_root_("ORVO_IDENTITY_ROOT", (home_.root() / "device-root").string()),
        identity_dir_("ORVO_USER_IDENTITY_DIR", (home_.root() / "identities").string()) {}

  const std::filesystem::path& root() const { return home_.root(); }
  std::filesystem::path device_root() const { return home_.root() / "device-root"; }
  std::filesystem::path identity_dir() const { return home_.root() / "identities"; }
  std::filesystem::path write(std::string_view relative, std::string_view content) const {
    home_.write(relative, content);
    return home_.root() / relative;
  }

 private:
  panes::testing::PaneHome home_;
  ScopedEnv identity_root_;
  ScopedEnv identity_dir_;
};

}  // namespace settings::panes::device_mesh::testing
