#pragma once
// The update check and the firmware metadata refresh, each run once on a worker thread
// ("orvo-update-check", "orvo-firmware-refresh"). Each body makes its calls in a fixed order, sends
// exactly one message (dropped when the pane has gone), wakes the interface loop and ends. The
// collaborators are the pane's: the update service's check, status and firmware refresh, the
// operating-system name and the rollback protection.
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

template <typename Refreshed>
void firmware_refresh_worker(orvo_runtime::Sender<Refreshed> sender, std::function<Refreshed()> refresh,
                             orvo_ui::WakeHandle wake) {
  (void)sender.send(refresh());
  wake.wake();
}

}  // namespace settings::panes::workers
