#include <gtest/gtest.h>

#include "accounts/account_kind.h"
#include "accounts/account_records.h"
#include "accounts/mutation_journal.h"

namespace {

using namespace settings::accounts;

constexpr const char* kConfig =
    R"({"display_name":"Ada","email":"ada@example.org","imap_host":"imap.example.org","imap_port":993,"imap_tls":true,)"
    R"("smtp_host":"smtp.example.org","smtp_port":465,"smtp_tls":true,"username":"ada"})";

TEST(AccountRecords, MailConfigRoundTripsAndNeedsAllNineKeys) {
  auto config = orvo_json::decode<AccountConfig>(kConfig);
  ASSERT_TRUE(config.has_value()) << config.error().text();
  EXPECT_EQ(config->imap_port, 993);
  config->unstored = "never written";
  EXPECT_EQ(orvo_json::encode(*config), kConfig);

  const char* keys[] = {"display_name", "email",     "imap_host", "imap_port", "imap_tls",
                        "smtp_host",    "smtp_port", "smtp_tls",  "username"};
  for (const char* key : keys) {
    auto value = orvo_json::parse_value(kConfig);
    value.erase(key);
    auto decoded = orvo_json::decode_value<AccountConfig>(value);
    ASSERT_FALSE(decoded.has_value()) << key;
    EXPECT_EQ(decoded.error().reason, std::string("missing field `") + key + "`");
  }
}

TEST(AccountRecords, DavAndNextcloudDefaults) {
  auto dav = orvo_json::decode<DavStore>(R"({"accounts":[{"id":"w","label":"Files","base_url":"https://x","username":"u"}]})");
  ASSERT_TRUE(dav.has_value()) << dav.error().text();
  EXPECT_EQ(dav->version, 1u);
  EXPECT_EQ(dav->accounts.at(0), (DavAccount{"w", "Files", "https://x", "u", true, 0, ""}));
  EXPECT_EQ(orvo_json::encode(dav->accounts[0]),
            R"({"id":"w","label":"Files","base_url":"https://x","username":"u","enabled":true,"tint":0})");

  auto cloud = orvo_json::decode<NextcloudAccount>(R"({"id":"n","label":"N","server_url":"s","username":"u"})");
  ASSERT_TRUE(cloud.has_value());
  EXPECT_TRUE(cloud->use_files && cloud->use_calendar && cloud->use_mail && cloud->enabled);
}

TEST(AccountRecords, ShortArrayFormsNameTheRecordAndItsLength) {
  struct Case {
    std::string reason;
    std::string expected;
  };
  const Case cases[] = {
      {orvo_json::decode<AccountConfig>("[]").error().reason,
       "invalid length 0, expected struct AccountConfig with 9 elements"},
      {orvo_json::decode<DavAccount>(R"(["a","b","c"])").error().reason,
       "invalid length 3, expected struct DavAccount with 6 elements"},
      {orvo_json::decode<NextcloudAccount>(R"(["a"])").error().reason,
       "invalid length 1, expected struct NextcloudAccount with 9 elements"},
      {orvo_json::decode<DavStore>("[1]").error().reason, "invalid length 1, expected struct DavStore with 2 elements"},
      {orvo_json::decode<NextcloudStore>("[]").error().reason,
       "invalid length 0, expected struct NextcloudStore with 2 elements"},
      {orvo_json::decode<AccountMutationJournal>(R"([{}])").error().reason,
       "invalid length 1, expected struct AccountMutationJournal with 3 elements"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.reason, c.expected);
}

TEST(AccountRecords, JournalShape) {
  EXPECT_EQ(orvo_json::encode(AccountMutationJournal{}),
            R"({"previous_store":{"accounts":[],"active":{}},"previous_statuses":{"statuses":{}},"previous_vault_ciphertext":null})");
  auto journal = orvo_json::decode<AccountMutationJournal>(
      R"({"previous_statuses":{},"previous_store":{},"previous_vault_ciphertext":[0,255,7],"extra":1})");
  ASSERT_TRUE(journal.has_value()) << journal.error().text();
  EXPECT_EQ(journal->previous_vault_ciphertext, (std::vector<std::uint8_t>{0, 255, 7}));
  auto without_vault = orvo_json::decode<AccountMutationJournal>(R"({"previous_statuses":{},"previous_store":{}})");
  ASSERT_TRUE(without_vault.has_value());
  EXPECT_FALSE(without_vault->previous_vault_ciphertext.has_value());
  auto out_of_range = orvo_json::decode<AccountMutationJournal>(
      R"({"previous_statuses":{},"previous_store":{},"previous_vault_ciphertext":[256]})");
  EXPECT_FALSE(out_of_range.has_value());
}

TEST(AccountKinds, NamesOfEachKind) {
  EXPECT_EQ(type_id(AccountKind::Email), "email");
  EXPECT_EQ(id_prefix(AccountKind::Email), "mail");
  EXPECT_EQ(label(AccountKind::CalDav), "Calendar (CalDAV)");
  EXPECT_EQ(id_prefix(AccountKind::Nextcloud), "nextcloud");
  EXPECT_EQ(label(AccountKind::WebDav), "Files (WebDAV)");
  EXPECT_EQ(kind_from_index(4), std::nullopt);
}

}  // namespace
