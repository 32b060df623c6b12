#pragma once
// A temporary directory for tests, removed with everything in it, and reading a file back whole.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace orvo_testing {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/orvo-test-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("could not make a temporary directory");
    root_ = made;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes `content` to `relative`, creating its directories.
  std::filesystem::path write(const std::filesystem::path& relative, std::string_view content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

 private:
  std::filesystem::path root_;
};

// The file's bytes; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace orvo_testing
