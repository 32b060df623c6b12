// The whole application started offscreen: an account's "test" action invoked from another program
// through the outside door signs in to a local IMAP server and reports the check's sentence.
#include <gtest/gtest.h>

#include <fstream>

#include "accounts/paths.h"
#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "child_process.h"
#include "entry.h"
#include "orvo_net_test/test_ca.h"
#include "orvo_net_test/test_server.h"

namespace settings::settings_app {
namespace {

using door_tests::ChildProcess;
using door_tests::environment_with;
using orvo_net_test::TestConnection;
using orvo_net_test::TestServer;

// Greets, accepts the LOGIN of "ada" with the saved password, then says goodbye.
TestServer::Handler imap_server(std::shared_ptr<std::vector<std::string>> lines) {
  return [lines](TestConnection& connection) {
    connection.write("* OK [CAPABILITY IMAP4rev1] ready\r\n");
    const auto login = connection.read_line();
    if (!login) return;
    lines->push_back(*login);
    connection.write(login->starts_with(R"(A1 LOGIN "ada" "mail secret")") ? "A1 OK LOGIN completed\r\n"
                                                                              : "A1 NO wrong password\r\n");
    if (const auto logout = connection.read_line()) connection.write("* BYE\r\nA2 OK LOGOUT completed\r\n");
  };
}

class AccountTestEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-intake-e2e-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(runtime());
    std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
    std::ofstream(dir_ / "ca.pem") << ca_.certificate_pem();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path runtime() const { return dir_ / "runtime"; }
  std::filesystem::path config() const { return dir_ / "config"; }
  std::filesystem::path accounts_root() const { return config() / "orvo"; }

  // One mail account "m1" signing in as "ada" at 127.0.0.1:port, with its password in the vault.
  void store_account(std::uint16_t port) {
    ::accounts::AccountStore store;
    auto account = ::accounts::Account::make("m1", "email");
    account.display_name = "Work mail";
    account.config = {{"imap_host", "127.0.0.1"}, {"imap_port", port}, {"username", "ada"}};
    store.upsert(account);
    ASSERT_TRUE(settings::accounts::save_account_store(accounts_root(), store).has_value());
    auto vault = ::accounts::vault::SecretVault::open_in(accounts_root());
    vault.put("m1", {orvo_secret::SecretString("mail secret"), std::nullopt});
    ASSERT_TRUE(vault.try_save().has_value());
  }

  std::vector<std::string> environment() const {
    return environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                             {"XDG_RUNTIME_DIR", runtime().native()},
                             {"XDG_CONFIG_HOME", config().native()},
                             {"HOME", dir_.native()},
                             {"XDG_STATE_HOME", (dir_ / "state").native()},
                             {"SSL_CERT_FILE", (dir_ / "ca.pem").native()},
                             {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"},
                             {"ORVO_UI_SCRIPT", std::nullopt},
                             {"DISPLAY", std::nullopt},
                             {"WAYLAND_DISPLAY", std::nullopt}});
  }

  ::accounts::vault::LocalKeyOnly local_key_only_;
  orvo_net_test::TestCa ca_;
  std::filesystem::path dir_;
};

TEST_F(AccountTestEndToEnd, TestFromOutsideCompletesWithTheChecksSentence) {
  auto lines = std::make_shared<std::vector<std::string>>();
  TestServer server(ca_.issue({"localhost"}, {"127.0.0.1"}), imap_server(lines));
  store_account(server.port());

  std::filesystem::create_directories(dir_ / "app");
  ChildProcess app(ORVO_SETTINGS, {}, environment(), dir_ / "app");
  ASSERT_TRUE(app.started());

  const auto socket = runtime() / (std::string(kAppId) + ".actions.sock");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(app.wait({}, std::chrono::milliseconds(0))) << "the application ended early: " << app.err();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(socket)) << app.err();

  std::filesystem::create_directories(dir_ / "tool");
  ChildProcess tool(ORVO_SETTINGS_ACTIONS, {"invoke", "settings.account:m1", "test"}, environment(), dir_ / "tool");
  const std::optional<int> status = tool.wait();
  const std::string out = tool.out();
  const std::string err = tool.err();
  server.stop();
  app.signal(SIGTERM);
  EXPECT_EQ(app.wait(), 0) << app.err();

  EXPECT_EQ(status, 0) << out << err;
  EXPECT_NE(out.find("IMAP sign-in succeeded"), std::string::npos) << out << err;
  ASSERT_FALSE(lines->empty());
  EXPECT_TRUE(lines->front().starts_with("A1 LOGIN")) << lines->front();
}

}  // namespace
}  // namespace settings::settings_app
