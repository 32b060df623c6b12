#pragma once
// Changes that touch several account stores (the credential vault, the metadata store, the sync
// status store) are made crash-safe with an intent file, "mutation-journal.json" in the accounts
// directory (mode 0600). It is written before the first save and holds the stores as they were; while
// it exists the change counts as unfinished, and recovery puts every store back from it (a roll-back,
// never a roll-forward). Recovery runs before each change, at start-up, and when the final step of a
// change fails.
//
// A change:
//   1. strict-load the metadata and status stores; begin_account_mutation with them;
//   2. save the changed stores: vault first, then metadata, then statuses;
//   3. on a failed save, undo in this process what was saved (restore_credential, re-save the
//      metadata) and clear the journal only when the undo fully worked;
//   4. finish_account_mutation with the operation's name.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/store_access.h"

namespace settings::accounts {

struct AccountMutationJournal {
  ::accounts::AccountStore previous_store;
  ::accounts::status::AccountSyncStatusStore previous_statuses;
  // The exact bytes of "vault.enc" before the change; none when there was no vault file.
  std::optional<std::vector<std::uint8_t>> previous_vault_ciphertext;
  bool operator==(const AccountMutationJournal&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccountMutationJournal>) {
  using J = AccountMutationJournal;
  return orvo_json::record<J>("AccountMutationJournal", orvo_json::field("previous_store", &J::previous_store),
                              orvo_json::field("previous_statuses", &J::previous_statuses),
                              orvo_json::defaulted_field("previous_vault_ciphertext", &J::previous_vault_ciphertext));
}

using MutationResult = std::expected<void, std::string>;

// Records the intent. Recovers any earlier unfinished change first and refuses to start over one
// that cannot be undone. Only a missing vault file is recorded as "no vault"; a vault that cannot be
// read stops the change ("could not read credential vault: …"), so that recovery can never delete it.
MutationResult begin_account_mutation(const RootOverride& root_override, const ::accounts::AccountStore& store,
                                      const ::accounts::status::AccountSyncStatusStore& statuses);
// Restores all three stores from the journal and removes it; without a journal, succeeds at once.
MutationResult recover_account_mutation(const RootOverride& root_override);
// Removes the journal (the change is complete) and flushes its directory.
MutationResult clear_account_mutation(const RootOverride& root_override);
// The commit step: clears the journal, and if that fails, rolls the change back.
MutationResult finish_account_mutation(const RootOverride& root_override, std::string_view operation);
// Start-up: recovers an interrupted change when there is an accounts root; a failure is logged.
void recover_account_mutation_at_start(const RootOverride& root_override);

// Puts a credential back into the vault (or removes the id's entry when there was none) and saves.
MutationResult restore_credential(const RootOverride& root_override, std::string_view id,
                                  const std::optional<::accounts::vault::Credential>& credential);
// The message, extended with "; rollback also failed: …" when the rollback failed.
std::string append_rollback_failure(std::string message, const MutationResult& rollback);

// Crash tests stop the process at a named step: each step calls the hook once its effect is on disk.
// Steps: "journal-written", "vault-saved", "metadata-saved", "statuses-saved", "journal-cleared",
// and in recovery "metadata-restored", "statuses-restored", "vault-restored".
using MutationStepHook = void (*)(std::string_view step);
void set_mutation_step_hook(MutationStepHook hook);
void mutation_step_done(std::string_view step);

}  // namespace settings::accounts
