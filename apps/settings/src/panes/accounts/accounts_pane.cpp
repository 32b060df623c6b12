#include "panes/accounts/accounts_pane.h"

#include <fmt/format.h>

#include <algorithm>
#include <variant>

#include "accounts/legacy_import.h"
#include "accounts/store_access.h"
#include "panes/workers/account_check_worker.h"
#include "panes/pane_inputs.h"

namespace settings::panes::accounts {

namespace store = settings::accounts;
using account_probe::AccountCheckOutcome;
using settings_app::AccountsRequest;

namespace key {
std::string add(AccountKind kind) {
  return fmt::format("settings.accounts.add.{}", settings::accounts::id_prefix(kind));
}
std::string edit(std::string_view id) { return fmt::format("settings.accounts.edit.{}", id); }
std::string reauth(std::string_view id) { return fmt::format("settings.accounts.reauth.{}", id); }
std::string test(std::string_view id) { return fmt::format("settings.accounts.test.{}", id); }
std::string remove(std::string_view id) { return fmt::format("settings.accounts.remove.{}", id); }
}  // namespace key

AccountsPane::AccountsPane(store::RootOverride root_override, store::AccountLists lists,
                           ::accounts::status::AccountSyncStatusStore statuses, bool sample_mode)
    : PaneGlue("AccountsPane", DirtyRule::AlwaysAskView),
      root_override_(std::move(root_override)),
      lists_(std::move(lists)),
      sync_statuses_(std::move(statuses)),
      sample_mode_(sample_mode) {
  for (const AccountKind kind : store::kAccountKinds) add_keys_[static_cast<std::size_t>(kind)] = key::add(kind);
  refresh_row_keys();
}

void AccountsPane::refresh_row_keys() {
  row_keys_.clear();
  for (const AccountKind kind : store::kAccountKinds) {
    for (auto& row : store::account_rows(lists_, kind)) {
      const bool has_credential = has_saved_credential(row.id);
      row_keys_.push_back(RowKeys{row.id, kind, key::edit(row.id), key::reauth(row.id), key::remove(row.id),
                                  has_credential});
    }
  }
}

AccountsPane AccountsPane::load(store::RootOverride root_override) {
  auto lists = store::import_legacy_settings(root_override);
  auto statuses = store::load_sync_statuses(root_override);
  return AccountsPane(std::move(root_override), std::move(lists), std::move(statuses), false);
}

AccountsPane AccountsPane::from_app_state(store::RootOverride root_override, store::AccountLists lists,
                                          bool sample_mode) {
  return AccountsPane(std::move(root_override), std::move(lists), {}, sample_mode);
}

AccountsPane AccountsPane::with_accounts_request(settings_app::AccountsRequestCell cell) && {
  accounts_request_ = std::move(cell);
  return std::move(*this);
}

AccountsPane AccountsPane::with_account_check(account_probe::AccountCheck check) && {
  account_check_fn_ = std::move(check);
  return std::move(*this);
}

AccountsPane AccountsPane::with_clock(CheckClock clock) && {
  clock_ = std::move(clock);
  return std::move(*this);
}

AccountsPane AccountsPane::with_store_job_starter(StoreJobStarter starter) && {
  store_job_starter_ = std::move(starter);
  return std::move(*this);
}

void AccountsPane::reload() {
  lists_ = store::import_legacy_settings(root_override_);
  sync_statuses_ = store::load_sync_statuses(root_override_);
  vault_stale_ = true;
  refresh_row_keys();
}

std::optional<orvo_ui::PaneDescriptor> AccountsPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::ExternalAccounts);
}

bool AccountsPane::needs_idle_sync() const {
  if (account_check_ || credential_check_ || store_job_running() || vault_stale_) return true;
  return view() && view()->needs_idle_sync();
}

