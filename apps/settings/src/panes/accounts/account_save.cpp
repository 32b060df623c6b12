#include "panes/accounts/account_save.h"

#include <fmt/format.h>

#include <optional>

#include "account_probe/account_check.h"
#include "accounts/mutation_journal.h"
#include "orvo_log/log.h"

namespace settings::panes::accounts {

namespace store = settings::accounts;

std::expected<void, std::string> save_checked_account(const store::RootOverride& root_override,
                                                      const PreparedAccount& prepared,
                                                      const orvo_secret::SecretString& password) {
  auto metadata = store::load_account_store_strict(root_override);
  if (!metadata) return std::unexpected(metadata.error());
  const ::accounts::AccountStore previous = *metadata;
  auto statuses = store::load_sync_statuses_strict(root_override);
  if (!statuses) return std::unexpected(statuses.error());
  if (auto begun = store::begin_account_mutation(root_override, previous, *statuses); !begun) {
    return std::unexpected(begun.error());
  }

  const std::string& id = prepared.account.id;
  const bool writes_credential = !settings::account_probe::trim_unicode_whitespace(password.view()).empty();
  std::optional<::accounts::vault::Credential> old_credential;
  if (writes_credential) {
    auto vault = store::open_secret_vault(root_override);
    old_credential = vault.get(id);
    vault.put(id, prepared.credential.clone());
    if (auto saved = vault.try_save(); !saved) {
      (void)store::clear_account_mutation(root_override);
      return std::unexpected(fmt::format("could not save credential: {}", saved.error()));
    }
    store::mutation_step_done("vault-saved");
  }

  metadata->upsert(prepared.account);
  auto saved = store::save_account_store(root_override, *metadata);
  if (saved) {
    store::mutation_step_done("metadata-saved");
    return store::finish_account_mutation(root_override, "account save");
  }

  if (writes_credential) {
    if (auto restored = store::restore_credential(root_override, id, old_credential); !restored) {
      return std::unexpected(fmt::format("could not persist account: {}; credential rollback also failed: {}",
                                         saved.error(), restored.error()));
    }
  }
  (void)store::clear_account_mutation(root_override);
  orvo_log::warn(kPersistFailedLog, {{"op", "account_store_save"}, {"error", saved.error()}});
  return std::unexpected(fmt::format("could not persist account: {}", saved.error()));
}

}  // namespace settings::panes::accounts
