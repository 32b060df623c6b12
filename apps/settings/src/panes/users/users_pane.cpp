#include "panes/users/users_pane.h"

#include <fmt/format.h>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <variant>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "os_actions/users.h"
#include "panes/document_controls.h"
#include "panes/workers/update_workers.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"

namespace settings::panes::users {
namespace {

using orvo_doc::Document;
using orvo_runtime::TryRecvError;
namespace identity = runtime_identity::unix;

constexpr std::string_view kChangeThread = "orvo-users-change";

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

Outcome from_io(std::expected<void, orvo_runtime::IoError> result) {
  if (!result) return std::unexpected(result.error().text);
  return {};
}

class SystemUserBackend final : public UserBackend {
 public:
  Outcome create_user(const std::string& username, const std::string& full_name,
                      const orvo_secret::SecretString& password) const override {
    // Everything is checked before the account exists, so a refused password leaves no account.
    namespace os = os_actions::users;
    if (auto checked = os::check_user_name(username); !checked) return checked;
    if (auto checked = os::check_full_name(full_name); !checked) return checked;
    if (auto checked = os::check_password(password); !checked) return checked;
    if (auto created = os::create_user(username, full_name, false); !created) return created;
    return os::set_password(username, password);
  }
  Outcome delete_user(const LocalUser& account, bool remove_files) const override {
    return os_actions::users::delete_user(account.username, account.uid, remove_files);
  }
  Outcome set_role(const std::string& username, bool administrator) const override {
    return os_actions::users::set_role(username, administrator);
  }
  Outcome set_automatic_login(const std::string& username, bool enabled) const override {
    return os_actions::users::set_automatic_login(username, enabled);
  }
};

// The lists as they are now, read on a worker.
UsersReading read_lists(const UsersServices& services) {
  UsersReading reading;
  reading.users = services.local_users();
  auto dir = services.identity_dir();
  if (!dir) return reading;
  reading.identity_dir = *dir;
  auto listed = services.list_identities(*dir);
  reading.identities = listed ? std::move(*listed) : std::vector<LocalIdentity>{};
  return reading;
}

}  // namespace

namespace key {
std::string role(std::string_view username) { return fmt::format("settings.users.role.{}", username); }
std::string autologin(std::string_view username) { return fmt::format("settings.users.autologin.{}", username); }
std::string remove(std::string_view username) { return fmt::format("settings.users.remove.{}", username); }
std::string confirm_remove(std::string_view username) {
  return fmt::format("settings.users.confirm_remove.{}", username);
}
std::string confirm_remove_keep(std::string_view username) {
  return fmt::format("settings.users.confirm_remove_keep.{}", username);
}
std::string identity_activate(std::string_view id) { return fmt::format("settings.users.identity.activate.{}", id); }
std::string identity_remove(std::string_view id) { return fmt::format("settings.users.identity.remove.{}", id); }
std::string identity_confirm_remove(std::string_view id) {
  return fmt::format("settings.users.identity.confirm_remove.{}", id);
}
std::string identity_protect(std::string_view id) { return fmt::format("settings.users.identity.protect.{}", id); }
}  // namespace key

std::shared_ptr<const UserBackend> system_user_backend() { return std::make_shared<const SystemUserBackend>(); }

Outcome UnixIdentityBackend::set_active_identity(const std::string& id) const {
  return from_io(identity::set_active_identity(dir_, id));
}
Outcome UnixIdentityBackend::remove_identity(const std::string& id) const {
  return from_io(identity::remove_identity(dir_, id));
}
Outcome UnixIdentityBackend::secure_identity(const std::string& id) const {
  return from_io(identity::secure_identity(dir_, id));
}

UsersServices UsersServices::system() {
  UsersServices services;
  services.users = system_user_backend();
  services.local_users = [] { return users::local_users(); };
  services.identity_dir = []() -> std::expected<std::filesystem::path, std::string> {
    auto dir = identity::identity_dir_from_env();
    if (!dir) return std::unexpected(dir.error().text);
    return *dir;
  };
  services.list_identities =
      [](const std::filesystem::path& dir) -> std::expected<std::vector<LocalIdentity>, std::string> {
    auto listed = identity::list_identities(dir);
    if (!listed) return std::unexpected(listed.error().text);
    return std::move(*listed);
  };
  services.start_worker = [](std::string name, std::function<void()> work) {
    return workers::start_worker(std::move(name), std::move(work));
  };
  return services;
}

std::string key_fingerprint(const LocalIdentity& identity) {
  const auto& bytes = identity.user_public_key.bytes;
  return fmt::format("{:02X}{:02X}{:02X}{:02X}", bytes[0], bytes[1], bytes[2], bytes[3]);
}

std::string_view protection_text(SigningProtection protection) {
  switch (protection) {
    case SigningProtection::DesktopKeyring: return "Secret Service + app-scoped signing broker";
    case SigningProtection::PrivateFile: return "Private session file + app-scoped signing broker";
    case SigningProtection::HardwareBacked: return "Hardware-backed + app-scoped signing broker";
    case SigningProtection::NeedsMigration: return "Migration required";
  }
  return "Migration required";
}

// The constructor reads nothing: the first pass starts the reading on a worker.
UsersPane::UsersPane(UsersServices services)
    : PaneGlue("UsersPane", DirtyRule::AlwaysAskView), services_(std::move(services)) {}

UsersPane UsersPane::with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  return std::move(*this);
}

