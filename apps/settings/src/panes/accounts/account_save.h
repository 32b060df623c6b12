#pragma once
// Saving an account whose server check succeeded: the credential (when a password was typed) and
// the metadata, as one journalled change across the vault and the metadata store.
#include <expected>
#include <string>

#include "accounts/store_access.h"
#include "orvo_secret/secret_string.h"
#include "panes/accounts/account_draft.h"

namespace settings::panes::accounts {

inline constexpr std::string_view kPersistFailedLog = "failed to persist account metadata";

// Writes the credential first (only when `password`, trimmed, is not empty, so editing without a
// password leaves the vault file untouched), then the metadata. A failed metadata save puts the old
// credential back; when that fails too, the journal stays for the next recovery. The sync statuses
// are not changed.
std::expected<void, std::string> save_checked_account(const settings::accounts::RootOverride& root_override,
                                                      const PreparedAccount& prepared,
                                                      const orvo_secret::SecretString& password);

}  // namespace settings::panes::accounts
