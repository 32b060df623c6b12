#pragma once
// The External Accounts pane: the user's online accounts with their sync health, the form that adds
// or edits one (saved only after its server check succeeds), the replacement of a saved password
// (after checking the new one), and removal after a confirmation.
//
// Buttons write true under their keys in the pane's document; each pass reads those keys once.
// The root hands requests over its shared request cell. Server checks run on workers and answer
// over a one-result channel; the pass polls it, and the pane asks the loop to wake it by the
// check's deadline, so neither the answer nor the time-out needs a busy loop. Passwords live only in
// the form's wiping buffers.
//
// Everything that opens the credential vault (reading it, preparing a draft, saving, replacing a
// password, removing) runs as a store job on a worker, one at a time, since the keyring that keeps
// the vault key may take seconds to answer; the page says "Reading saved passwords…" meanwhile. A
// press that needs the stores while a job runs stays pressed until the job has ended.
//
// Interface thread only.
#include <array>
#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "account_probe/account_check.h"
#include "accounts/account_kind.h"
#include "accounts/account_lists.h"
#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "accounts/sync_status.h"
#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_buffer.h"
#include "panes/accounts/account_draft.h"
#include "panes/accounts/account_form.h"
#include "panes/accounts/store_jobs.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"

namespace settings::panes::accounts {

using settings::accounts::AccountKind;
using CheckClock = std::function<std::chrono::steady_clock::time_point()>;
// How long the pane waits for a server check before giving up on it.
inline constexpr std::chrono::seconds kCheckTimeout{10};

namespace sentence {
inline constexpr std::string_view kCheckingAccount = "Checking the account before saving…";
inline constexpr std::string_view kCheckingCredential = "Checking the replacement credential…";
inline constexpr std::string_view kAccountCheckStopped = "account check stopped unexpectedly";
inline constexpr std::string_view kCredentialCheckStopped = "credential check stopped unexpectedly";
inline constexpr std::string_view kTimedOut = "connection check timed out";
inline constexpr std::string_view kNoPendingDraft = "account check result had no pending draft";
inline constexpr std::string_view kNoPendingReauth = "credential check result had no pending draft";
inline constexpr std::string_view kEnterPassword = "enter a password or app password";
inline constexpr std::string_view kAccountGone = "account no longer exists";
inline constexpr std::string_view kReadingSavedPasswords = "Reading saved passwords…";
inline constexpr std::string_view kStoreJobStopped = "reading the saved passwords stopped unexpectedly";
inline constexpr std::string_view kCouldNotReadSavedPasswords = "Could not read saved passwords: ";
}  // namespace sentence

// Keys the pane's buttons write.
namespace key {
inline constexpr std::string_view kFormSave = "settings.accounts.form.save";
inline constexpr std::string_view kFormCancel = "settings.accounts.form.cancel";
inline constexpr std::string_view kReauthSave = "settings.accounts.reauth.save";
inline constexpr std::string_view kReauthCancel = "settings.accounts.reauth.cancel";
inline constexpr std::string_view kRemoveConfirm = "settings.accounts.remove.confirm";
inline constexpr std::string_view kRemoveCancel = "settings.accounts.remove.cancel";
std::string add(AccountKind kind);  // "settings.accounts.add.mail", ….caldav, ….webdav, ….nextcloud
std::string edit(std::string_view id);
std::string reauth(std::string_view id);
std::string test(std::string_view id);
std::string remove(std::string_view id);
}  // namespace key

struct PendingCheck {
  orvo_runtime::Receiver<account_probe::AccountCheckOutcome> receiver;
  std::chrono::steady_clock::time_point deadline;
};

struct PendingReauth {
  std::string id;
  ::accounts::vault::Credential credential;
};

struct PendingRemoval {
  AccountKind kind = AccountKind::Email;
  std::string id;
};

class AccountsPane final : public PaneGlue {
 public:
  // The stored accounts: imports the older account files once, loads the sync statuses, opens the vault.
  static AccountsPane load(settings::accounts::RootOverride root_override);
  // Given lists (examples when `sample_mode`); only the vault is opened.
  static AccountsPane from_app_state(settings::accounts::RootOverride root_override,
                                     settings::accounts::AccountLists lists, bool sample_mode);
  AccountsPane with_accounts_request(settings_app::AccountsRequestCell cell) &&;
  AccountsPane with_account_check(account_probe::AccountCheck check) &&;
  // The monotonic clock of check deadlines (tests replace it).
  AccountsPane with_clock(CheckClock clock) &&;
  // How store jobs start (tests hold or refuse them).
  AccountsPane with_store_job_starter(StoreJobStarter starter) &&;
  AccountsPane(AccountsPane&&) = default;

  // Reads the lists and the sync statuses again, and the vault on a worker.
  void reload();

