#pragma once
// The Users pane: the machine's regular login accounts and the user's own signing identities.
// An administrator adds an account (the password lives only in the pane's wiping buffer, which the
// masked field edits directly, and in the one copy a create takes), makes an account administrator
// or standard, switches its automatic login, and removes it with or without its files after a
// second press; identities are chosen, removed after a second press, or moved to the keyring.
// Typed user operations from the shell arrive in the shared pane-operation cell.
//
// Buttons write true under their keys in the pane's document; each pass takes them once. Every
// platform call, and the reading of the lists that follows it, runs on a worker that sends one
// report and wakes the loop, one change at a time; the pass finishes the change when its report
// arrives. An operation taken from the shell ends under its exact key, also when the pane is
// dropped first; a button's change ends no operation.
//
// Interface thread only, apart from the workers, which hold copies of the shared handles.
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogues/queries/local_users.h"
#include "orvo_identity/local_identity.h"
#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_buffer.h"
#include "orvo_ui/wake.h"
#include "panes/pane_glue.h"
#include "panes/taken_operation.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::users {

using runtime_identity::unix::LocalIdentity;
using runtime_identity::unix::SigningProtection;
using Outcome = std::expected<void, std::string>;

namespace sentence {
inline constexpr std::string_view kStale = "Ignored a stale user-management command.";
inline constexpr std::string_view kAccountGone = "User account is no longer available.";
inline constexpr std::string_view kUpdated = "User account updated.";
inline constexpr std::string_view kNoIdentityStore = "identity store is unavailable";
inline constexpr std::string_view kBusy = "Another account change is still running; try again when it has finished.";
inline constexpr std::string_view kWorkerStopped = "the account change stopped unexpectedly";
}  // namespace sentence

// Keys of the pane's document.
namespace key {
inline constexpr std::string_view kAdd = "settings.users.add";
inline constexpr std::string_view kFormSave = "settings.users.form.save";
inline constexpr std::string_view kFormCancel = "settings.users.form.cancel";
inline constexpr std::string_view kFullName = "users.form.full_name";
inline constexpr std::string_view kUsername = "users.form.username";
std::string role(std::string_view username);
std::string autologin(std::string_view username);
std::string remove(std::string_view username);
std::string confirm_remove(std::string_view username);
std::string confirm_remove_keep(std::string_view username);
std::string identity_activate(std::string_view id);
std::string identity_remove(std::string_view id);
std::string identity_confirm_remove(std::string_view id);
std::string identity_protect(std::string_view id);
}  // namespace key

// The account changes. The system's backend checks what it sends first (os_actions/users.h).
class UserBackend {
 public:
  virtual ~UserBackend() = default;
  // Creates a standard account, then sets its password; the first failure is the answer.
  virtual Outcome create_user(const std::string& username, const std::string& full_name,
                              const orvo_secret::SecretString& password) const = 0;
  virtual Outcome delete_user(const LocalUser& account, bool remove_files) const = 0;
  virtual Outcome set_role(const std::string& username, bool administrator) const = 0;
  virtual Outcome set_automatic_login(const std::string& username, bool enabled) const = 0;
};
std::shared_ptr<const UserBackend> system_user_backend();

// The identity changes, on one identity directory.
class UnixIdentityBackend {
 public:
  explicit UnixIdentityBackend(std::filesystem::path dir) : dir_(std::move(dir)) {}
  Outcome set_active_identity(const std::string& id) const;
  Outcome remove_identity(const std::string& id) const;
  Outcome secure_identity(const std::string& id) const;

 private:
  std::filesystem::path dir_;
};

// What the pane asks of the machine; `system()` gives the real ones, tests replace parts.
struct UsersServices {
  std::shared_ptr<const UserBackend> users;
  std::function<std::vector<LocalUser>()> local_users;
  std::function<std::expected<std::filesystem::path, std::string>()> identity_dir;
  std::function<std::expected<std::vector<LocalIdentity>, std::string>(const std::filesystem::path&)> list_identities;
  // Starts a worker thread that is never joined; an error text when the thread cannot be made.
  std::function<std::expected<void, std::string>(std::string name, std::function<void()> work)> start_worker;
  // Tests only: sees the storage of a create's password copy right after it was wiped.
  std::function<void(std::span<const char> storage)> password_copy_wiped;

