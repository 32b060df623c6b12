#pragma once
// The form through which the user adds or edits one online account. Its four plain values are text
// cells that the form's text inputs share; the password is a secret buffer that the password input
// edits, so the typed password lives only in wiping memory. The form also knows which kind of
// account it shows (none while it is closed), which stored account it edits (none while adding) and
// the sentence shown under it.
//
// Interface thread only, like the pane that holds it.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "accounts/account_kind.h"
#include "accounts/account_lists.h"
#include "accounts/store_access.h"
#include "orvo_secret/secret_buffer.h"
#include "orvo_secret/secret_string.h"
#include "orvo_ui/published_cell.h"

namespace settings::panes::accounts {

// The values as the user submitted them, trimmed by nothing yet. `identity` is the address for a
// mail account and the user name for every other kind.
struct AccountFormValues {
  std::string display_name;
  std::string identity;
  std::string login_name;
  std::string server_url;
  orvo_secret::SecretString password;

  AccountFormValues clone() const {
    return {display_name, identity, login_name, server_url, password.clone()};
  }
};

struct AccountForm {
  orvo_ui::PublishedCell<std::string> display_name;
  // The mail address of a mail account.
  orvo_ui::PublishedCell<std::string> identity;
  // The mail login when it differs from the address; the user name of every other kind.
  orvo_ui::PublishedCell<std::string> login_name;
  orvo_ui::PublishedCell<std::string> server_url;
  std::shared_ptr<orvo_secret::SecretBuffer> password = orvo_secret::SecretBuffer::make();

  std::optional<settings::accounts::AccountKind> kind;  // none while the form is closed
  std::optional<std::string> editing_id;                // none while adding
  std::optional<std::string> message;
  // Set when the widgets of the form must be built again; the pane takes it.
  bool structure_dirty = false;

  bool is_open() const { return kind.has_value(); }
  // The values to prepare, read from the cells: the identity is the address cell for a mail
  // account and the login name cell for the other kinds. None while the form is closed.
  std::optional<AccountFormValues> submitted_values() const;
  // Answers whether the structure changed since the last call, and clears the flag.
  bool take_structure_dirty();
};

// Opens the form empty for a new account of `kind`.
void open_add_form(AccountForm& form, settings::accounts::AccountKind kind);

// Opens the form on the stored account `id`, with the kind of its row in `lists`; does nothing when
// no row has the id. An account that is not in the store opens with empty values. The password is
// never shown: its buffer is emptied.
void open_account_editor(AccountForm& form, const settings::accounts::RootOverride& root_override,
                         const settings::accounts::AccountLists& lists, std::string_view id);

// Empties the display name, identity, login name, server URL and password, in that order.
void clear_form_fields(AccountForm& form);

}  // namespace settings::panes::accounts
