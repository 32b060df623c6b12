// The application started offscreen with no system bus, driven from outside through the developer
// tool: a typed account change ends promptly with the account service's absence as its reason.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>

#include "../../door/offscreen_app.h"
#include "orvo_testing/scoped_env.h"
#include "catalogues/queries/local_users.h"

namespace settings::panes::users {
namespace {

using door_tests::OffscreenApp;
using door_tests::ToolRun;
using orvo_testing::ScopedEnv;

TEST(UsersEndToEnd, AnAccountChangeWithoutTheAccountServiceEndsPromptly) {
  // The application lists this machine's own accounts; the change must never reach them, and with
  // no system bus it cannot.
  const char* user = ::getenv("USER");
  const auto accounts = read_local_users("/etc", user ? std::optional<std::string>(user) : std::nullopt);
  const auto listed = std::find_if(accounts.begin(), accounts.end(), [](const LocalUser& u) { return !u.signed_in; });
  if (listed == accounts.end()) GTEST_SKIP() << "this machine has no regular account besides the signed-in one";

  ScopedEnv no_bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvo-no-system-bus");
  OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto started = std::chrono::steady_clock::now();
  ToolRun run = app.tool({"--timeout", "20", "invoke", "settings.user:" + listed->username, "set-autologin"});
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("Could not reach the account service"), std::string::npos) << run.err;
  EXPECT_LT(took, std::chrono::seconds(10)) << "ends promptly, not when the caller gives up";

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::users
