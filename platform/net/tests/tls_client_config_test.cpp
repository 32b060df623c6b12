#include "orvo_net/tls_client_config.h"

#include <gtest/gtest.h>

#include "orvo_net_test/test_ca.h"

namespace {

using orvo_net::ServerName;

TEST(TlsClientConfig, NeedsAtLeastOneRootCertificate) {
  EXPECT_FALSE(orvo_net::client_config_with_roots(orvo_net::TrustedRoots{}));
  EXPECT_FALSE(orvo_net::client_config_with_roots(orvo_net::TrustedRoots::from_pem("not a certificate")));
  EXPECT_FALSE(orvo_net::client_config_with_roots(orvo_net::roots_from_file("/nonexistent/bundle.pem")));

  const orvo_net_test::TestCa ca;
  const auto config = orvo_net::client_config_with_roots(
      orvo_net::TrustedRoots::from_pem("comment before\n" + ca.certificate_pem() + "comment after\n"));
  ASSERT_TRUE(config) << config.error().text;
  EXPECT_NE(config->native_handle(), nullptr);
}

TEST(TlsClientConfig, SystemRootsFollowSslCertFile) {
  const orvo_net_test::TestCa ca;
  const std::string path = ::testing::TempDir() + "/roots.pem";
  {
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(ca.certificate_pem().c_str(), file);
    std::fclose(file);
  }
  ::setenv("SSL_CERT_FILE", path.c_str(), 1);
  const orvo_net::TrustedRoots roots = orvo_net::system_roots();
  ::unsetenv("SSL_CERT_FILE");
  EXPECT_EQ(roots.pem(), ca.certificate_pem());
}

struct NameCase {
  const char* host;
  bool valid;
  ServerName::Kind kind;
};

TEST(ServerName, AcceptsDnsNamesAndAddressLiteralsOnly) {
  const NameCase cases[] = {
      {"imap.example.org", true, ServerName::Kind::Dns},
      {"imap.example.org.", true, ServerName::Kind::Dns},
      {"mail_1.example", true, ServerName::Kind::Dns},
      {"localhost", true, ServerName::Kind::Dns},
      {"127.0.0.1", true, ServerName::Kind::IpAddress},
      {"::1", true, ServerName::Kind::IpAddress},
      {"2001:db8::1", true, ServerName::Kind::IpAddress},
      {"[2001:db8::1]", false, {}},
      {"", false, {}},
      {"bad host", false, {}},
      {"-lead.example", false, {}},
      {"trail-.example", false, {}},
      {"a..b", false, {}},
      {"[imap.example.org]", false, {}},
      {"host/path", false, {}},
      {"ex\xc3\xa4mple.org", false, {}},
  };
  for (const auto& c : cases) {
    const auto name = ServerName::parse(c.host);
    EXPECT_EQ(name.has_value(), c.valid) << c.host;
    if (name && c.valid) {
      EXPECT_EQ(name->kind(), c.kind) << c.host;
    }
  }
  EXPECT_FALSE(ServerName::parse(std::string(64, 'a') + ".example"));
  EXPECT_TRUE(ServerName::parse(std::string(63, 'a') + ".example"));
}

}  // namespace
