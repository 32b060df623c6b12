// Account operations addressed to the root: the form requests for the accounts pane, the removal
// of an account and the account connection check.
#include <utility>

#include "accounts/remove_account.h"
#include "accounts/store_access.h"
#include "actions/operation_payload.h"
#include "panes/workers/account_check_worker.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
namespace {

using orvo_ui::OperationClass;
using AccountCheckOutcome = account_probe::AccountCheckOutcome;

constexpr std::string_view kAccountOperationKind = actions::AccountOperation::kKind;
constexpr std::string_view kClassMismatch = "operation kind does not match account operation";
constexpr std::string_view kCheckEndedWithoutResult = "the connection check ended without a result";
constexpr std::string_view kCheckFailedCode = "account_connection_failed";

// Opening and closing forms are navigation; submitting a form, testing and removing change state.
OperationClass required_class(const actions::AccountOperation& operation) {
  namespace op = actions::account_operation;
  const bool effect = std::holds_alternative<op::SubmitForm>(operation) ||
                      std::holds_alternative<op::SubmitReauthentication>(operation) ||
                      std::holds_alternative<op::Test>(operation) || std::holds_alternative<op::Remove>(operation);
  return effect ? OperationClass::Effect : OperationClass::Navigation;
}

std::optional<settings::accounts::AccountKind> kind_of_type(std::string_view stored_type) {
  for (const auto kind : settings::accounts::kAccountKinds) {
    if (settings::accounts::type_id(kind) == stored_type) return kind;
  }
  return std::nullopt;
}

}  // namespace

orvo_ui::StartAnswer SettingsApp::start_account_operation(const orvo_ui::RequestId& id, OperationClass cls,
                                                          std::string_view payload) {
  auto operation = actions::decode_payload<actions::AccountOperation>(payload);
  if (!operation) return orvo_ui::start::Rejected{operation.error().text()};
  select_section(SettingsSection::ExternalAccounts);
  if (cls != required_class(*operation)) return orvo_ui::start::Rejected{std::string(kClassMismatch)};

  if (const auto* test = std::get_if<actions::AccountOperation::Test>(&*operation)) {
    return start_account_check(id, test->id);
  }
  if (const auto* remove = std::get_if<actions::AccountOperation::Remove>(&*operation)) {
    return remove_stored_account(remove->id);
  }
  const std::string json = actions::encode_payload(*operation);
  const orvo_ui::InvokeAnswer answer = invoke_resource_operation(cls, kAccountOperationKind, json, nullptr);
  if (const auto* error = std::get_if<orvo_ui::InvokeError>(&answer)) return orvo_ui::start::Rejected{error->message};
  return orvo_ui::start::Completed{};
}

orvo_ui::InvokeAnswer SettingsApp::invoke_account_operation(OperationClass cls, std::string_view payload) {
  auto operation = actions::decode_payload<actions::AccountOperation>(payload);
  if (!operation) return orvo_ui::InvokeError{operation.error().text()};
  select_section(SettingsSection::ExternalAccounts);
  // Tests and removals are carried out by the intake itself, never through a form request.
  const bool form_operation = !std::holds_alternative<actions::AccountOperation::Test>(*operation) &&
                              !std::holds_alternative<actions::AccountOperation::Remove>(*operation);
  if (!form_operation || cls != required_class(*operation)) return orvo_ui::InvokeError{std::string(kClassMismatch)};

  auto request = accounts_request_for(*operation);
  if (!request) return orvo_ui::InvokeError{request.error()};
  accounts_request_.publish(std::move(*request));
  return orvo_ui::Handled{true};
}

orvo_ui::StartAnswer SettingsApp::start_account_check(const orvo_ui::RequestId& id, const std::string& account_id) {
  if (running_account_check_) return orvo_ui::start::Rejected{"an account connection check is already running"};

  const ::accounts::AccountStore store = settings::accounts::load_account_store(accounts_root_);
  const ::accounts::Account* stored = store.get(account_id);
  if (!stored) return orvo_ui::start::Rejected{"account no longer exists"};
  auto credential = settings::accounts::open_secret_vault(accounts_root_).get(account_id);
  if (!credential) return orvo_ui::start::Rejected{"this account has no saved credential; sign in again first"};

  auto [sender, receiver] = orvo_runtime::make_channel<AccountCheckOutcome>(1);
  // A check that throws ends without an answer; the poll reports the closed channel as a failure.
  auto started = panes::workers::start_account_check_worker(std::move(sender), account_check_, *stored,
                                                            std::move(credential->secret));
  if (!started) return orvo_ui::start::Rejected{"could not start the connection check: " + started.error()};
  running_account_check_.emplace(RunningAccountCheck{id, std::move(receiver)});
  return orvo_ui::start::InFlight{};
}

orvo_ui::StartAnswer SettingsApp::remove_stored_account(const std::string& account_id) {
  const ::accounts::AccountStore store = settings::accounts::load_account_store(accounts_root_);
  const ::accounts::Account* stored = store.get(account_id);
  if (!stored) return orvo_ui::start::Rejected{"account no longer exists"};
  const auto kind = kind_of_type(stored->type_id);
  if (!kind) return orvo_ui::start::Rejected{"unsupported account type"};

  auto removed = settings::panes::accounts::remove_account(accounts_root_, *kind, account_id);
  if (!removed) return orvo_ui::start::Rejected{removed.error()};
  reload_accounts();
  rebuild_shell();
  return orvo_ui::start::Completed{};
}

std::optional<orvo_ui::OperationCompletion> SettingsApp::poll_account_check(const orvo_ui::RequestId& id,
                                                                           bool cancel) {
  if (!running_account_check_ || running_account_check_->id != id) return std::nullopt;
  if (cancel) {
    // Dropping the receiving end makes the thread's later send go nowhere.
    running_account_check_.reset();
    return orvo_ui::completion::Cancelled{"connection check cancelled"};
  }
  auto received = running_account_check_->result.try_recv();
  if (const auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
    if (*error == orvo_runtime::TryRecvError::Empty) return std::nullopt;
    running_account_check_.reset();
    return orvo_ui::completion::Failed{std::string(kCheckFailedCode), std::string(kCheckEndedWithoutResult)};
  }
  AccountCheckOutcome outcome = std::move(std::get<AccountCheckOutcome>(received));
  running_account_check_.reset();
  if (outcome.succeeded()) return orvo_ui::completion::Succeeded{std::move(outcome.message)};
  return orvo_ui::completion::Failed{std::string(kCheckFailedCode), std::move(outcome.message)};
}

}  // namespace settings::settings_app
