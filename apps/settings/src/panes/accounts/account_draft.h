#pragma once
// Turning the account form's values into the account record and the credential to store, with every
// check the form makes. Nothing is written: saving the prepared account is the caller's step.
#include <expected>
#include <optional>
#include <string>

#include "accounts/account.h"
#include "accounts/account_kind.h"
#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "panes/accounts/account_form.h"

namespace settings::panes::accounts {

struct PreparedAccount {
  ::accounts::Account account;
  ::accounts::vault::Credential credential;
};

// Checks the values in a fixed order and gives the first failure as a lower-case sentence, else the
// prepared account. `edited_id` names the stored account being edited (none while adding);
// `chosen_id` keeps the id a new account was given when its draft was prepared before.
//
// The id of a new account is the chosen id, else the address in ASCII lower case for a mail
// account, else the kind's prefix, "-" and a random version-4 UUID. An empty password keeps the
// saved credential of an edited account. The metadata store is read strictly, so a damaged file
// refuses ("could not read account metadata: …") rather than looking empty.
std::expected<PreparedAccount, std::string> prepare_account_draft(
    const settings::accounts::RootOverride& root_override, settings::accounts::AccountKind kind,
    const std::optional<std::string>& edited_id, const std::optional<std::string>& chosen_id,
    const AccountFormValues& values);

}  // namespace settings::panes::accounts
