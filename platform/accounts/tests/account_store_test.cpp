#include "accounts/account_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "accounts/paths.h"
#include "accounts/sync_status.h"

namespace {

using accounts::Account;
using accounts::AccountStore;
using accounts::status::AccountSyncHealth;
using accounts::status::AccountSyncStatus;
using accounts::status::AccountSyncStatusStore;

class TempRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-accounts-XXXXXX";
    root_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path root_;
};

Account mail(std::string id) {
  Account a = Account::make(std::move(id), "email");
  a.display_name = "Work";
  a.config = nlohmann::ordered_json{{"email", "ada@example.org"}, {"imap_port", 993}, {"a", nullptr}};
  a.tint = 3;
  return a;
}

TEST(AccountRecord, WritesKeysInFieldOrderAndOwnerOnlyWhenPresent) {
  Account account = mail("m1");
  EXPECT_EQ(orvo_json::encode(account),
            R"({"id":"m1","type_id":"email","display_name":"Work","config":{"email":"ada@example.org","imap_port":993,"a":null},"enabled":true,"tint":3})");
  account.owner = "ada";
  const std::string with_owner = orvo_json::encode(account);
  EXPECT_TRUE(with_owner.ends_with(R"("tint":3,"owner":"ada"})")) << with_owner;
  auto back = orvo_json::decode<Account>(with_owner);
  ASSERT_TRUE(back.has_value()) << back.error().text();
  EXPECT_EQ(*back, account);
}

TEST(AccountRecord, MinimalObjectTakesTheDefaults) {
  auto account = orvo_json::decode<Account>(R"({"type_id":"caldav","id":"c1","unknown":[1,{"x":2}]})");
  ASSERT_TRUE(account.has_value()) << account.error().text();
  EXPECT_EQ(*account, Account::make("c1", "caldav"));
  EXPECT_TRUE(account->config.is_null());
  EXPECT_TRUE(account->enabled);
  EXPECT_EQ(account->tint, 0);
  EXPECT_FALSE(account->owner.has_value());
}

TEST(AccountRecord, RefusesWhatTheReaderRefuses) {
  struct Case {
    const char* json;
    const char* reason;
  };
  const Case cases[] = {
      {R"({"type_id":"email"})", "missing field `id`"},
      {R"({"id":"a","id":"b","type_id":"email"})", "duplicate field `id`"},
      {R"({"id":"a","type_id":"email","tint":256})", "invalid value: integer `256`, expected u8"},
      {R"({"id":"a","type_id":"email","enabled":"yes"})", "invalid type: string \"yes\", expected a boolean"},
      {R"(["a","email","",null,true,0])", "invalid length 6, expected struct Account with 7 elements"},
      {R"(["a","email","",null,true,0,null,1])", "trailing characters"},
  };
  for (const auto& c : cases) {
    auto result = orvo_json::decode<Account>(c.json);
    ASSERT_FALSE(result.has_value()) << c.json;
    EXPECT_EQ(result.error().reason, c.reason) << c.json;
  }
  auto array = orvo_json::decode<Account>(R"(["a","email","Mail",{"k":1},false,2,"ada"])");
  ASSERT_TRUE(array.has_value()) << array.error().text();
  EXPECT_EQ(array->owner, "ada");
  EXPECT_FALSE(array->enabled);
}

