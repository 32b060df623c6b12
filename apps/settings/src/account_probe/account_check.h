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
#include <optional>
#include <string_view>

#include "account_probe/account_check_outcome.h"
#include "account_probe/check_environment.h"
#include "accounts/account.h"
#include "orvo_secret/secret_string.h"

namespace settings::account_probe {

AccountCheckOutcome check_account_servers(const ::accounts::Account& account, const orvo_secret::SecretString& password);
AccountCheckOutcome check_account_servers(const ::accounts::Account& account, const orvo_secret::SecretString& password,
                                          const CheckEnvironment& environment);

// The shared, thread-safe handle the application hands to every accounts pane.
using AccountCheck =
    std::shared_ptr<const std::function<AccountCheckOutcome(const ::accounts::Account&, const orvo_secret::SecretString&)>>;
AccountCheck shared_account_check();

// True when the text holds no C0 control, DEL or C1 control character.
bool is_free_of_control_characters(std::string_view text);
// True when some code point of the UTF-8 text has Unicode's White_Space property.
bool contains_unicode_whitespace(std::string_view text);
// The text without leading and trailing Unicode white space.
std::string_view trim_unicode_whitespace(std::string_view text);

// The rule a server URL of a CalDAV, WebDAV or Nextcloud account breaks, in the order they are
// judged: an absolute URL with a host, then the "https" scheme, then no user name or password in it.
enum class ServerUrlFault { Invalid, NotHttps, HasCredentials };
// None when the URL may carry a credential. The account form and the server check both judge by it.
std::optional<ServerUrlFault> server_url_fault(std::string_view url);

}  // namespace settings::account_probe
