// The pane with the real server check against a WebDAV server on 127.0.0.1 with a throw-away CA.
#include <gtest/gtest.h>

#include "orvo_net_test/test_server.h"
#include "pane_fixture.h"
#include "probe_test_support.h"

namespace accounts_pane_test {
namespace {

using orvo_net_test::TestConnection;
using orvo_net_test::TestServer;
using settings::accounts::AccountKind;
namespace key = settings::panes::accounts::key;

struct RealCheckCase {
  std::string name;
  std::string reply;
  bool saved;
  std::string message;
  friend void PrintTo(const RealCheckCase& c, std::ostream* os) { *os << c.name; }
};

class RealCheck : public AccountsPaneTest, public ::testing::WithParamInterface<RealCheckCase> {};

TEST_P(RealCheck, DecidesWhetherTheAccountIsSaved) {
  orvo_net_test::TestCa ca;
  const std::string reply = GetParam().reply;
  TestServer server(ca.issue({"localhost"}, {"127.0.0.1"}), [reply](TestConnection& connection) {
    while (connection.read_http_request()) connection.write(reply);
  });
  const auto environment = account_probe_test::environment_trusting(ca);
  using Fn = std::function<AccountCheckOutcome(const ::accounts::Account&, const orvo_secret::SecretString&)>;
  auto check = std::make_shared<const Fn>([environment](const ::accounts::Account& account,
                                                        const orvo_secret::SecretString& password) {
    return settings::account_probe::check_account_servers(account, password, environment);
  });
  auto pane = std::make_unique<AccountsPane>(
      AccountsPane::load(over_).with_accounts_request(harness_.app().accounts_request()).with_account_check(check));

  press(*pane, key::add(AccountKind::WebDav));
  pass(*pane);
  fill_webdav(*pane);
  pane->form().server_url.publish("https://localhost:" + std::to_string(server.port()) + "/remote.php/dav/");
  press(*pane, key::kFormSave);
  pass(*pane);
  pass_until_answered(*pane);
  server.stop();

  const auto rows = settings::accounts::account_rows(pane->lists(), AccountKind::WebDav);
  EXPECT_EQ(rows.size(), GetParam().saved ? 1u : 0u);
  EXPECT_EQ(pane->form().is_open(), !GetParam().saved);
  EXPECT_EQ(pane->form().message.value_or(""), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    WebDav, RealCheck,
    ::testing::Values(
        RealCheckCase{"MultiStatus",
                      "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 9\r\n\r\n<x>ok</x>",
                      true, ""},
        RealCheckCase{"Unauthorized", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", false,
                      "server rejected the saved credential"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace accounts_pane_test
