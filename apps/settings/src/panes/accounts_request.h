#pragma once
// What the root asks of the accounts pane after an account operation: open a form, an account or a
// sign-in, or submit or close the open one.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "accounts/account_kind.h"
#include "actions/account_operations.h"

namespace settings::settings_app {

using settings::accounts::AccountKind;

// The kind an Add operation names: "mail", "caldav", "webdav", "nextcloud"; none for any other text.
std::optional<AccountKind> account_kind_from_text(std::string_view text);
// The name of the kind in account operations.
std::string_view to_string(AccountKind kind);

namespace accounts_request {
struct Add {
  AccountKind kind = AccountKind::Email;
  friend bool operator==(const Add&, const Add&) = default;
};
struct Open {
  std::string account_id;
  friend bool operator==(const Open&, const Open&) = default;
};
struct Reauthenticate {
  std::string account_id;
  friend bool operator==(const Reauthenticate&, const Reauthenticate&) = default;
};
struct SubmitForm {
  friend bool operator==(const SubmitForm&, const SubmitForm&) = default;
};
struct CancelForm {
  friend bool operator==(const CancelForm&, const CancelForm&) = default;
};
struct SubmitReauthentication {
  friend bool operator==(const SubmitReauthentication&, const SubmitReauthentication&) = default;
};
struct CancelReauthentication {
  friend bool operator==(const CancelReauthentication&, const CancelReauthentication&) = default;
};
}  // namespace accounts_request

struct AccountsRequest
    : std::variant<accounts_request::Add, accounts_request::Open, accounts_request::Reauthenticate,
                   accounts_request::SubmitForm, accounts_request::CancelForm, accounts_request::SubmitReauthentication,
                   accounts_request::CancelReauthentication> {
  using variant::variant;
  using Add = accounts_request::Add;
  using Open = accounts_request::Open;
  using Reauthenticate = accounts_request::Reauthenticate;
  using SubmitForm = accounts_request::SubmitForm;
  using CancelForm = accounts_request::CancelForm;
  using SubmitReauthentication = accounts_request::SubmitReauthentication;
  using CancelReauthentication = accounts_request::CancelReauthentication;

  friend bool operator==(const AccountsRequest&, const AccountsRequest&) = default;
};

// The request an account operation makes of the pane. Open and Edit both open the account; Test
// and Remove make none (the root carries them out itself). An Add of a kind the form does not know
// is refused with "unknown account kind".
std::expected<std::optional<AccountsRequest>, std::string> accounts_request_for(
    const actions::AccountOperation& operation);

}  // namespace settings::settings_app
