// What the check decides before it touches the network: the account type, the settings it reads
// and the order in which it refuses them.
#include "account_probe/account_check.h"

#include <gtest/gtest.h>

#include <atomic>

#include "probe_test_support.h"

namespace {

using namespace account_probe_test;
using nlohmann::ordered_json;
using settings::account_probe::AccountCheckOutcome;
using settings::account_probe::check_account_servers;
using Secret = orvo_secret::SecretString;

class AccountCheckValidation : public ::testing::Test {
 protected:
  AccountCheckValidation() {
    environment_ = environment_trusting(ca_);
    environment_.resolve = resolver_.answering(std::unexpected(std::string("no network in this test")));
    auto base = environment_.trusted_roots;
    environment_.trusted_roots = [base, loads = roots_loaded_] {
      ++*loads;
      return base();
    };
  }

  AccountCheckOutcome check(const std::string& type, ordered_json config, const char* password = "secret") {
    return check_account_servers(account(type, std::move(config)), Secret(password), environment_);
  }

  orvo_net_test::TestCa ca_;
  RecordingResolver resolver_;
  std::shared_ptr<std::atomic<int>> roots_loaded_ = std::make_shared<std::atomic<int>>(0);
  CheckEnvironment environment_;
};

const ordered_json kMail = {{"imap_host", "imap.example.org"}, {"imap_port", 993}, {"username", "ada"}};

ordered_json with(ordered_json config, const std::string& key, ordered_json value) {
  config[key] = std::move(value);
  return config;
}

ordered_json without(ordered_json config, const std::string& key) {
  config.erase(key);
  return config;
}

struct RefusalCase {
  const char* name;
  std::string type;
  ordered_json config;
  const char* password;
  const char* sentence;
};

TEST_F(AccountCheckValidation, RefusesBadSettingsWithoutTouchingTheNetwork) {
  const std::string https = "https://dav.example.org/remote.php/dav/";
  const RefusalCase cases[] = {
      {"unknown type", "smtp", kMail, "pw", "unsupported account type"},
      {"empty type", "", kMail, "pw", "unsupported account type"},
      {"type compared exactly", "Email", kMail, "pw", "unsupported account type"},
      {"no host", "email", without(kMail, "imap_host"), "pw", "account has no IMAP server"},
      {"blank host", "email", with(kMail, "imap_host", " \t\u00a0"), "pw", "account has no IMAP server"},
      {"host of another type", "email", with(kMail, "imap_host", 7), "pw", "account has no IMAP server"},
      {"config not an object", "email", ordered_json::array({"imap.example.org"}), "pw", "account has no IMAP server"},
      {"host before password", "email", without(kMail, "imap_host"), "", "account has no IMAP server"},
      {"no login", "email", without(kMail, "username"), "pw", "account has no IMAP login name"},
      {"blank login, no address", "email", with(kMail, "username", "  "), "pw", "account has no IMAP login name"},
      {"blank login, blank address", "email", with(with(kMail, "username", ""), "email", " "), "pw",
       "account has no IMAP login name"},
      {"no password", "email", kMail, "", "account has no saved password"},
      {"tab inside the password", "email", kMail, "pass\tword", "login contains unsupported control characters"},
      {"line feed inside the login", "email", with(kMail, "username", "ada\nx"), "pw",
       "login contains unsupported control characters"},
      {"C1 control in the login", "email", with(kMail, "username", "ada\u0085x"), "pw",
       "login contains unsupported control characters"},
      {"DEL in the password", "email", kMail, "pw\x7fx", "login contains unsupported control characters"},
      {"host with a space", "email", with(kMail, "imap_host", "imap example"), "pw", "invalid IMAP server name"},
      {"host with a path", "email", with(kMail, "imap_host", "imap.example.org/x"), "pw", "invalid IMAP server name"},
      {"caldav reads server_url", "caldav", {{"base_url", https}, {"username", "ada"}}, "pw", "account has no server URL"},
      {"webdav reads base_url", "webdav", {{"server_url", https}, {"username", "ada"}}, "pw", "account has no server URL"},
      {"url of another type", "nextcloud", {{"server_url", 5}, {"username", "ada"}}, "pw", "account has no server URL"},
      {"not a URL", "webdav", {{"base_url", "dav.example.org/files"}, {"username", "ada"}}, "pw",
       "account has an invalid server URL"},
      {"URL without host", "webdav", {{"base_url", "https:///files"}, {"username", "ada"}}, "pw",
       "account has an invalid server URL"},
      {"plain HTTP", "webdav", {{"base_url", "http://dav.example.org/"}, {"username", "ada"}}, "pw",
       "refusing to send a credential without HTTPS"},
      {"other scheme", "nextcloud", {{"server_url", "ftp://dav.example.org/"}, {"username", "ada"}}, "pw",
       "refusing to send a credential without HTTPS"},
      {"user in URL", "webdav", {{"base_url", "https://ada@dav.example.org/"}, {"username", "ada"}}, "pw",
       "server URL must not contain credentials"},
      {"password in URL", "caldav", {{"server_url", "https://:pw@dav.example.org/"}, {"username", "ada"}}, "pw",
       "server URL must not contain credentials"},
      {"no username", "nextcloud", {{"server_url", https}}, "pw", "account has no username"},
      {"username of another type", "caldav", {{"server_url", https}, {"username", 1}}, "pw", "account has no username"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(check(c.type, c.config, c.password), AccountCheckOutcome::failure(c.sentence)) << c.name;
  }
  EXPECT_TRUE(resolver_.queries().empty());
}

TEST_F(AccountCheckValidation, MailTakesTheRootsFirstAndDavOnlyWhenItConnects) {
  check("email", without(kMail, "imap_host"));
  EXPECT_EQ(*roots_loaded_, 1);
  check("webdav", {{"base_url", "http://dav.example.org/"}, {"username", "ada"}});
  EXPECT_EQ(*roots_loaded_, 1);
}

TEST_F(AccountCheckValidation, MailWithoutUsableRootsCannotStart) {
  environment_.trusted_roots = [] { return orvo_net::TrustedRoots::from_pem("no certificates here"); };
  EXPECT_EQ(check("email", kMail), AccountCheckOutcome::failure("could not initialize secure protocol versions"));
}

struct PortCase {
  ordered_json port;
  std::uint16_t expected;
};

TEST_F(AccountCheckValidation, PortFallsBackTo993AndHostIsTrimmed) {
  const PortCase cases[] = {{70000, 993}, {-1, 993},  {2.5, 993}, {"993", 993}, {nullptr, 993},
                            {0, 0},       {143, 143}, {65535, 65535}};
  for (const auto& c : cases) {
    check("email", with(with(kMail, "imap_port", c.port), "imap_host", "\u3000 imap.example.org\n"));
  }
  check("email", without(kMail, "imap_port"));
  const auto queries = resolver_.queries();
  ASSERT_EQ(queries.size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(queries[i], std::make_pair(std::string("imap.example.org"), cases[i].expected)) << cases[i].port;
  }
  EXPECT_EQ(queries.back().second, 993);
}

TEST_F(AccountCheckValidation, TheSharedHandleRunsTheSameCheck) {
  const settings::account_probe::AccountCheck handle = settings::account_probe::shared_account_check();
  ASSERT_TRUE(handle);
  EXPECT_EQ((*handle)(account("smtp", kMail), Secret("pw")), AccountCheckOutcome::failure("unsupported account type"));
}

TEST(AccountCheckText, TrimsUnicodeWhiteSpaceOnly) {
  using settings::account_probe::trim_unicode_whitespace;
  EXPECT_EQ(trim_unicode_whitespace(" \t\r\n\v\f ada \n"), "ada");
  EXPECT_EQ(trim_unicode_whitespace("\u00a0\u2003ada\u3000\u2029"), "ada");
  EXPECT_EQ(trim_unicode_whitespace("\u0085ada\u0085"), "ada");
  EXPECT_EQ(trim_unicode_whitespace("a d a"), "a d a");
  EXPECT_EQ(trim_unicode_whitespace("\x1f" "ada"), "\x1f" "ada");  // a control, not white space
  EXPECT_EQ(trim_unicode_whitespace("ad\xc3\xa4"), "ad\xc3\xa4");
  EXPECT_EQ(trim_unicode_whitespace("ada\xe3\x80"), "ada\xe3\x80");  // a cut sequence stays
  EXPECT_EQ(trim_unicode_whitespace(" \u00a0 "), "");
}

TEST(AccountCheckText, RefusesC0DelAndC1Controls) {
  using settings::account_probe::is_free_of_control_characters;
  EXPECT_TRUE(is_free_of_control_characters("p@ss w\xc3\xb6rd \xe2\x82\xac ~"));
  EXPECT_TRUE(is_free_of_control_characters("\xc2\xa0"));  // U+00A0 is just past the C1 block
  for (const char* bad : {"a\x01", "\t", "a\rb", "\x1f", "\x7f", "x\xc2\x80", "\xc2\x9f"}) {
    EXPECT_FALSE(is_free_of_control_characters(bad)) << ::testing::PrintToString(std::string(bad));
  }
  EXPECT_FALSE(is_free_of_control_characters(std::string("a\0b", 3)));
}

}  // namespace
