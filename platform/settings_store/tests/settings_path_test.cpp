#include "settings_store/settings_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "orvo_runtime/system_paths.h"

namespace {

// Sets or clears environment variables for one test and puts them back.
class EnvironmentScope {
 public:
  void set(const char* name, const char* value) {
    saved_.push_back({name, std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt});
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvironmentScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first, it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first);
      }
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(SettingsPath, FollowsTheXdgConfigDirectory) {
  const struct {
    const char* xdg;
    const char* home;
    std::optional<std::string> want;
  } rows[] = {
      {"/xdg", "/home/u", "/xdg/orvo/settings.json"},
      {nullptr, "/home/u", "/home/u/.config/orvo/settings.json"},
      {"relative/dir", "/home/u", "/home/u/.config/orvo/settings.json"},
      {"", "/home/u", "/home/u/.config/orvo/settings.json"},
      {nullptr, nullptr, std::nullopt},
  };
  for (const auto& row : rows) {
    EnvironmentScope env;
    env.set("XDG_CONFIG_HOME", row.xdg);
    env.set("HOME", row.home);
    const auto path = settings_store::settings_path();
    EXPECT_EQ(path ? std::optional<std::string>(path->string()) : std::nullopt, row.want)
        << (row.xdg ? row.xdg : "(unset)");
  }
  system_paths::ScopedOverride paths("/", "/tmp/override");
  EXPECT_EQ(settings_store::settings_path().value(), "/tmp/override/orvo/settings.json");
}

}  // namespace
