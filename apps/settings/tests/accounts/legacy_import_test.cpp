#include "accounts/legacy_import.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <nlohmann/json.hpp>

#include "accounts_fixture.h"
#include "orvo_log/log.h"

namespace {

using namespace settings::accounts;
using accounts_test::AccountsRoot;
using accounts_test::file_bytes;
using accounts_test::write_file;

constexpr const char* kLegacyWebdav =
    R"({"version":1,"accounts":[{"id":"w1","label":"Old files","base_url":"https://old","username":"o"},)"
    R"({"id":"w2","label":"Files","base_url":"https://files.example.org/dav/","username":"u","enabled":false,"tint":4}]})";
constexpr const char* kLegacyNextcloud =
    R"({"accounts":[{"id":"n1","label":"Cloud","server_url":"https://cloud.example.org","username":"c","use_mail":false}]})";

class LegacyImport : public AccountsRoot {
 protected:
  std::filesystem::path marker() const { return accounts_dir() / "legacy-settings-import-v1"; }
  void write_legacy() {
    write_file(root_ / "files" / "accounts.json", kLegacyWebdav);
    write_file(root_ / "nextcloud" / "accounts.json", kLegacyNextcloud);
  }
};

TEST_F(LegacyImport, ImportsOnceKeepingStoredAccounts) {
  ::accounts::AccountStore store;
  store.upsert(accounts_test::account("w1", "webdav", "Stored files"));
  ASSERT_TRUE(save_account_store(over_, store).has_value());
  write_legacy();

  AccountLists lists = import_legacy_settings(over_);
  EXPECT_EQ(file_bytes(marker()).value(), std::optional<std::string>("imported\n"));
  auto saved = *load_account_store_strict(over_);
  ASSERT_EQ(saved.accounts.size(), 3u);
  EXPECT_EQ(saved.get("w1")->display_name, "Stored files");
  const auto* w2 = saved.get("w2");
  ASSERT_NE(w2, nullptr);
  EXPECT_EQ(w2->type_id, "webdav");
  EXPECT_FALSE(w2->enabled);
  EXPECT_EQ(w2->tint, 4);
  EXPECT_EQ(orvo_json::value_text(w2->config),
            R"({"id":"w2","label":"Files","base_url":"https://files.example.org/dav/","username":"u","enabled":false,"tint":4})");
  EXPECT_EQ(saved.get("n1")->type_id, "nextcloud");

  // w1's stored config is null, so it does not decode as a WebDAV record and is not listed.
  ASSERT_EQ(lists.webdav.accounts.size(), 1u);
  EXPECT_EQ(lists.webdav.accounts[0].id, "w2");
  EXPECT_EQ(account_rows(lists, AccountKind::WebDav).at(0).detail, "WebDAV · files.example.org/dav");
  EXPECT_EQ(account_rows(lists, AccountKind::Nextcloud).at(0).detail, "cloud.example.org · Calendar, Files");

  // With the marker in place the older files are never read again.
  write_file(root_ / "files" / "accounts.json",
             R"({"accounts":[{"id":"w3","label":"New","base_url":"https://n","username":"n"}]})");
  import_legacy_settings(over_);
  EXPECT_EQ(load_account_store_strict(over_)->get("w3"), nullptr);
}

TEST_F(LegacyImport, FailedSaveLeavesNoMarkerAndIsRetried) {
  write_legacy();
  AccountLists first;
  {
    // Writes past a few bytes fail (EFBIG) while reads go on working.
    orvo_log::CaptureScope logs;
    const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    first = import_legacy_settings(over_);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(logs.count("could not persist imported legacy accounts"), 1u);
  }
  EXPECT_FALSE(std::filesystem::exists(marker()));
  EXPECT_EQ(first.webdav.accounts.size(), 2u);  // built from the store in memory

  AccountLists second = import_legacy_settings(over_);
  EXPECT_TRUE(std::filesystem::exists(marker()));
  EXPECT_EQ(load_account_store_strict(over_)->accounts.size(), 3u);
  EXPECT_EQ(second, first);
}

TEST_F(LegacyImport, DamagedStoreIsNeverOverwrittenByTheImport) {
  write_legacy();
  write_file(metadata(), "[damaged");
  AccountLists lists = import_legacy_settings(over_);
  EXPECT_TRUE(account_lists_empty(lists));
  EXPECT_EQ(file_bytes(metadata()).value(), std::optional<std::string>("[damaged"));
  EXPECT_FALSE(std::filesystem::exists(marker()));
}

TEST(LegacyStores, UnreadableFilesAreEmptyVersionZero) {
  EXPECT_EQ(read_legacy_dav_store(std::nullopt), (DavStore{0, {}}));
  EXPECT_EQ(read_legacy_dav_store("/nonexistent/files/accounts.json"), (DavStore{0, {}}));
  EXPECT_EQ(read_legacy_nextcloud_store("/proc/self"), (NextcloudStore{0, {}}));
}

TEST(AccountListsFromStore, BuildsEachKindsRecordsAndRows) {
  ::accounts::AccountStore store;
  auto mail = accounts_test::account("m1", "email", "ignored");
  mail.config = orvo_json::parse_value(
      R"({"display_name":"","email":"ada@example.org","imap_host":"imap.example.org","imap_port":993,"imap_tls":true,)"
      R"("smtp_host":"smtp.example.org","smtp_port":465,"smtp_tls":true,"username":"ada","extra":1})");
  mail.tint = 2;
  auto broken_mail = mail;
  broken_mail.id = "m2";
  broken_mail.config.erase("smtp_port");
  store.upsert(broken_mail);
  store.upsert(mail);
  auto second_mail = mail;
  second_mail.id = "m3";
  store.upsert(second_mail);
  store.active["email"] = "m3";
  store.upsert(accounts_test::account("c1", "caldav", "Calendar"));
  auto cloud = accounts_test::account("n1", "nextcloud", "Cloud");
  cloud.config = orvo_json::parse_value(
      R"({"id":"other","label":"x","server_url":"http://c.example.org//","username":"u","use_files":false,"use_calendar":false,"use_mail":false})");
  store.upsert(cloud);

  AccountLists lists = account_lists_from_store(store);
  ASSERT_EQ(lists.mail.accounts.size(), 2u);
  EXPECT_EQ(lists.mail.selected, 1u);
  store.active["email"] = "m2";  // not listed: its config does not decode
  EXPECT_EQ(account_lists_from_store(store).mail.selected, 0u);
  EXPECT_EQ(lists.caldav.accounts.at(0), (DavAccount{"c1", "Calendar", "", "", true, 0, ""}));
  EXPECT_EQ(lists.caldav.version, 1u);
  EXPECT_EQ(lists.nextcloud.accounts.at(0).id, "n1");

  EXPECT_EQ(account_rows(lists, AccountKind::Email).at(0),
            (AccountRow{"m1", "ada@example.org", "ada@example.org · imap.example.org:993", true, AccountKind::Email, 2}));
  EXPECT_EQ(account_rows(lists, AccountKind::CalDav).at(0).detail, "CalDAV · ");
  EXPECT_EQ(account_rows(lists, AccountKind::Nextcloud).at(0).detail, "c.example.org · ");
  EXPECT_EQ(find_account_row(lists, "n1")->kind, AccountKind::Nextcloud);
  EXPECT_EQ(find_account_row(lists, "m2"), std::nullopt);
  EXPECT_FALSE(account_lists_empty(lists));
}

TEST(AccountRowTexts, ServerUrlsAndMailTitles) {
  EXPECT_EQ(display_server_url("https://https://cloud.example.org/remote//"), "cloud.example.org/remote");
  EXPECT_EQ(display_server_url("http://http://host/"), "host");
  EXPECT_EQ(display_server_url("https://http://host"), "host");
  EXPECT_EQ(display_server_url("http://https://host"), "https://host");
  MailAccountEntry entry;
  EXPECT_EQ(mail_account_title(entry), "New account");
  entry.config.email = "a@b";
  EXPECT_EQ(mail_account_title(entry), "a@b");
  entry.config.display_name = "Work";
  EXPECT_EQ(mail_account_title(entry), "Work");
}

TEST(LegacyImportWithoutRoot, NothingIsImported) {
  accounts_test::NoConfigDir none;
  EXPECT_TRUE(account_lists_empty(import_legacy_settings(std::nullopt)));
}

}  // namespace
