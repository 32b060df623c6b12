// The application started offscreen with a cache directory of its own, driven from outside through
// the developer tool: the cache clean-up and a free of synced files with no storage service.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../../door/offscreen_app.h"
#include "orvo_testing/scoped_env.h"

namespace settings::panes::storage {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
using orvo_testing::ScopedEnv;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(StorageEndToEnd, CachesAreCleanedAndFreeingWithoutTheServiceEndsPromptly) {
  OffscreenApp app("{}");
  const fs::path cache = app.home() / "cache-home";
  const fs::path outside = app.home() / "kept";
  fs::create_directories(cache / "thumbnails");
  fs::create_directories(outside);
  std::ofstream(cache / "thumbnails/1.png") << std::string(4096, 'x');
  std::ofstream(outside / "document.txt") << "keep me";
  fs::create_symlink(outside / "document.txt", cache / "document-link");
  ScopedEnv cache_home("XDG_CACHE_HOME", cache.c_str());
  ASSERT_TRUE(app.start()) << app.process().err();

  const ToolRun cleaned = app.tool({"--timeout", "20", "invoke", "settings.section:storage", "cleanup-caches"});
  EXPECT_EQ(cleaned.status, 0) << cleaned.out << cleaned.err;
  EXPECT_EQ(cleaned.out, "Application caches cleaned.\n") << cleaned.err;
  EXPECT_TRUE(fs::exists(outside / "document.txt"));
  EXPECT_TRUE(fs::is_empty(cache));

  std::error_code ignored;
  if (fs::exists("/run/orvo/fs-storage.sock", ignored)) {
    GTEST_SKIP() << "this machine runs a storage service";
  }
  const auto started = std::chrono::steady_clock::now();
  const ToolRun freed = app.tool({"--timeout", "20", "invoke", "settings.section:storage", "free-synced-files"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "ends promptly, not when the tool gives up";
  EXPECT_EQ(freed.status, 1) << freed.out << freed.err;
  EXPECT_NE((freed.out + freed.err).find("No reclaimable synced files are available."), std::string::npos)
      << freed.out << freed.err;

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::storage
