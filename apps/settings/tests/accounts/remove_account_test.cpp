#include "accounts/remove_account.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <functional>
#include <optional>

#include "accounts_fixture.h"

namespace {

using namespace settings::accounts;
using accounts_test::AccountsRoot;
using accounts_test::credential;
using accounts_test::file_bytes;
using settings::panes::accounts::remove_account;

std::function<void(std::string_view)> on_step;
void call_on_step(std::string_view step) {
  if (on_step) on_step(step);
}

// Replaces a file by a non-empty directory, which no atomic write can replace and no read can read.
void block(const std::filesystem::path& path) {
  std::filesystem::remove(path);
  std::filesystem::create_directories(path / "blocker");
}

// While alive, writing a file past `bytes` fails (EFBIG) for this process, root included, and leaves
// the file being replaced as it was: the atomic write gives up before its rename.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t previous_handler_ = SIG_DFL;
};

class RemoveAccount : public AccountsRoot {
 protected:
  void SetUp() override {
    AccountsRoot::SetUp();
    store_.upsert(accounts_test::account("m1", "email"));
    store_.upsert(accounts_test::account("w1", "webdav"));
    store_.active["email"] = "m1";
    statuses_.statuses["m1"] = {::accounts::status::AccountSyncHealth::Healthy, 1, 1, std::nullopt};
    statuses_.statuses["w1"] = {::accounts::status::AccountSyncHealth::Offline, 2, std::nullopt, "down"};
    ASSERT_TRUE(save_account_store(over_, store_).has_value());
    ASSERT_TRUE(save_sync_statuses(over_, statuses_).has_value());
    save_vault({{"m1", "mail secret"}, {"w1", "files secret"}});
    set_mutation_step_hook(call_on_step);
  }
  void TearDown() override {
    set_mutation_step_hook(nullptr);
    on_step = nullptr;
    AccountsRoot::TearDown();
  }

  void expect_unchanged() {
    EXPECT_EQ(*load_account_store_strict(over_), store_);
    EXPECT_EQ(*load_sync_statuses_strict(over_), statuses_);
    auto vault = open_secret_vault(over_);
    EXPECT_EQ(vault.get("m1"), credential("mail secret"));
    EXPECT_EQ(vault.get("w1"), credential("files secret"));
  }

  ::accounts::AccountStore store_;
  ::accounts::status::AccountSyncStatusStore statuses_;
};

TEST_F(RemoveAccount, RemovesTheAccountFromAllThreeStores) {
  auto removed = remove_account(over_, AccountKind::Email, "m1");
  ASSERT_TRUE(removed.has_value()) << removed.error();
  auto store = *load_account_store_strict(over_);
  EXPECT_EQ(store.get("m1"), nullptr);
  EXPECT_EQ(store.active_id("email"), std::nullopt);
  ASSERT_NE(store.get("w1"), nullptr);
  EXPECT_EQ(load_sync_statuses_strict(over_)->get("m1"), nullptr);
  auto vault = open_secret_vault(over_);
  EXPECT_EQ(vault.get("m1"), std::nullopt);
  EXPECT_EQ(vault.get("w1"), credential("files secret"));
  EXPECT_FALSE(std::filesystem::exists(journal()));
}

TEST_F(RemoveAccount, RefusesAnotherKindAndDamagedMetadata) {
  auto wrong_kind = remove_account(over_, AccountKind::WebDav, "m1");
  ASSERT_FALSE(wrong_kind.has_value());
  EXPECT_EQ(wrong_kind.error(), "account type changed before removal; refresh Settings and try again");
  expect_unchanged();

  const auto vault_bytes = file_bytes(vault_file()).value();
  accounts_test::write_file(metadata(), R"({"accounts":[{"id":"m1"}]})");
  auto damaged = remove_account(over_, AccountKind::Email, "m1");
  ASSERT_FALSE(damaged.has_value());
  EXPECT_TRUE(damaged.error().starts_with("could not read account metadata: ")) << damaged.error();
  EXPECT_EQ(file_bytes(metadata()).value(), std::optional<std::string>(R"({"accounts":[{"id":"m1"}]})"));
  EXPECT_EQ(file_bytes(vault_file()).value(), vault_bytes);
  EXPECT_FALSE(std::filesystem::exists(journal()));
}

TEST_F(RemoveAccount, UnknownIdIsRemovedFromTheOtherStores) {
  statuses_.statuses["ghost"] = {};
  ASSERT_TRUE(save_sync_statuses(over_, statuses_).has_value());
  save_vault({{"ghost", "left behind"}});
  ASSERT_TRUE(remove_account(over_, AccountKind::Nextcloud, "ghost").has_value());
  EXPECT_EQ(load_sync_statuses_strict(over_)->get("ghost"), nullptr);
  EXPECT_EQ(open_secret_vault(over_).get("ghost"), std::nullopt);
  EXPECT_EQ(*load_account_store_strict(over_), store_);
}

