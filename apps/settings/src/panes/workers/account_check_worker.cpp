#include "panes/workers/account_check_worker.h"

#include <utility>

#include "orvo_log/log.h"
#include "panes/workers/worker_start.h"

namespace settings::panes::workers {

void account_check_worker(orvo_runtime::Sender<account_probe::AccountCheckOutcome> sender,
                          const account_probe::AccountCheck& check, const ::accounts::Account& account,
                          orvo_secret::SecretString& credential, orvo_ui::WakeHandle wake) {
  try {
    account_probe::AccountCheckOutcome outcome = (*check)(account, credential);
    credential.wipe();
    (void)sender.send(std::move(outcome));
  } catch (...) {
    credential.wipe();
    orvo_log::warn("account connection check stopped", {{"account", account.id}});
  }
  wake.wake();
}

std::expected<void, std::string> start_account_check_worker(orvo_runtime::Sender<account_probe::AccountCheckOutcome> sender,
                                                            account_probe::AccountCheck check, ::accounts::Account account,
                                                            orvo_secret::SecretString credential) {
  return start_worker(std::string(kAccountCheckThread),
                      [sender = std::move(sender), check = std::move(check), account = std::move(account),
                       credential = std::move(credential)]() mutable {
                        account_check_worker(std::move(sender), check, account, credential, orvo_ui::WakeHandle{});
                      });
}

}  // namespace settings::panes::workers
