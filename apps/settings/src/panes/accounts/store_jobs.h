#pragma once
// The accounts pane's work on its stores and the credential vault, run off the interface thread:
// opening the vault asks the desktop keyring for its key, and the keyring may take seconds to
// answer or wait for the user to unlock it. The pane runs one job at a time; each job sends one
// answer over a one-result channel and wakes the loop.
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "accounts/account.h"
#include "accounts/account_kind.h"
#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "orvo_runtime/channel.h"
#include "panes/accounts/account_draft.h"
#include "panes/accounts/account_form.h"

namespace settings::panes::accounts {

inline constexpr std::string_view kAccountStoreThread = "account-store";

// The prepared account waiting for its check, with the values as they were submitted.
struct PendingDraft {
  PreparedAccount prepared;
  AccountFormValues values;
  std::optional<std::string> edited_id;
  settings::accounts::AccountKind kind = settings::accounts::AccountKind::Email;
};

namespace store_answer {
// The vault as opened now: which accounts have a saved credential, and where its key is kept.
struct VaultRead {
  ::accounts::vault::SecretVault vault;
};
// The submitted form prepared against the stores, ready for its server check.
struct DraftPrepared {
  std::expected<PendingDraft, std::string> draft;
};
// The checked account saved in every store.
struct AccountSaved {
  std::expected<void, std::string> saved;
};
// The stored account whose password is replaced, and its credential with the new password in it.
struct ReplacementPrepared {
  std::string id;
  std::optional<::accounts::Account> account;  // none when the account is gone
  ::accounts::vault::Credential credential;
};
// The replaced credential saved; the vault as it is now.
struct ReplacementSaved {
  std::expected<::accounts::vault::SecretVault, std::string> vault;
};
struct AccountRemoved {
  std::string id;
  std::expected<void, std::string> removed;
};
}  // namespace store_answer

using StoreAnswer = std::variant<store_answer::VaultRead, store_answer::DraftPrepared, store_answer::AccountSaved,
                                 store_answer::ReplacementPrepared, store_answer::ReplacementSaved,
                                 store_answer::AccountRemoved>;
using StoreJob = std::move_only_function<StoreAnswer()>;
// Starts a job on its own thread; a thread the system refuses is a failure text.
using StoreJobStarter = std::function<std::expected<void, std::string>(StoreJob, orvo_runtime::Sender<StoreAnswer>)>;

// The pane's starter: a named worker that sends the answer (dropped when nobody listens any more)
// and wakes the loop.
std::expected<void, std::string> start_store_job(StoreJob job, orvo_runtime::Sender<StoreAnswer> sender);

namespace store_jobs {
StoreJob read_vault(settings::accounts::RootOverride root_override);
StoreJob prepare_draft(settings::accounts::RootOverride root_override, settings::accounts::AccountKind kind,
                       std::optional<std::string> edited_id, AccountFormValues values);
// Prepares the draft again (what changed in the stores during the check is judged now), then saves it.
StoreJob save_account(settings::accounts::RootOverride root_override, PendingDraft draft);
StoreJob prepare_replacement(settings::accounts::RootOverride root_override, std::string id,
                             orvo_secret::SecretString password);
StoreJob save_replacement(settings::accounts::RootOverride root_override, std::string id,
                          ::accounts::vault::Credential credential);
StoreJob remove(settings::accounts::RootOverride root_override, settings::accounts::AccountKind kind, std::string id);
}  // namespace store_jobs

}  // namespace settings::panes::accounts
