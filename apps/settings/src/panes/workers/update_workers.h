#pragma once
// The Updates pane's slow work, each job run once on a worker thread: the update check
// ("orvo-update-check"), the firmware metadata refresh ("orvo-firmware-refresh"), the first reading
// of the machine's update state ("orvo-updates-read") and a policy change or rollback
// ("orvo-update-change"). Each body makes its calls in a fixed order, sends exactly one message
// (dropped when the pane has gone), wakes the interface loop and ends. The collaborators are the
// pane's: the update service's check, status and firmware refresh, the operating-system name and
// the rollback protection.
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"

namespace settings::panes::workers {

inline constexpr std::string_view kUpdateCheckThread = "orvo-update-check";
inline constexpr std::string_view kFirmwareRefreshThread = "orvo-firmware-refresh";
inline constexpr std::string_view kUpdatesReadThread = "orvo-updates-read";
inline constexpr std::string_view kUpdateChangeThread = "orvo-update-change";

template <typename OsName, typename Protection>
struct UpdateCheckReport {
  OsName os_name;
  std::optional<std::string> status;
  Protection rollback_protection;
};

// The error text of the check, or the three readings that follow a successful check.
template <typename OsName, typename Protection>
using UpdateCheckMessage = std::expected<UpdateCheckReport<OsName, Protection>, std::string>;

template <typename OsName, typename Protection>
struct UpdateCheckCalls {
  std::function<std::expected<void, std::string>()> check;
  std::function<OsName()> os_name;
  std::function<std::optional<std::string>()> status;
  std::function<Protection(const std::optional<std::string>& status)> rollback_protection;
};

// A failed check sends only its error: nothing else is read.
template <typename OsName, typename Protection>
void update_check_worker(orvo_runtime::Sender<UpdateCheckMessage<OsName, Protection>> sender,
                         UpdateCheckCalls<OsName, Protection> calls, orvo_ui::WakeHandle wake) {
  UpdateCheckMessage<OsName, Protection> message = [&]() -> UpdateCheckMessage<OsName, Protection> {
    if (auto checked = calls.check(); !checked) return std::unexpected(std::move(checked.error()));
    OsName name = calls.os_name();
    std::optional<std::string> status = calls.status();
    Protection protection = calls.rollback_protection(status);
    return UpdateCheckReport<OsName, Protection>{std::move(name), std::move(status), std::move(protection)};
  }();
  (void)sender.send(std::move(message));
  wake.wake();
}

// Sends what `work` returns: the firmware refresh, the first reading, a change.
template <typename Message>
void single_message_worker(orvo_runtime::Sender<Message> sender, std::function<Message()> work,
                           orvo_ui::WakeHandle wake) {
  (void)sender.send(work());
  wake.wake();
}

template <typename Refreshed>
void firmware_refresh_worker(orvo_runtime::Sender<Refreshed> sender, std::function<Refreshed()> refresh,
                             orvo_ui::WakeHandle wake) {
  single_message_worker<Refreshed>(std::move(sender), std::move(refresh), std::move(wake));
}

}  // namespace settings::panes::workers
