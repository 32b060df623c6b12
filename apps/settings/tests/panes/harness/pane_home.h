#pragma once
// A temporary home for pane tests: a system root with its own configuration, runtime, data and cache
// directories (every system path and the user's directories resolve under it while it lives),
// removed afterwards. Every pane test folder uses this one; add to it rather than writing another.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_runtime/system_paths.h"

namespace settings::panes::testing {

class PaneHome {
 public:
  PaneHome();
  ~PaneHome();
  PaneHome(const PaneHome&) = delete;
  PaneHome& operator=(const PaneHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path config() const { return root_ / "config"; }
  std::filesystem::path runtime() const { return root_ / "runtime"; }
  std::filesystem::path data() const { return root_ / "data"; }
  std::filesystem::path cache() const { return root_ / "cache"; }
  // A system path ("/run/orvo/fs-storage.sock") as it lies under this root.
  std::filesystem::path system(std::string_view absolute) const;

  // Writes a file under the root (parents made); `relative` as "config/orvo/settings.json".
  void write(std::string_view relative, std::string_view content) const;
  // The file's bytes; none when it does not exist.
  std::optional<std::string> read(std::string_view relative) const;

 private:
  std::filesystem::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

}  // namespace settings::panes::testing
