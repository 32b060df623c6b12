#include "panes/printers/printer_workers.h"

#include <utility>

namespace settings::panes::printers {

void printer_status_worker(BackendHandle backend, orvo_runtime::Sender<StatusMessage> sender, orvo_ui::WakeHandle wake) {
  StatusMessage message;
  message.queues = backend->queues();
  message.jobs = backend->jobs();
  message.scanners = backend->scanners();
  (void)sender.send(std::move(message));
  wake.wake();
}

void printer_discovery_worker(BackendHandle backend, orvo_runtime::Sender<DiscoveryMessage> sender,
                              orvo_ui::WakeHandle wake) {
  (void)sender.send(backend->discover_driverless());
  wake.wake();
}

void printer_action_worker(std::function<ActionResult()> action, bool for_operation,
                           orvo_runtime::Sender<ActionMessage> sender, orvo_ui::WakeHandle wake) {
  (void)sender.send(ActionMessage{action(), for_operation});
  wake.wake();
}

}  // namespace settings::panes::printers
