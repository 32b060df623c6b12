#include "panes/accounts/mail_presets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using settings::accounts::AccountConfig;
using settings::panes::accounts::apply_mail_provider_preset;
using settings::panes::accounts::mail_provider_presets;

AccountConfig config_for(std::string email) {
  AccountConfig config;
  config.email = std::move(email);
  config.imap_port = 993;
  config.imap_tls = true;
  config.smtp_port = 465;
  config.smtp_tls = true;
  return config;
}

TEST(MailPresets, EightDistinctLowerCaseDomainsInFourProviders) {
  const auto presets = mail_provider_presets();
  ASSERT_EQ(presets.size(), 4u);
  std::set<std::string> domains;
  const std::size_t expected_counts[] = {2, 3, 1, 2};
  for (std::size_t i = 0; i < presets.size(); ++i) {
    EXPECT_EQ(presets[i].domains.size(), expected_counts[i]);
    EXPECT_FALSE(presets[i].imap_host.empty());
    EXPECT_FALSE(presets[i].smtp_host.empty());
    for (const auto domain : presets[i].domains) {
      EXPECT_EQ(std::string(domain), [&] {
        std::string lower(domain);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower;
      }());
      domains.emplace(domain);
    }
  }
  EXPECT_EQ(domains.size(), 8u);
}

TEST(MailPresets, EveryDomainMatchesInAnyLetterCase) {
  for (const auto& preset : mail_provider_presets()) {
    for (const auto domain : preset.domains) {
      std::string upper(domain);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      auto config = config_for("Ada@" + upper);
      EXPECT_TRUE(apply_mail_provider_preset(config)) << domain;
      EXPECT_EQ(config.imap_host, preset.imap_host) << domain;
      EXPECT_EQ(config.smtp_host, preset.smtp_host) << domain;
      EXPECT_EQ(config.username, "Ada@" + upper);
      EXPECT_EQ(config.display_name, "Ada");
      EXPECT_EQ(config.imap_port, 993);
      EXPECT_EQ(config.smtp_port, 465);
      EXPECT_TRUE(config.imap_tls && config.smtp_tls);
    }
  }
}

TEST(MailPresets, OtherDomainsGetHostsFromTheDomainAsTyped) {
  auto config = config_for("ada@Mail.Example.ORG");
  config.username = "ada.l";
  config.display_name = "Ada Lovelace";
  config.imap_port = 143;
  config.smtp_tls = false;
  EXPECT_FALSE(apply_mail_provider_preset(config));
  EXPECT_EQ(config.imap_host, "imap.Mail.Example.ORG");
  EXPECT_EQ(config.smtp_host, "smtp.Mail.Example.ORG");
  EXPECT_EQ(config.username, "ada.l");
  EXPECT_EQ(config.display_name, "Ada Lovelace");
  EXPECT_EQ(config.imap_port, 143);  // ports and TLS flags are never changed here
  EXPECT_FALSE(config.smtp_tls);

  // Split at the first "@"; a look-alike of a preset domain is no match.
  auto split = config_for("a@gmail.com@evil.example");
  EXPECT_FALSE(apply_mail_provider_preset(split));
  EXPECT_EQ(split.imap_host, "imap.gmail.com@evil.example");
  EXPECT_EQ(split.display_name, "a");
  auto suffix = config_for("a@notgmail.com");
  EXPECT_FALSE(apply_mail_provider_preset(suffix));
  EXPECT_EQ(suffix.imap_host, "imap.notgmail.com");
}

TEST(MailPresets, AnAddressWithoutAtChangesNothing) {
  auto config = config_for("ada.example.org");
  const AccountConfig before = config;
  EXPECT_FALSE(apply_mail_provider_preset(config));
  EXPECT_EQ(config, before);
}

}  // namespace
