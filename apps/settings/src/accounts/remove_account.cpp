#include "accounts/remove_account.h"

#include <fmt/format.h>

#include "accounts/mutation_journal.h"

namespace settings::panes::accounts {

using namespace settings::accounts;

std::expected<void, std::string> remove_account(const RootOverride& root_override, AccountKind kind,
                                                std::string_view id) {
  auto store = load_account_store_strict(root_override);
  if (!store) return std::unexpected(store.error());
  if (const auto* stored = store->get(id); stored && stored->type_id != type_id(kind)) {
    return std::unexpected(std::string("account type changed before removal; refresh Settings and try again"));
  }
  auto statuses = load_sync_statuses_strict(root_override);
  if (!statuses) return std::unexpected(statuses.error());
  if (auto begun = begin_account_mutation(root_override, *store, *statuses); !begun) return begun;

  auto vault = open_secret_vault(root_override);
  // A vault that cannot be read cannot say whether it holds the account's credential: removing the
  // account would leave the credential behind with nothing pointing at it.
  if (const auto& unreadable = vault.read_error()) {
    (void)clear_account_mutation(root_override);
    return std::unexpected("could not remove saved credential: the credential vault could not be read: " + *unreadable);
  }
  const std::optional<::accounts::vault::Credential> previous_credential = vault.get(id);
  const bool credential_removed = vault.remove(id);
  if (credential_removed) {
    if (auto saved = vault.try_save(); !saved) {
      (void)clear_account_mutation(root_override);
      return std::unexpected("could not remove saved credential: " + saved.error());
    }
    mutation_step_done("vault-saved");
  }

  ::accounts::AccountStore without_account = *store;
  without_account.remove(id);
  if (auto saved = save_account_store(root_override, without_account); !saved) {
    MutationResult rollback;
    if (credential_removed) rollback = restore_credential(root_override, id, previous_credential);
    if (rollback) (void)clear_account_mutation(root_override);
    return std::unexpected(append_rollback_failure("could not remove account metadata: " + saved.error(), rollback));
  }
  mutation_step_done("metadata-saved");

  ::accounts::status::AccountSyncStatusStore without_status = *statuses;
  without_status.remove(id);
  if (auto saved = save_sync_statuses(root_override, without_status); !saved) {
    auto store_rollback = save_account_store(root_override, *store);
    MutationResult credential_rollback;
    if (credential_removed) credential_rollback = restore_credential(root_override, id, previous_credential);
    MutationResult rollback;
    if (!store_rollback && !credential_rollback) {
      rollback = std::unexpected(fmt::format("{}; {}", store_rollback.error(), credential_rollback.error()));
    } else if (!store_rollback) {
      rollback = store_rollback;
    } else if (!credential_rollback) {
      rollback = credential_rollback;
    }
    if (rollback) (void)clear_account_mutation(root_override);
    return std::unexpected(append_rollback_failure("could not remove account sync status: " + saved.error(), rollback));
  }
  mutation_step_done("statuses-saved");

  return finish_account_mutation(root_override, "account removal");
}

}  // namespace settings::panes::accounts