UsersPane UsersPane::with_operation_status(StatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> UsersPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Users);
}

bool UsersPane::needs_idle_sync() const {
  if (change_rx_) return true;
  return view() && view()->needs_idle_sync();
}

// --- changes on the worker ---

void UsersPane::start_change(Call call, bool for_operation) {
  auto [sender, receiver] = orvo_runtime::make_channel<ChangeReport>(1);
  change_for_operation_ = for_operation;
  std::function<ChangeReport()> work = [call = std::move(call), services = services_]() {
    ChangeReport report{call(), {}};
    report.reading = read_lists(services);
    return report;
  };
  auto started = services_.start_worker(
      std::string(kChangeThread), [sender = std::move(sender), work = std::move(work), wake = wake_]() mutable {
        workers::single_message_worker<ChangeReport>(std::move(sender), std::move(work), wake);
      });
  if (!started) {
    // Answered through the same path as a change whose worker ran, with the lists kept.
    orvo_log::warn("users change worker could not start", {{"error", started.error()}});
    auto [failed_sender, failed_receiver] = orvo_runtime::make_channel<ChangeReport>(1);
    UsersReading kept{users_, identities_, identity_dir_};
    (void)failed_sender.send(ChangeReport{std::unexpected("worker could not start: " + started.error()), kept});
    change_rx_.emplace(std::move(failed_receiver));
    return;
  }
  change_rx_.emplace(std::move(receiver));
}

void UsersPane::receive_change() {
  if (!change_rx_) return;
  auto received = change_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  change_rx_.reset();
  if (auto* report = std::get_if<ChangeReport>(&received)) {
    finish(*report);
    return;
  }
  finish(ChangeReport{std::unexpected(std::string(sentence::kWorkerStopped)), {users_, identities_, identity_dir_}});
}

void UsersPane::finish(const ChangeReport& report) {
  const bool first_reading = !std::exchange(loaded_, true);
  if (std::exchange(change_for_operation_, false)) {
    operations_.finish(report.result ? PaneOutcome::success(std::string(sentence::kUpdated))
                                     : PaneOutcome::failure(report.result.error()));
  }
  // The first reading is no change: it leaves an error shown so far as it is.
  if (!first_reading) {
    error_ = report.result ? std::nullopt : std::optional<std::string>(report.result.error());
  }
  // A created account closes the form; after a failure it stays open, its fields already empty.
  if (std::exchange(change_is_create_, false) && report.result) add_form_visible_ = false;
  users_ = report.reading.users;
  if (report.reading.identities) identities_ = *report.reading.identities;
  // A store that stops resolving takes its buttons' changes with it; the list shown stays.
  identity_dir_ = report.reading.identity_dir;
  mark_structure_dirty();
}

// --- the pass ---

void UsersPane::sync_pane(Document* document, orvo_ui::SyncContext&) {
  if (!loaded_ && !change_rx_) start_change([] { return Outcome{}; }, false);
  receive_change();
  // An operation is taken at once, so the shell sees it arrived, and carried out once the accounts
  // are known and no other change runs; until then it is pending.
  (void)operations_.take([](const settings_app::PaneOperation& operation) {
    return std::holds_alternative<Operation>(operation);
  });
  if (loaded_ && !change_rx_ && operations_.in_hand()) carry_out_operation();
  if (document) {
    step_form(*document);
    step_accounts(*document);
    step_identities(*document);
  }
}

bool UsersPane::pressed(Document& document, std::string_view press_key) {
  return take_press(document, object_, press_key);
}

bool UsersPane::refuse_while_busy() {
  if (!change_rx_) return false;
  error_ = std::string(sentence::kBusy);
  mark_structure_dirty();
  return true;
}

void UsersPane::carry_out_operation() {
  const Operation operation = std::get<Operation>(operations_.in_hand()->operation());
  if (!operations_.status_cell().snapshot().is_running(operations_.in_hand()->key())) {
    // Nothing is published: the status has moved on (a later operation, or this one cancelled).
    operations_.finish(PaneOutcome::failure(std::string(sentence::kStale)));
    error_ = std::string(sentence::kStale);
    mark_structure_dirty();
    return;
  }
  const std::string& username = std::visit([](const auto& op) -> const std::string& { return op.username; },
                                           static_cast<const Operation::variant&>(operation));
  const auto account = std::find_if(users_.begin(), users_.end(), [&](const LocalUser& user) {
    return user.username == username && !user.signed_in;
  });
  if (account == users_.end()) {
    start_change([] { return Outcome(std::unexpected(std::string(sentence::kAccountGone))); }, true);
    return;
  }
  const auto backend = services_.users;
  std::visit(
      [&](const auto& op) {
        using Op = std::decay_t<decltype(op)>;
        if constexpr (std::is_same_v<Op, Operation::SetAdmin>) {
          if (account->administrator == op.admin) return start_change([] { return Outcome{}; }, true);
          start_change([backend, op] { return backend->set_role(op.username, op.admin); }, true);
        } else if constexpr (std::is_same_v<Op, Operation::SetAutologin>) {
          if (account->automatic_login == op.enabled) return start_change([] { return Outcome{}; }, true);
          start_change([backend, op] { return backend->set_automatic_login(op.username, op.enabled); }, true);
        } else {
          start_change([backend, user = *account, files = op.remove_files] { return backend->delete_user(user, files); },
                       true);
        }
      },
      static_cast<const Operation::variant&>(operation));
}

