// The accounts form's buttons are actions of the section, so they work from outside as from the
// window: an add form opened from outside is cancelled from outside.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "child_process.h"
#include "entry.h"

namespace {

using settings::door_tests::ChildProcess;
using settings::door_tests::environment_with;

TEST(AccountsOutcomes, FormButtonsAreReachableFromOutside) {
  char pattern[] = "/tmp/orvo-accounts-outcome-XXXXXX";
  const std::filesystem::path dir = ::mkdtemp(pattern);
  const auto runtime = dir / "runtime";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"XDG_RUNTIME_DIR", runtime.native()},
                                     {"XDG_CONFIG_HOME", (dir / "config").native()},
                                     {"HOME", dir.native()},
                                     {"XDG_STATE_HOME", (dir / "state").native()},
                                     {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"},
                                     {"ORVO_UI_SCRIPT", std::nullopt},
                                     {"DISPLAY", std::nullopt},
                                     {"WAYLAND_DISPLAY", std::nullopt}});
  std::filesystem::create_directories(dir / "app");
  std::filesystem::create_directories(dir / "tool");
  ChildProcess app(ORVO_SETTINGS, {}, env, dir / "app");
  ASSERT_TRUE(app.started());
  const auto socket = runtime / (std::string(settings::kAppId) + ".actions.sock");
  for (int i = 0; i < 6000 && !std::filesystem::exists(socket); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(socket)) << app.err();
  const auto invoke = [&](const char* action) {
    ChildProcess tool(ORVO_SETTINGS_ACTIONS, {"invoke", "settings.section:external_accounts", action}, env, dir / "tool");
    const auto status = tool.wait();
    return std::pair(status, tool.err());
  };
  for (const char* action : {"add-webdav", "cancel-form", "add-mail", "save-form", "cancel-form",
                             "save-reauthentication", "cancel-reauthentication"}) {
    const auto [status, err] = invoke(action);
    EXPECT_EQ(status, 0) << action << ": " << err;
  }
  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();
  std::filesystem::remove_all(dir);
}

}  // namespace
