#pragma once
// A temporary directory tree for tests, removed with everything in it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace os_actions_testing {

class TempTree {
 public:
  TempTree() {
    char pattern[] = "/tmp/orvo-os-XXXXXX";
    root_ = ::mkdtemp(pattern);
  }
  ~TempTree() { std::filesystem::remove_all(root_); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes `content` to `relative`, creating its directories.
  std::filesystem::path write(std::string_view relative, std::string_view content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // An executable shell script at `relative`.
  std::filesystem::path script(std::string_view relative, std::string_view body) const {
    const auto path = write(relative, std::string("#!/bin/sh\n") + std::string(body) + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

 private:
  std::filesystem::path root_;
};

// Puts `dir` first on PATH (or alone on it, so the machine's own tools stay out of reach) while alive.
class PathPrefix {
 public:
  explicit PathPrefix(const std::filesystem::path& dir, bool only = false) : saved_(std::getenv("PATH")) {
    const std::string value = only ? dir.string() : dir.string() + ":" + saved_;
    ::setenv("PATH", value.c_str(), 1);
  }
  ~PathPrefix() { ::setenv("PATH", saved_.c_str(), 1); }
  PathPrefix(const PathPrefix&) = delete;
  PathPrefix& operator=(const PathPrefix&) = delete;

 private:
  std::string saved_;
};

}  // namespace os_actions_testing
