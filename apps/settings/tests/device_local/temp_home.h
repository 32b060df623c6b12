#pragma once
// A temporary system root with its own configuration directory, removed afterwards; the
// preferences file lives at config/orvo/settings.json under it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "orvo_runtime/system_paths.h"

namespace settings::device_local::testing {

class TempHome {
 public:
  TempHome() {
    char pattern[] = "/tmp/orvo-runner-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace(root_, root_ / "config");
  }
  ~TempHome() {
    paths_.reset();
    std::filesystem::remove_all(root_);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path preferences_path() const { return root_ / "config/orvo/settings.json"; }

  void write(std::string_view relative, std::string_view content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  void write_preferences(std::string_view content) const { write("config/orvo/settings.json", content); }

  // The file's bytes; none when it does not exist.
  std::optional<std::string> read_preferences() const {
    std::ifstream in(preferences_path(), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

}  // namespace settings::device_local::testing
