#include "panes/accounts/accounts_pane.h"

#include <fmt/format.h>

#include <algorithm>
#include <variant>

#include "accounts/legacy_import.h"
#include "accounts/remove_account.h"
#include "accounts/store_access.h"
#include "panes/accounts/account_save.h"
#include "panes/workers/account_check_worker.h"
#include "settings_app/pane_factory.h"

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
      vault_(store::open_secret_vault(root_override_)),
      sync_statuses_(std::move(statuses)),
      sample_mode_(sample_mode) {
  for (const AccountKind kind : store::kAccountKinds) add_keys_[static_cast<std::size_t>(kind)] = key::add(kind);
  refresh_row_keys();
}

void AccountsPane::refresh_row_keys() {
  row_keys_.clear();
  for (const AccountKind kind : store::kAccountKinds) {
    for (auto& row : store::account_rows(lists_, kind)) {
      const bool has_credential = vault_.get(row.id).has_value();
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

void AccountsPane::reload() {
  lists_ = store::import_legacy_settings(root_override_);
  sync_statuses_ = store::load_sync_statuses(root_override_);
  vault_ = store::open_secret_vault(root_override_);
  refresh_row_keys();
}

std::optional<orvo_ui::PaneDescriptor> AccountsPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::ExternalAccounts);
}

bool AccountsPane::needs_idle_sync() const {
  if (account_check_ || credential_check_) return true;
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

bool AccountsPane::pressed(orvo_doc::Document& document, std::string_view press_key) {
  return take_press(document, object_, press_key);
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
  close_form();
}

void AccountsPane::step_submit_form(orvo_doc::Document& document) {
  const bool requested = std::exchange(submit_form_requested_, false);
  if (!(pressed(document, key::kFormSave) || requested)) return;
  if (!form_.is_open() || account_check_) return;
  auto values = form_.submitted_values();
  if (!values) return;
  const AccountKind kind = *form_.kind;
  auto prepared = prepare_account_draft(root_override_, kind, form_.editing_id, std::nullopt, *values);
  mark_structure_dirty();
  if (!prepared) {
    form_.message = prepared.error();
    return;
  }
  std::string failure;
  auto check = start_check(prepared->account, prepared->credential.secret, failure);
  if (!check) {
    form_.message = failure;
    return;
  }
  account_check_ = std::move(check);
  pending_draft_ = PendingDraft{std::move(*prepared), std::move(*values), form_.editing_id, kind};
  form_.message = std::string(sentence::kCheckingAccount);
}

void AccountsPane::step_account_check() {
  if (!account_check_) return;
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
  // Prepared again, so that what changed in the stores during the check is judged now.
  auto again = prepare_account_draft(root_override_, draft->kind, draft->edited_id, draft->prepared.account.id,
                                     draft->values);
  if (!again) {
    form_.message = again.error();
    return;
  }
  auto saved = save_checked_account(root_override_, *again, draft->values.password);
  if (!saved) {
    form_.message = saved.error();
    return;
  }
  close_form();
  reload();
}

void AccountsPane::step_reauth_buttons(orvo_doc::Document& document) {
  if (sample_mode_) return;
  for (const RowKeys& row : row_keys_) {
    if (row.has_credential && pressed(document, row.reauth)) open_replacement(row.id);
  }
}

void AccountsPane::step_cancel_replacement(orvo_doc::Document& document) {
  const bool requested = std::exchange(cancel_reauth_requested_, false);
  if (!(pressed(document, key::kReauthCancel) || requested)) return;
  reauth_id_.reset();
  reauth_message_.reset();
  credential_check_.reset();
  pending_reauth_.reset();
  reauth_password_->clear();
  mark_structure_dirty();
}

void AccountsPane::step_submit_replacement(orvo_doc::Document& document) {
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
  const auto metadata = store::load_account_store(root_override_);
  const ::accounts::Account* account = metadata.get(*reauth_id_);
  if (!account) {
    reauth_message_ = std::string(sentence::kAccountGone);
    return;
  }
  ::accounts::vault::Credential credential =
      store::open_secret_vault(root_override_).get(*reauth_id_).value_or(::accounts::vault::Credential{});
  credential.secret = std::move(password);
  std::string failure;
  auto check = start_check(*account, credential.secret, failure);
  if (!check) {
    reauth_message_ = failure;
    return;
  }
  credential_check_ = std::move(check);
  pending_reauth_ = PendingReauth{*reauth_id_, std::move(credential)};
  reauth_message_ = std::string(sentence::kCheckingCredential);
}

void AccountsPane::step_credential_check() {
  if (!credential_check_) return;
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
  auto vault = store::open_secret_vault(root_override_);
  vault.put(pending->id, std::move(pending->credential));
  if (auto saved = vault.try_save(); !saved) {
    reauth_message_ = saved.error();
    return;
  }
  reauth_id_.reset();
  reauth_message_.reset();
  reauth_password_->clear();
  vault_ = std::move(vault);
  refresh_row_keys();
}

void AccountsPane::step_removal(orvo_doc::Document& document) {
  if (pressed(document, key::kRemoveCancel)) {
    pending_removal_.reset();
    mark_structure_dirty();
  }
  if (pressed(document, key::kRemoveConfirm)) {
    if (auto removal = std::exchange(pending_removal_, std::nullopt)) {
      auto removed = remove_account(root_override_, removal->kind, removal->id);
      if (removed) {
        removed_ids_.push_back(removal->id);
        reload();
      } else {
        form_.message = removed.error();
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