std::optional<orvo_ui::Deadline> AccountsPane::next_wake_deadline() const {
  std::optional<std::chrono::steady_clock::time_point> earliest;
  for (const auto* check : {&account_check_, &credential_check_}) {
    if (*check && (!earliest || (*check)->deadline < *earliest)) earliest = (*check)->deadline;
  }
  std::optional<orvo_ui::Deadline> own;
  if (earliest) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*earliest - clock_());
    own = orvo_ui::Deadline::after_millis(std::max<std::int64_t>(0, left.count()));
  }
  std::optional<orvo_ui::Deadline> child = view() ? view()->next_wake_deadline() : std::nullopt;
  if (own && child) return std::min(*own, *child);
  return own ? own : child;
}

bool AccountsPane::form_busy() const {
  return account_check_.has_value() ||
         (store_step_ && (*store_step_ == StoreStep::PrepareDraft || *store_step_ == StoreStep::SaveAccount));
}

bool AccountsPane::replacement_busy() const {
  return credential_check_.has_value() || (store_step_ && (*store_step_ == StoreStep::PrepareReplacement ||
                                                           *store_step_ == StoreStep::SaveReplacement));
}

bool AccountsPane::pressed(orvo_doc::Document& document, std::string_view press_key) {
  return take_press(document, object_, press_key);
}

// --- store jobs ---

std::expected<void, std::string> AccountsPane::start_store(StoreStep step, StoreJob job) {
  auto [sender, receiver] = orvo_runtime::make_channel<StoreAnswer>(1);
  if (auto started = store_job_starter_(std::move(job), std::move(sender)); !started) {
    return std::unexpected("could not start reading the saved passwords: " + started.error());
  }
  store_job_.emplace(std::move(receiver));
  store_step_ = step;
  return {};
}

void AccountsPane::step_store_job() {
  if (store_job_) {
    auto received = store_job_->try_recv();
    if (auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
      if (*error == orvo_runtime::TryRecvError::Empty) return;
      const StoreStep step = *store_step_;
      store_job_.reset();
      store_step_.reset();
      store_job_failed(step, std::string(sentence::kStoreJobStopped));
    } else {
      store_job_.reset();
      store_step_.reset();
      take_store_answer(std::move(std::get<StoreAnswer>(received)));
    }
    mark_structure_dirty();
  }
  if (store_job_ || !vault_stale_) return;
  vault_stale_ = false;
  if (auto started = start_store(StoreStep::ReadVault, store_jobs::read_vault(root_override_)); !started) {
    vault_message_ = started.error();
  }
  mark_structure_dirty();
}

void AccountsPane::store_job_failed(StoreStep step, const std::string& message) {
  switch (step) {
    case StoreStep::ReadVault:
      vault_message_ = message;
      break;
    case StoreStep::PrepareDraft:
    case StoreStep::SaveAccount:
    case StoreStep::Remove:
      pending_draft_.reset();
      form_.message = message;
      break;
    case StoreStep::PrepareReplacement:
    case StoreStep::SaveReplacement:
      pending_reauth_.reset();
      reauth_message_ = message;
      break;
  }
}

void AccountsPane::take_store_answer(StoreAnswer answer) {
  std::visit(
      [&](auto&& a) {
        using A = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<A, store_answer::VaultRead>) {
          vault_ = std::move(a.vault);
          vault_message_.reset();
          refresh_row_keys();
        } else if constexpr (std::is_same_v<A, store_answer::DraftPrepared>) {
          take_prepared_draft(std::move(a));
        } else if constexpr (std::is_same_v<A, store_answer::AccountSaved>) {
          take_saved_account(std::move(a));
        } else if constexpr (std::is_same_v<A, store_answer::ReplacementPrepared>) {
          take_prepared_replacement(std::move(a));
        } else if constexpr (std::is_same_v<A, store_answer::ReplacementSaved>) {
          take_saved_replacement(std::move(a));
        } else {
          take_removed_account(std::move(a));
        }
      },
      std::move(answer));
}

// --- checks ---

