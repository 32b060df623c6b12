#include "orvo_runtime/system_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SystemPaths, ResolveUnderTheOverriddenRootAndRestoreAfterwards) {
  EXPECT_EQ(system_paths::etc(), "/etc");
  {
    system_paths::ScopedOverride root("/tmp/fake-root");
    EXPECT_EQ(system_paths::sys() / "class/power_supply", "/tmp/fake-root/sys/class/power_supply");
    EXPECT_EQ(system_paths::system_path("/usr/share/zoneinfo/zone1970.tab"),
              "/tmp/fake-root/usr/share/zoneinfo/zone1970.tab");
    EXPECT_EQ(system_paths::proc(), "/tmp/fake-root/proc");
  }
  EXPECT_EQ(system_paths::run(), "/run");
}

TEST(SystemPaths, ConfigDirectoryFollowsXdgThenHome) {
  const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_xdg = old_xdg ? old_xdg : "";
  ::setenv("HOME", "/home/ada", 1);
  ::setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
  EXPECT_EQ(system_paths::user_config_dir(), std::filesystem::path("/xdg/config"));
  ::setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
  EXPECT_EQ(system_paths::user_config_dir(), std::filesystem::path("/home/ada/.config"));
  {
    system_paths::ScopedOverride root("/tmp/r", std::filesystem::path("/tmp/r/config"));
    EXPECT_EQ(system_paths::user_config_dir(), std::filesystem::path("/tmp/r/config"));
  }
  if (old_xdg) ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SystemPaths, DataDirectoryFollowsXdgThenHome) {
  const char* old_xdg = std::getenv("XDG_DATA_HOME");
  const std::string saved_xdg = old_xdg ? old_xdg : "";
  const char* old_home = std::getenv("HOME");
  const std::string saved_home = old_home ? old_home : "";
  ::setenv("HOME", "/home/ada", 1);
  ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(system_paths::user_data_dir(), std::filesystem::path("/xdg/data"));
  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(system_paths::user_data_dir(), std::filesystem::path("/home/ada/.local/share"));
  ::unsetenv("HOME");
  EXPECT_EQ(system_paths::user_data_dir(), std::nullopt);
  {
    system_paths::ScopedOverride root("/tmp/r", std::nullopt, std::nullopt, std::filesystem::path("/tmp/r/data"));
    EXPECT_EQ(system_paths::user_data_dir(), std::filesystem::path("/tmp/r/data"));
  }
  if (old_xdg) ::setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
  if (old_home) ::setenv("HOME", saved_home.c_str(), 1); else ::unsetenv("HOME");
}

}  // namespace