TEST_F(RemoveAccount, FailedStatusSaveIsRolledBackInProcess) {
  on_step = [&](std::string_view step) {
    if (step == "metadata-saved") block(statuses());
  };
  auto removed = remove_account(over_, AccountKind::Email, "m1");
  ASSERT_FALSE(removed.has_value());
  EXPECT_TRUE(removed.error().starts_with("could not remove account sync status: could not replace ")) << removed.error();
  EXPECT_EQ(removed.error().find("rollback also failed"), std::string::npos) << removed.error();
  EXPECT_FALSE(std::filesystem::exists(journal()));
  EXPECT_EQ(*load_account_store_strict(over_), store_);
  EXPECT_EQ(open_secret_vault(over_).get("m1"), credential("mail secret"));
}

TEST_F(RemoveAccount, FailedVaultSaveLeavesEveryFileAsItWas) {
  const auto before = std::array{file_bytes(metadata()).value(), file_bytes(statuses()).value(),
                                 file_bytes(vault_file()).value()};
  std::optional<FileSizeLimit> limit;
  on_step = [&](std::string_view step) {
    if (step == "journal-written") limit.emplace(1);
  };
  auto removed = remove_account(over_, AccountKind::Email, "m1");
  limit.reset();
  ASSERT_FALSE(removed.has_value());
  EXPECT_TRUE(removed.error().starts_with("could not remove saved credential: could not write ")) << removed.error();
  EXPECT_EQ((std::array{file_bytes(metadata()).value(), file_bytes(statuses()).value(),
                        file_bytes(vault_file()).value()}),
            before);
  EXPECT_FALSE(std::filesystem::exists(journal()));
  expect_unchanged();
}

TEST_F(RemoveAccount, FailedMetadataSavePutsTheCredentialBack) {
  // Metadata larger than the limit, the vault smaller: only the metadata save fails.
  constexpr rlim_t kLimit = 4096;
  store_.accounts.back().display_name = std::string(2 * kLimit, 'w');
  ASSERT_TRUE(save_account_store(over_, store_).has_value());
  ASSERT_LT(file_bytes(vault_file()).value().size(), kLimit);
  const auto metadata_before = file_bytes(metadata()).value();
  const auto statuses_before = file_bytes(statuses()).value();

  std::optional<FileSizeLimit> limit;
  on_step = [&](std::string_view step) {
    if (step == "vault-saved") limit.emplace(kLimit);
  };
  auto removed = remove_account(over_, AccountKind::Email, "m1");
  limit.reset();
  ASSERT_FALSE(removed.has_value());
  EXPECT_TRUE(removed.error().starts_with("could not remove account metadata: could not write ")) << removed.error();
  EXPECT_EQ(removed.error().find("rollback also failed"), std::string::npos) << removed.error();
  EXPECT_FALSE(std::filesystem::exists(journal()));
  EXPECT_EQ(file_bytes(metadata()).value(), metadata_before);
  EXPECT_EQ(file_bytes(statuses()).value(), statuses_before);
  expect_unchanged();
}

// When the in-process undo fails too, the message names every failure (store first) and the
// journal stays, so the next recovery restores everything.
TEST_F(RemoveAccount, FailedRollbackLeavesTheJournalForRecovery) {
  on_step = [&](std::string_view step) {
    if (step != "metadata-saved") return;
    block(statuses());
    block(metadata());
    block(vault_file());
  };
  auto removed = remove_account(over_, AccountKind::Email, "m1");
  on_step = nullptr;
  ASSERT_FALSE(removed.has_value());
  const std::string& message = removed.error();
  EXPECT_TRUE(message.starts_with("could not remove account sync status: could not replace ")) << message;
  const auto rollback = message.find("; rollback also failed: could not replace ");
  ASSERT_NE(rollback, std::string::npos) << message;
  EXPECT_NE(message.find("accounts.json", rollback), std::string::npos) << message;
  EXPECT_NE(message.find("; the credential vault could not be read, so it was left unchanged: ", rollback),
            std::string::npos)
      << message;
  ASSERT_TRUE(std::filesystem::exists(journal()));

  for (const auto& path : {statuses(), metadata(), vault_file()}) std::filesystem::remove_all(path);
  ASSERT_TRUE(recover_account_mutation(over_).has_value());
  expect_unchanged();
}

}  // namespace