std::optional<PendingCheck> AccountsPane::start_check(const ::accounts::Account& account,
                                                      const orvo_secret::SecretString& secret, std::string& failure) {
  auto [sender, receiver] = orvo_runtime::make_channel<AccountCheckOutcome>(1);
  auto started = workers::start_account_check_worker(std::move(sender), account_check_fn_, account, secret.clone());
  if (!started) {
    failure = "could not start the connection check: " + started.error();
    return std::nullopt;
  }
  return PendingCheck{std::move(receiver), clock_() + kCheckTimeout};
}

std::optional<AccountCheckOutcome> AccountsPane::poll_check(PendingCheck& check, std::string_view vanished) {
  auto received = check.receiver.try_recv();
  if (auto* outcome = std::get_if<AccountCheckOutcome>(&received)) return std::move(*outcome);
  if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Disconnected) {
    return AccountCheckOutcome::failure(std::string(vanished));
  }
  if (clock_() >= check.deadline) return AccountCheckOutcome::failure(std::string(sentence::kTimedOut));
  return std::nullopt;
}

// --- the pass ---

void AccountsPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  step_store_job();
  take_request();
  if (!document) {
    if (form_.take_structure_dirty()) mark_structure_dirty();
    return;
  }
  step_add_buttons(*document);
  step_edit_buttons(*document);
  step_cancel_form(*document);
  step_submit_form(*document);
  step_account_check();
  step_reauth_buttons(*document);
  step_cancel_replacement(*document);
  step_submit_replacement(*document);
  step_credential_check();
  step_removal(*document);
  if (form_.take_structure_dirty()) mark_structure_dirty();
}

void AccountsPane::take_request() {
  std::optional<AccountsRequest> request = accounts_request_.snapshot();
  // Published every pass, so the cell never holds a request the pane has seen.
  (void)accounts_request_.publish(std::nullopt);
  if (!request) return;
  std::visit(
      [&](const auto& r) {
        using R = std::decay_t<decltype(r)>;
        if constexpr (std::is_same_v<R, AccountsRequest::Add>) {
          open_add_form(form_, r.kind);
          mark_structure_dirty();
        } else if constexpr (std::is_same_v<R, AccountsRequest::Open>) {
          open_account_editor(form_, root_override_, lists_, r.account_id);
        } else if constexpr (std::is_same_v<R, AccountsRequest::Reauthenticate>) {
          open_replacement(r.account_id);
        } else if constexpr (std::is_same_v<R, AccountsRequest::SubmitForm>) {
          submit_form_requested_ = true;
        } else if constexpr (std::is_same_v<R, AccountsRequest::CancelForm>) {
          cancel_form_requested_ = true;
        } else if constexpr (std::is_same_v<R, AccountsRequest::SubmitReauthentication>) {
          submit_reauth_requested_ = true;
        } else {
          cancel_reauth_requested_ = true;
        }
      },
      static_cast<const AccountsRequest::variant&>(*request));
}

void AccountsPane::open_replacement(std::string id) {
  reauth_id_ = std::move(id);
  reauth_message_.reset();
  reauth_password_->clear();
  mark_structure_dirty();
}

void AccountsPane::close_form() {
  form_.kind.reset();
  form_.message.reset();
  form_.editing_id.reset();
  clear_form_fields(form_);
  mark_structure_dirty();
}

void AccountsPane::step_add_buttons(orvo_doc::Document& document) {
  for (const AccountKind kind : store::kAccountKinds) {
    if (!pressed(document, add_keys_[static_cast<std::size_t>(kind)])) continue;
    if (form_.is_open()) continue;
    open_add_form(form_, kind);
  }
}

void AccountsPane::step_edit_buttons(orvo_doc::Document& document) {
  if (sample_mode_) return;
  for (const RowKeys& row : row_keys_) {
    if (!pressed(document, row.edit)) continue;
    open_account_editor(form_, root_override_, lists_, row.id);
    return;
  }
}