  static UsersServices system();
};

// What a worker reads of the machine after a change (or at the start).
struct UsersReading {
  std::vector<LocalUser> users;
  // The identity directory still resolves: its listing (empty when it could not be read).
  std::optional<std::vector<LocalIdentity>> identities;
  std::optional<std::filesystem::path> identity_dir;
};

// One change's report: the call's outcome and the lists read after it.
struct ChangeReport {
  Outcome result;
  UsersReading reading;
};

// The first four bytes of a public key as eight upper-case hexadecimal digits.
std::string key_fingerprint(const LocalIdentity& identity);
std::string_view protection_text(SigningProtection protection);

class UsersPane final : public PaneGlue {
 public:
  explicit UsersPane(UsersServices services = UsersServices::system());
  UsersPane(UsersPane&&) = default;

  // The shell's cells replace the pane's own.
  [[nodiscard]] UsersPane with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) &&;
  [[nodiscard]] UsersPane with_operation_status(StatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::users::UsersPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  bool needs_idle_sync() const override;

  // --- state, for the view and tests ---
  bool loaded() const { return loaded_; }
  bool busy() const { return change_rx_.has_value(); }
  const std::vector<LocalUser>& users() const { return users_; }
  const std::vector<LocalIdentity>& identities() const { return identities_; }
  const std::optional<std::filesystem::path>& identity_dir() const { return identity_dir_; }
  const std::optional<std::string>& error() const { return error_; }
  bool add_form_visible() const { return add_form_visible_; }
  const std::optional<std::string>& pending_account_removal() const { return pending_account_removal_; }
  const std::optional<std::string>& pending_identity_removal() const { return pending_identity_removal_; }
  const std::shared_ptr<orvo_secret::SecretBuffer>& password() const { return password_; }
  // The pane's document, where its buttons write (tests press buttons through it).
  orvo_doc::Document& document() { return *own_document(); }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using Operation = actions::UserOperation;
  using Call = std::function<Outcome()>;

  // Runs `call` and then the reading of the lists on a worker. `for_operation`: its outcome ends
  // the operation in hand.
  void start_change(Call call, bool for_operation);
  void receive_change();
  void finish(const ChangeReport& report);
  bool pressed(orvo_doc::Document& document, std::string_view press_key);
  // A press that would start a change while one runs: refused with a sentence.
  bool refuse_while_busy();

  // Carries out the operation in hand (or drops it as stale).
  void carry_out_operation();
  void step_form(orvo_doc::Document& document);
  void step_accounts(orvo_doc::Document& document);
  void step_identities(orvo_doc::Document& document);
  void empty_form_fields(orvo_doc::Document& document);
  void identity_change(Outcome (UnixIdentityBackend::*method)(const std::string&) const, std::string id);

  UsersServices services_;
  std::vector<LocalUser> users_;
  std::vector<LocalIdentity> identities_;
  std::optional<std::filesystem::path> identity_dir_;
  std::shared_ptr<orvo_secret::SecretBuffer> password_ = orvo_secret::SecretBuffer::make();
  std::optional<std::string> error_;
  bool add_form_visible_ = false;
  std::optional<std::string> pending_account_removal_;
  std::optional<std::string> pending_identity_removal_;
  bool loaded_ = false;

  orvo_ui::WakeHandle wake_;
  PaneOperations<settings_app::PaneOperation> operations_;
  std::optional<orvo_runtime::Receiver<ChangeReport>> change_rx_;
  bool change_for_operation_ = false;
  bool change_is_create_ = false;
};

// The pane factory's builder: the pane with the root's cells.
std::unique_ptr<orvo_ui::Widget> users_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::users
