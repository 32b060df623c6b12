// Default applications end to end: the application running offscreen in a temporary home with two
// editors installed, driven by orvo-settings-actions. A choice reaches the personal-defaults file
// and mimeapps.list before the invocation answers, whether or not Apps & Files is shown, and the
// page opened afterwards keeps it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "../../door/offscreen_app.h"

namespace settings::door_tests {
namespace {

using namespace std::chrono_literals;

constexpr const char* kResource = "settings.default-app:mime:text/plain";
const std::string kFirst = "Editor One \u2014 org.example.EditorOne";
const std::string kSecond = "Editor Two \u2014 org.example.EditorTwo";

// Points the installed applications at the test's own data directory while it lives.
class DataHome {
 public:
  explicit DataHome(const std::filesystem::path& root) {
    for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (root / "no-system-data").c_str(), 1);
    for (const char* name : {"One", "Two"}) {
      const auto path = root / "data" / "applications" / (std::string("org.example.Editor") + name + ".desktop");
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=Editor " << name
                          << "\nExec=editor\nMimeType=text/plain;\n";
    }
  }
  ~DataHome() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string chosen_in_store(const OffscreenApp& app) {
  const auto json = nlohmann::json::parse(read_file(app.config() / "orvo" / "personal-defaults.json"), nullptr, false);
  if (json.is_discarded() || !json.contains("mime:text/plain")) return "";
  return json["mime:text/plain"].get<std::string>();
}

std::string mimeapps(const OffscreenApp& app) { return read_file(app.config() / "mimeapps.list"); }

TEST(DefaultAppsEndToEnd, AChoiceReachesTheStoreWithOrWithoutThePageShown) {
  OffscreenApp app;
  DataHome data(app.home());
  app.keep_last_frame();
  ASSERT_TRUE(app.start());

  ToolRun other = app.tool({"invoke", "settings.section:bluetooth", "open"});
  ASSERT_EQ(other.status, 0) << other.err;
  ToolRun second = app.tool({"invoke", kResource, "set-handler", nlohmann::json{{"choice", kSecond}}.dump()});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(chosen_in_store(app), "org.example.EditorTwo");
  EXPECT_EQ(mimeapps(app), "[Default Applications]\ntext/plain=org.example.EditorTwo.desktop\n");

  ToolRun open = app.tool({"invoke", "settings.section:default-apps", "open"});
  ASSERT_EQ(open.status, 0) << open.err;
  // The page publishes what the store holds and keeps it.
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(chosen_in_store(app), "org.example.EditorTwo");

  ToolRun first = app.tool({"invoke", kResource, "set-handler", nlohmann::json{{"choice", kFirst}}.dump()});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(chosen_in_store(app), "org.example.EditorOne");
  EXPECT_EQ(mimeapps(app), "[Default Applications]\ntext/plain=org.example.EditorOne.desktop\n");
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(chosen_in_store(app), "org.example.EditorOne") << "the page follows the choice";

  ToolRun workspace = app.tool({"invoke", "orvo.control:open-workspace-app-defaults", "invoke"});
  EXPECT_EQ(workspace.status, 0) << workspace.err;
  EXPECT_EQ(app.stop(), 0);
  EXPECT_TRUE(std::filesystem::exists(app.last_frame()));
}

}  // namespace
}  // namespace settings::door_tests