void AccountsPane::step_cancel_form(orvo_doc::Document& document) {
  const bool requested = std::exchange(cancel_form_requested_, false);
  if (!(pressed(document, key::kFormCancel) || requested)) return;
  if (!form_.is_open()) return;
  account_check_.reset();
  pending_draft_.reset();
  if (store_step_ == StoreStep::PrepareDraft) {
    // Its answer goes nowhere; nothing was written.
    store_job_.reset();
    store_step_.reset();
  }
  close_form();
}

void AccountsPane::step_submit_form(orvo_doc::Document& document) {
  // A press waits, still pressed, until the running store job has ended.
  if (store_job_running()) return;
  const bool requested = std::exchange(submit_form_requested_, false);
  if (!(pressed(document, key::kFormSave) || requested)) return;
  if (!form_.is_open() || account_check_) return;
  auto values = form_.submitted_values();
  if (!values) return;
  mark_structure_dirty();
  auto job = store_jobs::prepare_draft(root_override_, *form_.kind, form_.editing_id, std::move(*values));
  if (auto started = start_store(StoreStep::PrepareDraft, std::move(job)); !started) {
    form_.message = started.error();
    return;
  }
  form_.message = std::string(sentence::kReadingSavedPasswords);
}

void AccountsPane::take_prepared_draft(store_answer::DraftPrepared answer) {
  if (!form_.is_open()) return;
  if (!answer.draft) {
    form_.message = answer.draft.error();
    return;
  }
  std::string failure;
  auto check = start_check(answer.draft->prepared.account, answer.draft->prepared.credential.secret, failure);
  if (!check) {
    form_.message = failure;
    return;
  }
  account_check_ = std::move(check);
  pending_draft_ = std::move(*answer.draft);
  form_.message = std::string(sentence::kCheckingAccount);
}

void AccountsPane::step_account_check() {
  if (!account_check_ || store_job_running()) return;
  auto outcome = poll_check(*account_check_, sentence::kAccountCheckStopped);
  if (!outcome) return;
  account_check_.reset();
  mark_structure_dirty();
  if (!outcome->succeeded()) {
    pending_draft_.reset();
    form_.message = outcome->message;
    return;
  }
  auto draft = std::exchange(pending_draft_, std::nullopt);
  if (!draft) {
    form_.message = std::string(sentence::kNoPendingDraft);
    return;
  }
  if (auto started = start_store(StoreStep::SaveAccount, store_jobs::save_account(root_override_, std::move(*draft)));
      !started) {
    form_.message = started.error();
    return;
  }
  form_.message = std::string(sentence::kReadingSavedPasswords);
}

void AccountsPane::take_saved_account(store_answer::AccountSaved answer) {
  if (!answer.saved) {
    form_.message = answer.saved.error();
    return;
  }
  close_form();
  reload();
}

void AccountsPane::step_reauth_buttons(orvo_doc::Document& document) {
  if (sample_mode_) return;
  for (const RowKeys& row : row_keys_) {
    // The press is taken for every row, so one left on a row without a saved password cannot
    // open the form later by itself.
    if (pressed(document, row.reauth) && row.has_credential) open_replacement(row.id);
  }
}

void AccountsPane::step_cancel_replacement(orvo_doc::Document& document) {
  const bool requested = std::exchange(cancel_reauth_requested_, false);
  if (!(pressed(document, key::kReauthCancel) || requested)) return;
  reauth_id_.reset();
  reauth_message_.reset();
  credential_check_.reset();
  pending_reauth_.reset();
  if (store_step_ == StoreStep::PrepareReplacement) {
    store_job_.reset();
    store_step_.reset();
  }
  reauth_password_->clear();
  mark_structure_dirty();
}

