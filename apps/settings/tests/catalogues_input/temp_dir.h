#pragma once
// A temporary directory for tests, removed with everything in it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string_view>

namespace settings::testing {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/orvo-input-XXXXXX";
    root_ = ::mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(root_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes `content` to `relative`, creating its directories.
  std::filesystem::path write(std::string_view relative, std::string_view content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace settings::testing
