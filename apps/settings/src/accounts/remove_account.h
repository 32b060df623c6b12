#pragma once
// Removing an account from all three stores as one journalled change.
#include <expected>
#include <string>
#include <string_view>

#include "accounts/account_kind.h"
#include "accounts/store_access.h"

namespace settings::panes::accounts {

// Removes the account's saved credential, its metadata and its sync status. Refuses when the stored
// account is of another kind. A failure part-way is undone in this process where possible; what is
// not stays in the journal for the next recovery.
std::expected<void, std::string> remove_account(const settings::accounts::RootOverride& root_override,
                                                settings::accounts::AccountKind kind, std::string_view id);

}  // namespace settings::panes::accounts
