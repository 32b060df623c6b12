// The application offscreen with an older WebDAV account file: adding a WebDAV account from outside
// builds the accounts page, whose first open imports the older account, and opens the form.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "accounts/secret_vault.h"
#include "child_process.h"
#include "entry.h"

namespace {

using settings::door_tests::ChildProcess;
using settings::door_tests::environment_with;

class AccountsPaneEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-accounts-e2e-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(runtime());
    std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path runtime() const { return dir_ / "runtime"; }
  std::filesystem::path config() const { return dir_ / "config"; }
  std::filesystem::path picture() const { return dir_ / "accounts.png"; }

  std::vector<std::string> environment() const {
    return environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                             {"ORVO_UI_PNG", picture().native()},
                             {"XDG_RUNTIME_DIR", runtime().native()},
                             {"XDG_CONFIG_HOME", config().native()},
                             {"HOME", dir_.native()},
                             {"XDG_STATE_HOME", (dir_ / "state").native()},
                             {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"},
                             {"ORVO_UI_SCRIPT", std::nullopt},
                             {"DISPLAY", std::nullopt},
                             {"WAYLAND_DISPLAY", std::nullopt}});
  }

  struct Run {
    std::optional<int> status;
    std::string out, err;
  };
  Run tool(std::vector<std::string> args) const {
    std::filesystem::create_directories(dir_ / "tool");
    ChildProcess process(ORVO_SETTINGS_ACTIONS, args, environment(), dir_ / "tool");
    Run run{process.wait(), "", ""};
    run.out = process.out();
    run.err = process.err();
    return run;
  }

  std::filesystem::path dir_;
};

TEST_F(AccountsPaneEndToEnd, AddFromOutsideImportsTheOlderAccountAndOpensTheForm) {
  std::filesystem::create_directories(config() / "orvo" / "files");
  std::ofstream(config() / "orvo" / "files" / "accounts.json")
      << R"({"version":1,"accounts":[{"id":"w1","label":"Old files","base_url":"https://files.example.org/dav","username":"o"}]})";

  std::filesystem::create_directories(dir_ / "app");
  ChildProcess app(ORVO_SETTINGS, {}, environment(), dir_ / "app");
  ASSERT_TRUE(app.started());
  const auto socket = runtime() / (std::string(settings::kAppId) + ".actions.sock");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(app.wait({}, std::chrono::milliseconds(0))) << "the application ended early: " << app.err();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(socket)) << app.err();

  const Run added = tool({"invoke", "settings.section:external_accounts", "add-webdav"});
  EXPECT_EQ(added.status, 0) << added.out << added.err;

  // The page's first open imports the older account; the root then lists it.
  Run tree;
  for (int i = 0; i < 100; ++i) {
    tree = tool({"tree"});
    if (tree.out.find("settings.account:w1") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(tree.status, 0) << tree.err;
  EXPECT_NE(tree.out.find("settings.account:w1"), std::string::npos) << tree.out;
  EXPECT_TRUE(std::filesystem::exists(config() / "orvo" / "accounts" / "legacy-settings-import-v1"));

  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
  EXPECT_TRUE(std::filesystem::exists(picture()));
  if (const char* keep = std::getenv("ORVO_KEEP_PNG")) std::filesystem::copy_file(picture(), keep,
                                                                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
