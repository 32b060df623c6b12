#pragma once
// The account server check: before an online account is saved, and when the user tests it, the
// account is tried against its real server with the saved password. A mail account must complete
// an IMAP sign-in; a CalDAV, WebDAV or Nextcloud account must have an authenticated WebDAV
// PROPFIND accepted.
//
// The check blocks the calling thread (never call it on the interface thread) and owns everything
// it creates; calls are independent and may run concurrently on several threads.
#include <functional>
#include <memory>
#include <string_view>

#include "account_probe/account_check_outcome.h"
#include "account_probe/check_environment.h"
#include "accounts/account.h"
#include "orvo_secret/secret_string.h"

namespace settings::account_probe {

AccountCheckOutcome check_account_servers(const accounts::Account& account, const orvo_secret::SecretString& password);
AccountCheckOutcome check_account_servers(const accounts::Account& account, const orvo_secret::SecretString& password,
                                          const CheckEnvironment& environment);

// The shared, thread-safe handle the application hands to every accounts pane.
using AccountCheck =
    std::shared_ptr<const std::function<AccountCheckOutcome(const accounts::Account&, const orvo_secret::SecretString&)>>;
AccountCheck shared_account_check();

// True when the text holds no C0 control, DEL or C1 control character.
bool is_free_of_control_characters(std::string_view text);
// The text without leading and trailing Unicode white space.
std::string_view trim_unicode_whitespace(std::string_view text);

}  // namespace settings::account_probe
