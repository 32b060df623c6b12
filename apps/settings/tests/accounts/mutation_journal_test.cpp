#include "accounts/mutation_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "accounts_fixture.h"
#include "orvo_log/log.h"

namespace {

using namespace settings::accounts;
using accounts_test::AccountsRoot;
using accounts_test::file_bytes;
using accounts_test::write_file;

TEST_F(AccountsRoot, WithoutAJournalNothingHappens) {
  EXPECT_TRUE(recover_account_mutation(over_).has_value());
  EXPECT_TRUE(clear_account_mutation(over_).has_value());
  EXPECT_FALSE(std::filesystem::exists(accounts_dir()));
}

TEST_F(AccountsRoot, JournalIsPrivateAndHoldsThePreviousState) {
  save_vault({{"m1", "secret"}});
  const auto vault_before = file_bytes(vault_file()).value();
  ::accounts::AccountStore store;
  store.upsert(accounts_test::account("m1", "email"));
  ::accounts::status::AccountSyncStatusStore statuses;
  statuses.statuses["m1"] = {::accounts::status::AccountSyncHealth::Healthy, 1, 2, std::nullopt};

  const mode_t old_umask = ::umask(0);
  auto begun = begin_account_mutation(over_, store, statuses);
  ::umask(old_umask);
  ASSERT_TRUE(begun.has_value()) << begun.error();
  struct stat st {};
  ASSERT_EQ(::stat(journal().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  auto journal_value = orvo_json::decode<AccountMutationJournal>(file_bytes(journal()).value());
  ASSERT_TRUE(journal_value.has_value());
  EXPECT_EQ(journal_value->previous_store, store);
  EXPECT_EQ(journal_value->previous_statuses, statuses);
  ASSERT_TRUE(journal_value->previous_vault_ciphertext.has_value());
  EXPECT_EQ(std::string(journal_value->previous_vault_ciphertext->begin(), journal_value->previous_vault_ciphertext->end()),
            vault_before);

  // The change overwrites everything; recovery brings back exactly the recorded state.
  ASSERT_TRUE(save_account_store(over_, {}).has_value());
  ASSERT_TRUE(save_sync_statuses(over_, {}).has_value());
  save_vault({{"m2", "other"}});
  ASSERT_TRUE(recover_account_mutation(over_).has_value());
  EXPECT_FALSE(std::filesystem::exists(journal()));
  EXPECT_EQ(*load_account_store_strict(over_), store);
  EXPECT_EQ(*load_sync_statuses_strict(over_), statuses);
  EXPECT_EQ(file_bytes(vault_file()).value(), vault_before);
  st = {};
  ASSERT_EQ(::stat(vault_file().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(AccountsRoot, JournalWithoutVaultDeletesTheVaultOnRecovery) {
  save_vault({{"m1", "written during the change"}});
  write_file(journal(), R"({"previous_store":{"accounts":[],"active":{}},"previous_statuses":{"statuses":{}},"previous_vault_ciphertext":null})");
  ASSERT_TRUE(recover_account_mutation(over_).has_value());
  EXPECT_FALSE(std::filesystem::exists(vault_file()));
  EXPECT_FALSE(std::filesystem::exists(journal()));
}

TEST_F(AccountsRoot, DamagedJournalStaysAndBlocksEveryChange) {
  write_file(journal(), R"({"previous_store":{})");
  orvo_log::CaptureScope logs;
  auto recovered = recover_account_mutation(over_);
  ASSERT_FALSE(recovered.has_value());
  EXPECT_TRUE(recovered.error().starts_with("account transaction intent is invalid: ")) << recovered.error();
  auto begun = begin_account_mutation(over_, {}, {});
  ASSERT_FALSE(begun.has_value());
  EXPECT_EQ(begun.error(), recovered.error());
  recover_account_mutation_at_start(over_);
  EXPECT_EQ(logs.count("could not recover interrupted account mutation"), 1u);
  EXPECT_EQ(file_bytes(journal()).value(), std::optional<std::string>(R"({"previous_store":{})"));
}

// Only a missing vault counts as "no vault": a vault that cannot be read stops the change before
// anything is written, so no later recovery can delete it.
TEST_F(AccountsRoot, UnreadableVaultStopsTheChange) {
  std::filesystem::create_directories(vault_file());
  write_file(vault_file() / "inside", "keep");
  auto begun = begin_account_mutation(over_, {}, {});
  ASSERT_FALSE(begun.has_value());
  EXPECT_TRUE(begun.error().starts_with("could not read credential vault: ")) << begun.error();
  EXPECT_FALSE(std::filesystem::exists(journal()));
  EXPECT_TRUE(std::filesystem::exists(vault_file() / "inside"));
}

TEST_F(AccountsRoot, FinishThatCannotClearRollsBackOrSaysWhyNot) {
  ASSERT_TRUE(begin_account_mutation(over_, {}, {}).has_value());
  std::filesystem::remove(journal());
  std::filesystem::create_directories(journal() / "blocker");
  auto finished = finish_account_mutation(over_, "account removal");
  ASSERT_FALSE(finished.has_value());
  EXPECT_TRUE(finished.error().starts_with("could not complete account removal: could not clear account transaction intent: "))
      << finished.error();
  EXPECT_NE(finished.error().find("; recovery also failed: could not read account transaction intent: "),
            std::string::npos)
      << finished.error();
}

TEST(RollbackMessages, AppendOnlyWhenTheRollbackFailed) {
  EXPECT_EQ(append_rollback_failure("could not x", {}), "could not x");
  EXPECT_EQ(append_rollback_failure("could not x", std::unexpected(std::string("y"))),
            "could not x; rollback also failed: y");
}

TEST_F(AccountsRoot, RestoreCredentialPutsBackOrRemoves) {
  save_vault({{"m1", "new"}, {"m2", "added"}});
  ASSERT_TRUE(restore_credential(over_, "m1", accounts_test::credential("old")).has_value());
  ASSERT_TRUE(restore_credential(over_, "m2", std::nullopt).has_value());
  auto vault = open_secret_vault(over_);
  EXPECT_EQ(vault.get("m1"), accounts_test::credential("old"));
  EXPECT_EQ(vault.get("m2"), std::nullopt);
}

}  // namespace