TEST(AccountStoreRecord, UpsertRemoveListAndActive) {
  AccountStore store;
  store.upsert(mail("m1"));
  store.upsert(Account::make("c1", "caldav"));
  store.upsert(mail("m2"));
  store.active["email"] = "m2";
  Account renamed = mail("m1");
  renamed.display_name = "Renamed";
  store.upsert(renamed);
  ASSERT_EQ(store.accounts.size(), 3u);
  EXPECT_EQ(store.accounts[0].display_name, "Renamed");
  EXPECT_EQ(store.list("email").size(), 2u);
  EXPECT_EQ(store.active_id("email"), "m2");
  EXPECT_TRUE(store.remove("m2"));
  EXPECT_FALSE(store.remove("m2"));
  EXPECT_EQ(store.active_id("email"), std::nullopt);
  EXPECT_EQ(store.get("c1")->type_id, "caldav");
  EXPECT_EQ(store.get("m2"), nullptr);

  EXPECT_EQ(orvo_json::encode(AccountStore{}), R"({"accounts":[],"active":{}})");
  auto empty = orvo_json::decode<AccountStore>("{}");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(*empty, AccountStore{});
  // Both fields have defaults, so a short array form reads too.
  auto short_array = orvo_json::decode<AccountStore>(R"([[{"id":"w","type_id":"webdav"}]])");
  ASSERT_TRUE(short_array.has_value());
  EXPECT_EQ(short_array->accounts.size(), 1u);
}

TEST(SyncStatusRecord, AbsentOptionalsAreWrittenAsNull) {
  AccountSyncStatusStore store;
  store.statuses["b"] = AccountSyncStatus{AccountSyncHealth::NeedsAuthentication, 10, std::nullopt, "sign in"};
  store.statuses["a"] = AccountSyncStatus{};
  const std::string text = orvo_json::encode(store);
  EXPECT_EQ(text,
            R"({"statuses":{"a":{"health":"never","last_attempt_unix":null,"last_success_unix":null,"message":null},)"
            R"("b":{"health":"needs_authentication","last_attempt_unix":10,"last_success_unix":null,"message":"sign in"}}})");
  auto back = orvo_json::decode<AccountSyncStatusStore>(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, store);

  auto minimal = orvo_json::decode<AccountSyncStatus>(R"({"health":"offline"})");
  ASSERT_TRUE(minimal.has_value());
  EXPECT_EQ(*minimal, (AccountSyncStatus{AccountSyncHealth::Offline, std::nullopt, std::nullopt, std::nullopt}));
  auto no_health = orvo_json::decode<AccountSyncStatus>(R"({"message":"x"})");
  ASSERT_FALSE(no_health.has_value());
  EXPECT_EQ(no_health.error().reason, "missing field `health`");
  auto too_short = orvo_json::decode<AccountSyncStatus>(R"(["never",1,2])");
  ASSERT_FALSE(too_short.has_value());
  EXPECT_EQ(too_short.error().reason, "invalid length 3, expected struct AccountSyncStatus with 4 elements");
}

mode_t mode_of(const std::filesystem::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST_F(TempRoot, StoresLoadMissingAsEmptyAndDamagedAsAnError) {
  auto missing = AccountStore::load_in(root_);
  ASSERT_TRUE(missing.has_value());
  EXPECT_TRUE(missing->accounts.empty());

  AccountStore store;
  store.upsert(mail("m1"));
  const mode_t old_umask = ::umask(0);
  ASSERT_TRUE(store.save_in(root_).has_value());
  AccountSyncStatusStore statuses;
  statuses.statuses["m1"] = AccountSyncStatus{AccountSyncHealth::Healthy, 1, 1, std::nullopt};
  ASSERT_TRUE(statuses.save_in(root_).has_value());
  ::umask(old_umask);
  EXPECT_EQ(mode_of(accounts::account_store_path_in(root_)), 0600u);
  EXPECT_EQ(mode_of(accounts::status::sync_status_path_in(root_)), 0600u);
  EXPECT_EQ(*AccountStore::load_in(root_), store);
  EXPECT_EQ(*AccountSyncStatusStore::load_in(root_), statuses);

  std::ofstream(accounts::account_store_path_in(root_)) << R"({"accounts":[{"id":"m1"}]})";
  auto damaged = AccountStore::load_in(root_);
  ASSERT_FALSE(damaged.has_value());
  EXPECT_NE(damaged.error().find("missing field `type_id`"), std::string::npos) << damaged.error();

  std::filesystem::remove(accounts::status::sync_status_path_in(root_));
  std::filesystem::create_directory(accounts::status::sync_status_path_in(root_));
  EXPECT_FALSE(AccountSyncStatusStore::load_in(root_).has_value());
}

}  // namespace