void UsersPane::empty_form_fields(Document& document) {
  for (std::string_view field : {key::kFullName, key::kUsername}) {
    // A Str put first makes `ensure_text_object` seed a fresh, empty Text object.
    (void)document.put(object_, field, orvo_doc::ScalarValue::str(""));
    (void)lib::ensure_text_object(document, object_, field);
  }
}

void UsersPane::step_form(Document& document) {
  if (pressed(document, key::kAdd)) {
    add_form_visible_ = true;
    for (std::string_view field : {key::kFullName, key::kUsername}) {
      (void)lib::ensure_text_object(document, object_, field);
    }
    mark_structure_dirty();
  }
  if (pressed(document, key::kFormCancel)) {
    add_form_visible_ = false;
    empty_form_fields(document);
    password_->clear();
    mark_structure_dirty();
  }
  if (!pressed(document, key::kFormSave) || refuse_while_busy()) return;
  const std::string full_name = trimmed(lib::read_text(document, object_, key::kFullName).value_or(""));
  const std::string username = trimmed(lib::read_text(document, object_, key::kUsername).value_or(""));
  // The one copy of the password leaves the buffer (which is wiped) and goes to the worker.
  auto password = std::make_shared<orvo_secret::SecretString>(password_->take());
  empty_form_fields(document);
  mark_structure_dirty();
  start_change(
      [backend = services_.users, username, full_name, password, wiped = services_.password_copy_wiped] {
        Outcome created = backend->create_user(username, full_name, *password);
        password->wipe();
        if (wiped) wiped(password->storage_for_testing());
        password->clear();
        return created;
      },
      false);
  change_is_create_ = true;
}

void UsersPane::step_accounts(Document& document) {
  const auto backend = services_.users;
  for (const LocalUser& account : std::vector<LocalUser>(users_)) {
    // The signed-in account shows no buttons; a flag written under its keys from elsewhere does
    // not demote or remove it either.
    if (account.signed_in) continue;
    if (pressed(document, key::role(account.username)) && !refuse_while_busy()) {
      start_change([backend, name = account.username, admin = !account.administrator] {
        return backend->set_role(name, admin);
      }, false);
    }
    if (pressed(document, key::autologin(account.username)) && !refuse_while_busy()) {
      start_change([backend, name = account.username, enabled = !account.automatic_login] {
        return backend->set_automatic_login(name, enabled);
      }, false);
    }
    if (pressed(document, key::remove(account.username))) {
      pending_account_removal_ = account.username;
      mark_structure_dirty();
    }
    for (const bool remove_files : {true, false}) {
      const std::string confirm = remove_files ? key::confirm_remove(account.username)
                                               : key::confirm_remove_keep(account.username);
      if (!pressed(document, confirm) || refuse_while_busy()) continue;
      pending_account_removal_.reset();
      start_change([backend, account, remove_files] { return backend->delete_user(account, remove_files); }, false);
    }
  }
}

void UsersPane::identity_change(Outcome (UnixIdentityBackend::*method)(const std::string&) const, std::string id) {
  if (!identity_dir_) {
    start_change([] { return Outcome(std::unexpected(std::string(sentence::kNoIdentityStore))); }, false);
    return;
  }
  start_change([backend = UnixIdentityBackend(*identity_dir_), method, id = std::move(id)] {
    return (backend.*method)(id);
  }, false);
}

void UsersPane::step_identities(Document& document) {
  for (const LocalIdentity& identity : std::vector<LocalIdentity>(identities_)) {
    if (pressed(document, key::identity_activate(identity.id)) && !refuse_while_busy()) {
      identity_change(&UnixIdentityBackend::set_active_identity, identity.id);
    }
    if (pressed(document, key::identity_remove(identity.id))) {
      pending_identity_removal_ = identity.id;
      mark_structure_dirty();
    }
    if (pressed(document, key::identity_confirm_remove(identity.id)) && !refuse_while_busy()) {
      pending_identity_removal_.reset();
      identity_change(&UnixIdentityBackend::remove_identity, identity.id);
    }
    if (pressed(document, key::identity_protect(identity.id)) && !refuse_while_busy()) {
      identity_change(&UnixIdentityBackend::secure_identity, identity.id);
    }
  }
}

std::unique_ptr<orvo_ui::Widget> users_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<UsersPane>(
      UsersPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::users
