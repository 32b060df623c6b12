#pragma once
// The account server check on a worker thread, for the accounts pane and for the root's account
// Test. The body runs the shared check with the account and its credential, sends the outcome
// (dropped when nobody listens any more), wipes the credential and wakes the interface loop. A
// check that throws sends nothing: the receiver then sees the channel close without an answer.
#include <expected>
#include <string>

#include "account_probe/account_check.h"
#include "accounts/account.h"
#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_string.h"
#include "orvo_ui/wake.h"

namespace settings::panes::workers {

inline constexpr std::string_view kAccountCheckThread = "account-check";

// The body; `credential` holds zeros when it returns.
void account_check_worker(orvo_runtime::Sender<account_probe::AccountCheckOutcome> sender,
                          const account_probe::AccountCheck& check, const ::accounts::Account& account,
                          orvo_secret::SecretString& credential, orvo_ui::WakeHandle wake);

// Starts the body on its own thread, which takes the account and the credential with it.
std::expected<void, std::string> start_account_check_worker(orvo_runtime::Sender<account_probe::AccountCheckOutcome> sender,
                                                            account_probe::AccountCheck check, ::accounts::Account account,
                                                            orvo_secret::SecretString credential);

}  // namespace settings::panes::workers
