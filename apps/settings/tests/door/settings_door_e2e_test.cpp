// The whole application started offscreen, driven from outside through its door.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "child_process.h"
#include "entry.h"
#include "orvo_ui/action_door.h"
#include "orvo_ui/action_door_client.h"

namespace settings::door_tests {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono_literals;

struct Tool {
  std::optional<int> status;
  std::string out;
  std::string err;
};

TEST(SettingsDoor, TheRunningApplicationListsItsTreeOpensAPaneOnRequestAndSurvivesBadRequests) {
  char pattern[] = "/tmp/e2e-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path dir(pattern);
  // Removed however the test ends; declared first, so the application is stopped before.
  struct RemoveDir {
    std::filesystem::path path;
    ~RemoveDir() { std::filesystem::remove_all(path); }
  } remove_dir{dir};
  for (const char* sub : {"run", "config", "state", "home", "app", "tool"}) std::filesystem::create_directory(dir / sub);
  ::chmod((dir / "run").c_str(), 0700);
  const auto socket = dir / "run" / (std::string(kAppId) + ".actions.sock");
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"ORVO_UI_SCRIPT", std::nullopt},
                                     {"ORVO_UI_PNG", std::nullopt},
                                     {"ORVO_UI_STATE", (dir / "state.json").native()},
                                     {"XDG_RUNTIME_DIR", (dir / "run").native()},
                                     {"XDG_CONFIG_HOME", (dir / "config").native()},
                                     {"XDG_STATE_HOME", (dir / "state").native()},
                                     {"HOME", (dir / "home").native()}});
  ChildProcess app(ORVO_SETTINGS, {}, env, dir / "app");
  ASSERT_TRUE(app.started());
  auto tool = [&](const std::vector<std::string>& args) {
    ChildProcess run(ORVO_SETTINGS_ACTIONS, args, env, dir / "tool");
    auto status = run.wait();
    return Tool{status, run.out(), run.err()};
  };

  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(app.wait({}, 0ms)) << "the application ended early: " << app.err();
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(std::filesystem::exists(socket)) << app.err();

  Tool tree = tool({"tree"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  const Json resources = Json::parse(tree.out);
  ASSERT_EQ(resources.size(), 1u);
  EXPECT_EQ(resources[0]["id"], "settings.root");
  const Json& sections = resources[0]["children"];
  ASSERT_EQ(sections.size(), 22u);
  EXPECT_EQ(sections[1]["id"], "settings.section:bluetooth");
  for (const auto& section : sections) EXPECT_EQ(section["actions"][0]["name"], "open") << section["id"];

  Tool open = tool({"invoke", "settings.section:bluetooth", "open"});
  EXPECT_EQ(open.status, 0) << open.err;

  // Requests that must be refused, each with a clear answer, the application carrying on.
  auto malformed = orvo_ui::door::exchange(socket, "{\"request\":", 10s);
  ASSERT_TRUE(malformed) << malformed.error().message;
  EXPECT_NE(malformed->find(R"("error":"malformed request: parse error)"), std::string::npos) << *malformed;
  auto oversized = orvo_ui::door::exchange(socket, std::string(orvo_ui::door::kMaxRequestBytes + 1, ' '), 10s);
  ASSERT_TRUE(oversized) << oversized.error().message;
  EXPECT_EQ(*oversized, R"({"ok":false,"error":"request exceeds 65536 bytes"})");
  EXPECT_EQ(tool({"tree"}).status, 0) << "still running";

  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
  EXPECT_FALSE(std::filesystem::exists(socket)) << "the socket goes with the application";
  const Json state = Json::parse(read_file(dir / "state.json"));
  EXPECT_EQ(state["selected_category"], "bluetooth");
}

}  // namespace
}  // namespace settings::door_tests
