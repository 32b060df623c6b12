#pragma once
// The Printers page's blocking work, each job on a named thread of its own that sends exactly one
// message (dropped when the page has gone), wakes the interface loop and ends: the status reading
// ("orvo-printer-status": queues, jobs and scanners), the search for driverless printers
// ("orvo-printer-discovery") and one change of a queue or job ("orvo-printer-action").
#include <functional>
#include <memory>
#include <string_view>

#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"
#include "panes/printers/printing_backend.h"

namespace settings::panes::printers {

inline constexpr std::string_view kStatusThread = "orvo-printer-status";
inline constexpr std::string_view kDiscoveryThread = "orvo-printer-discovery";
inline constexpr std::string_view kActionThread = "orvo-printer-action";

struct StatusMessage {
  Listing<printing::PrinterQueue> queues;
  Listing<printing::PrintJob> jobs;
  Listing<printing::Scanner> scanners;
};
using DiscoveryMessage = Listing<printing::DriverlessPrinter>;

// A change's result; `for_operation` marks the change an operation from the shell asked for.
struct ActionMessage {
  ActionResult result;
  bool for_operation = false;
};

using BackendHandle = std::shared_ptr<const PrintingBackend>;

// The bodies, run on the calling thread; the pane runs them on its workers.
void printer_status_worker(BackendHandle backend, orvo_runtime::Sender<StatusMessage> sender, orvo_ui::WakeHandle wake);
void printer_discovery_worker(BackendHandle backend, orvo_runtime::Sender<DiscoveryMessage> sender,
                              orvo_ui::WakeHandle wake);
void printer_action_worker(std::function<ActionResult()> action, bool for_operation,
                           orvo_runtime::Sender<ActionMessage> sender, orvo_ui::WakeHandle wake);

}  // namespace settings::panes::printers
