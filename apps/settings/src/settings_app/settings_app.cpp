#include "settings_app/settings_app.h"

#include "accounts/mutation_journal.h"
#include "accounts/store_access.h"
#include "settings_app/search_provider.h"

namespace settings::settings_app {
namespace {

// The accounts of the store under `accounts_root`, in store order; empty when none can be loaded.
std::vector<::accounts::Account> load_accounts(const std::optional<std::filesystem::path>& accounts_root) {
  return settings::accounts::load_account_store(accounts_root).accounts;
}

}  // namespace

SettingsApp::SettingsApp(std::optional<std::filesystem::path> accounts_root)
    : search_catalog_(orvo_ui::SearchCatalog::create(kPersonalSettingsCatalog)),
      accounts_root_(std::move(accounts_root)) {
  settings::accounts::recover_account_mutation_at_start(accounts_root_);
  search_catalog_ = build_search_catalog();
  accounts_ = load_accounts(accounts_root_);
  account_check_ = account_probe::shared_account_check();
}

SettingsApp::SettingsApp(std::optional<std::filesystem::path> accounts_root, account_probe::AccountCheck account_check)
    : SettingsApp(std::move(accounts_root)) {
  account_check_ = std::move(account_check);
}

std::unique_ptr<SettingsApp> SettingsApp::make_default() { return std::make_unique<SettingsApp>(std::nullopt); }

void SettingsApp::reload_accounts() { accounts_ = load_accounts(accounts_root_); }

}  // namespace settings::settings_app
