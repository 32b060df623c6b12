#pragma once
// The account connection check in flight: the request id it was started under and the receiving
// end of the channel its worker thread answers on, once.
#include "account_probe/account_check_outcome.h"
#include "orvo_runtime/channel.h"
#include "orvo_ui/operations.h"

namespace settings::settings_app {

struct RunningAccountCheck {
  orvo_ui::RequestId id{};
  orvo_runtime::Receiver<account_probe::AccountCheckOutcome> result;
};

}  // namespace settings::settings_app
