#include "accounts/store_access.h"

#include <gtest/gtest.h>

#include "accounts_fixture.h"
#include "orvo_runtime/system_paths.h"

namespace {

using namespace settings::accounts;
using accounts_test::AccountsRoot;

TEST(StoreAccess, WithoutAnyRootLoadsAreEmptyAndSavesFail) {
  accounts_test::NoConfigDir none;
  EXPECT_EQ(accounts_root(std::nullopt), std::nullopt);
  EXPECT_TRUE(load_account_store(std::nullopt).accounts.empty());
  EXPECT_TRUE(load_sync_statuses(std::nullopt).statuses.empty());
  EXPECT_EQ(save_account_store(std::nullopt, {}).error(), "no config dir");
  EXPECT_EQ(save_sync_statuses(std::nullopt, {}).error(), "no config dir");
  EXPECT_EQ(mutation_journal_path(std::nullopt).error(), "no config dir");
  EXPECT_EQ(load_account_store_strict(std::nullopt).error(), "no config dir");
}

TEST_F(AccountsRoot, DefaultVaultIsTheOneTheJournalCopies) {
  system_paths::ScopedOverride config("/", root_ / "config");
  auto vault = open_secret_vault(std::nullopt);
  ASSERT_TRUE(vault.file().has_value());
  EXPECT_EQ(*vault.file(), root_ / "config" / "orvo" / "vault" / "vault.enc");
  EXPECT_EQ(*vault_file_path(std::nullopt), *vault.file());
  EXPECT_EQ(open_secret_vault(over_).file(), vault_file());
  EXPECT_EQ(*legacy_settings_file(std::nullopt, "files/accounts.json"),
            root_ / "config" / "orvo" / "files" / "accounts.json");
  EXPECT_EQ(*legacy_settings_file(over_, "files/accounts.json"), root_ / "files" / "accounts.json");
}

TEST_F(AccountsRoot, DamagedStoresLoadEmptyForDisplayButRefuseChanges) {
  accounts_test::write_file(metadata(), "{not json");
  accounts_test::write_file(statuses(), R"({"statuses":{"a":{}}})");
  EXPECT_TRUE(load_account_store(over_).accounts.empty());
  EXPECT_TRUE(load_sync_statuses(over_).statuses.empty());
  auto store = load_account_store_strict(over_);
  ASSERT_FALSE(store.has_value());
  EXPECT_TRUE(store.error().starts_with("could not read account metadata: ")) << store.error();
  auto status = load_sync_statuses_strict(over_);
  ASSERT_FALSE(status.has_value());
  EXPECT_TRUE(status.error().starts_with("could not read account sync status: ")) << status.error();
  EXPECT_NE(status.error().find("missing field `health`"), std::string::npos) << status.error();
}

}  // namespace
