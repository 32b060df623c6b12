#pragma once
// A temporary directory tree for tests, removed with everything in it, and a PATH for stand-in tools.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "orvo_testing/temp_dir.h"

namespace os_actions_testing {

// A temporary directory with executable scripts in it as well.
class TempTree : public orvo_testing::TempDir {
 public:
  // An executable shell script at `relative`.
  std::filesystem::path script(std::string_view relative, std::string_view body) const {
    const auto path = write(relative, std::string("#!/bin/sh\n") + std::string(body) + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }
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