void AccountsPane::step_submit_replacement(orvo_doc::Document& document) {
  if (store_job_running()) return;
  const bool requested = std::exchange(submit_reauth_requested_, false);
  if (!(pressed(document, key::kReauthSave) || requested)) return;
  if (credential_check_ || !reauth_id_) return;
  mark_structure_dirty();
  orvo_secret::SecretString password(
      account_probe::trim_unicode_whitespace(reauth_password_->copy().view()));
  if (password.view().empty()) {
    reauth_message_ = std::string(sentence::kEnterPassword);
    return;
  }
  auto job = store_jobs::prepare_replacement(root_override_, *reauth_id_, std::move(password));
  if (auto started = start_store(StoreStep::PrepareReplacement, std::move(job)); !started) {
    reauth_message_ = started.error();
    return;
  }
  reauth_message_ = std::string(sentence::kReadingSavedPasswords);
}

void AccountsPane::take_prepared_replacement(store_answer::ReplacementPrepared answer) {
  // Cancelled, or another account chosen, while the vault was read.
  if (reauth_id_ != answer.id) return;
  if (!answer.account) {
    reauth_message_ = std::string(sentence::kAccountGone);
    return;
  }
  std::string failure;
  auto check = start_check(*answer.account, answer.credential.secret, failure);
  if (!check) {
    reauth_message_ = failure;
    return;
  }
  credential_check_ = std::move(check);
  pending_reauth_ = PendingReauth{answer.id, std::move(answer.credential)};
  reauth_message_ = std::string(sentence::kCheckingCredential);
}

void AccountsPane::step_credential_check() {
  if (!credential_check_ || store_job_running()) return;
  auto outcome = poll_check(*credential_check_, sentence::kCredentialCheckStopped);
  if (!outcome) return;
  credential_check_.reset();
  mark_structure_dirty();
  if (!outcome->succeeded()) {
    pending_reauth_.reset();
    reauth_message_ = outcome->message;
    return;
  }
  auto pending = std::exchange(pending_reauth_, std::nullopt);
  if (!pending) {
    reauth_message_ = std::string(sentence::kNoPendingReauth);
    return;
  }
  auto job = store_jobs::save_replacement(root_override_, pending->id, std::move(pending->credential));
  if (auto started = start_store(StoreStep::SaveReplacement, std::move(job)); !started) {
    reauth_message_ = started.error();
    return;
  }
  reauth_message_ = std::string(sentence::kReadingSavedPasswords);
}

void AccountsPane::take_saved_replacement(store_answer::ReplacementSaved answer) {
  if (!answer.vault) {
    reauth_message_ = answer.vault.error();
    return;
  }
  reauth_id_.reset();
  reauth_message_.reset();
  reauth_password_->clear();
  vault_ = std::move(*answer.vault);
  vault_message_.reset();
  refresh_row_keys();
}

void AccountsPane::take_removed_account(store_answer::AccountRemoved answer) {
  if (!answer.removed) {
    form_.message = answer.removed.error();
    return;
  }
  removed_ids_.push_back(answer.id);
  reload();
}

void AccountsPane::step_removal(orvo_doc::Document& document) {
  if (pressed(document, key::kRemoveCancel)) {
    pending_removal_.reset();
    mark_structure_dirty();
  }
  if (!store_job_running() && pressed(document, key::kRemoveConfirm)) {
    if (auto removal = std::exchange(pending_removal_, std::nullopt)) {
      if (auto started = start_store(StoreStep::Remove, store_jobs::remove(root_override_, removal->kind, removal->id));
          !started) {
        form_.message = started.error();
      }
      mark_structure_dirty();
    }
  }
  if (sample_mode_) return;
  for (const RowKeys& row : row_keys_) {
    if (std::ranges::find(removed_ids_, row.id) != removed_ids_.end()) continue;
    if (!pressed(document, row.remove)) continue;
    pending_removal_ = PendingRemoval{row.kind, row.id};
    mark_structure_dirty();
    return;
  }
}

}  // namespace settings::panes::accounts
