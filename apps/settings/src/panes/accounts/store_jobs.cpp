#include "panes/accounts/store_jobs.h"

#include <fmt/format.h>

#include <utility>

#include "account_probe/account_check.h"
#include "accounts/remove_account.h"
#include "orvo_log/log.h"
#include "orvo_ui/wake.h"
#include "panes/accounts/account_save.h"
#include "panes/workers/worker_start.h"

namespace settings::panes::accounts {

namespace store = settings::accounts;

std::expected<void, std::string> start_store_job(StoreJob job, orvo_runtime::Sender<StoreAnswer> sender) {
  return workers::start_worker(std::string(kAccountStoreThread),
                               [job = std::move(job), sender = std::move(sender)]() mutable {
                                 try {
                                   (void)sender.send(job());
                                 } catch (...) {
                                   // The pane sees the channel close without an answer.
                                   orvo_log::warn("account store job stopped", {});
                                 }
                                 orvo_ui::WakeHandle{}.wake();
                               });
}

namespace store_jobs {

StoreJob read_vault(store::RootOverride root_override) {
  return [root_override = std::move(root_override)]() -> StoreAnswer {
    return store_answer::VaultRead{store::open_secret_vault(root_override)};
  };
}

StoreJob prepare_draft(store::RootOverride root_override, store::AccountKind kind, std::optional<std::string> edited_id,
                       AccountFormValues values) {
  return [root_override = std::move(root_override), kind, edited_id = std::move(edited_id),
          values = std::move(values)]() mutable -> StoreAnswer {
    auto prepared = prepare_account_draft(root_override, kind, edited_id, std::nullopt, values);
    if (!prepared) return store_answer::DraftPrepared{std::unexpected(prepared.error())};
    return store_answer::DraftPrepared{PendingDraft{std::move(*prepared), std::move(values), std::move(edited_id), kind}};
  };
}

StoreJob save_account(store::RootOverride root_override, PendingDraft draft) {
  return [root_override = std::move(root_override), draft = std::move(draft)]() -> StoreAnswer {
    auto again =
        prepare_account_draft(root_override, draft.kind, draft.edited_id, draft.prepared.account.id, draft.values);
    if (!again) return store_answer::AccountSaved{std::unexpected(again.error())};
    return store_answer::AccountSaved{save_checked_account(root_override, *again, draft.values.password)};
  };
}

StoreJob prepare_replacement(store::RootOverride root_override, std::string id, orvo_secret::SecretString password) {
  return [root_override = std::move(root_override), id = std::move(id),
          password = std::move(password)]() mutable -> StoreAnswer {
    const auto metadata = store::load_account_store(root_override);
    const ::accounts::Account* account = metadata.get(id);
    if (!account) return store_answer::ReplacementPrepared{id, std::nullopt, {}};
    ::accounts::vault::Credential credential =
        store::open_secret_vault(root_override).get(id).value_or(::accounts::vault::Credential{});
    credential.secret = std::move(password);
    return store_answer::ReplacementPrepared{id, *account, std::move(credential)};
  };
}

StoreJob save_replacement(store::RootOverride root_override, std::string id, ::accounts::vault::Credential credential) {
  return [root_override = std::move(root_override), id = std::move(id),
          credential = std::move(credential)]() mutable -> StoreAnswer {
    auto vault = store::open_secret_vault(root_override);
    vault.put(id, std::move(credential));
    if (auto saved = vault.try_save(); !saved) return store_answer::ReplacementSaved{std::unexpected(saved.error())};
    return store_answer::ReplacementSaved{std::move(vault)};
  };
}

StoreJob remove(store::RootOverride root_override, store::AccountKind kind, std::string id) {
  return [root_override = std::move(root_override), kind, id = std::move(id)]() -> StoreAnswer {
    return store_answer::AccountRemoved{id, remove_account(root_override, kind, id)};
  };
}

}  // namespace store_jobs

}  // namespace settings::panes::accounts