  std::string_view type_name() const override { return "settings::panes::accounts::AccountsPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  bool needs_idle_sync() const override;
  std::optional<orvo_ui::Deadline> next_wake_deadline() const override;

  // --- state, for the view and tests ---
  const settings::accounts::AccountLists& lists() const { return lists_; }
  const AccountForm& form() const { return form_; }
  AccountForm& form() { return form_; }
  const std::shared_ptr<orvo_secret::SecretBuffer>& reauth_password() const { return reauth_password_; }
  const std::optional<std::string>& reauth_id() const { return reauth_id_; }
  const std::optional<std::string>& reauth_message() const { return reauth_message_; }
  const std::optional<PendingRemoval>& pending_removal() const { return pending_removal_; }
  const std::vector<std::string>& removed_ids() const { return removed_ids_; }
  bool account_check_running() const { return account_check_.has_value(); }
  bool credential_check_running() const { return credential_check_.has_value(); }
  bool sample_mode() const { return sample_mode_; }
  const ::accounts::status::AccountSyncStatusStore& sync_statuses() const { return sync_statuses_; }
  // A store job runs; while the vault is being read, the pane knows of no saved credential.
  bool store_job_running() const { return store_step_.has_value(); }
  // No store job runs and none is due.
  bool store_idle() const { return !store_job_running() && !vault_stale_; }
  bool reading_vault() const { return !vault_ && (vault_stale_ || store_job_running()); }
  // The form, or the replacement form, waits for a store job or a server check.
  bool form_busy() const;
  bool replacement_busy() const;
  // Why the vault could not be read (the read could not start or stopped), for the page.
  const std::optional<std::string>& vault_message() const { return vault_message_; }
  bool has_saved_credential(std::string_view id) const { return vault_ && vault_->get(id).has_value(); }
  bool vault_uses_local_key() const { return vault_ && vault_->uses_local_key(); }
  // The pane's document, where its buttons write (tests press buttons through it).
  orvo_doc::Document& document() { return *own_document(); }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  AccountsPane(settings::accounts::RootOverride root_override, settings::accounts::AccountLists lists,
               ::accounts::status::AccountSyncStatusStore statuses, bool sample_mode);

  bool pressed(orvo_doc::Document& document, std::string_view key);
  void take_request();
  void close_form();
  void open_replacement(std::string id);
  enum class StoreStep : std::uint8_t { ReadVault, PrepareDraft, SaveAccount, PrepareReplacement, SaveReplacement, Remove };
  // Starts a store job; a job that cannot start gives its failure text.
  std::expected<void, std::string> start_store(StoreStep step, StoreJob job);
  void step_store_job();
  void take_store_answer(StoreAnswer answer);
  void store_job_failed(StoreStep step, const std::string& message);
  void take_prepared_draft(store_answer::DraftPrepared answer);
  void take_saved_account(store_answer::AccountSaved answer);
  void take_prepared_replacement(store_answer::ReplacementPrepared answer);
  void take_saved_replacement(store_answer::ReplacementSaved answer);
  void take_removed_account(store_answer::AccountRemoved answer);

  std::optional<PendingCheck> start_check(const ::accounts::Account& account,
                                          const orvo_secret::SecretString& secret, std::string& failure);
  // The check's outcome; none while it is still running.
  std::optional<account_probe::AccountCheckOutcome> poll_check(PendingCheck& check, std::string_view vanished);

  // The keys of every row's buttons, in the order the pass scans them (kinds in order, then rows);
  // made again whenever the lists or the vault change, so that a pass only reads keys.
  struct RowKeys {
    std::string id;
    AccountKind kind = AccountKind::Email;
    std::string edit;
    std::string reauth;
    std::string remove;
    bool has_credential = false;
  };
  void refresh_row_keys();

  void step_add_buttons(orvo_doc::Document& document);
  void step_edit_buttons(orvo_doc::Document& document);
  void step_cancel_form(orvo_doc::Document& document);
  void step_submit_form(orvo_doc::Document& document);
  void step_account_check();
  void step_reauth_buttons(orvo_doc::Document& document);
  void step_cancel_replacement(orvo_doc::Document& document);
  void step_submit_replacement(orvo_doc::Document& document);
  void step_credential_check();
  void step_removal(orvo_doc::Document& document);

  settings::accounts::RootOverride root_override_;
  settings::accounts::AccountLists lists_;
  // None until the first read of the vault has answered.
  std::optional<::accounts::vault::SecretVault> vault_;
  // The vault on disk may have changed since `vault_` was read; the pass reads it when no job runs.
  bool vault_stale_ = true;
  std::optional<std::string> vault_message_;
  ::accounts::status::AccountSyncStatusStore sync_statuses_;
  bool sample_mode_ = false;

  AccountForm form_;
  std::shared_ptr<orvo_secret::SecretBuffer> reauth_password_ = orvo_secret::SecretBuffer::make();
  std::optional<std::string> reauth_id_;
  std::optional<std::string> reauth_message_;
  std::optional<PendingCheck> account_check_;
  std::optional<PendingCheck> credential_check_;
  std::optional<PendingDraft> pending_draft_;
  std::optional<PendingReauth> pending_reauth_;
  std::optional<PendingRemoval> pending_removal_;
  std::vector<std::string> removed_ids_;
  std::vector<RowKeys> row_keys_;
  std::array<std::string, 4> add_keys_;

  settings_app::AccountsRequestCell accounts_request_{std::nullopt};
  account_probe::AccountCheck account_check_fn_ = account_probe::shared_account_check();
  CheckClock clock_ = [] { return std::chrono::steady_clock::now(); };
  StoreJobStarter store_job_starter_ = start_store_job;
  std::optional<orvo_runtime::Receiver<StoreAnswer>> store_job_;
  std::optional<StoreStep> store_step_;

  bool submit_form_requested_ = false;
  bool cancel_form_requested_ = false;
  bool submit_reauth_requested_ = false;
  bool cancel_reauth_requested_ = false;
};

}  // namespace settings::panes::accounts
