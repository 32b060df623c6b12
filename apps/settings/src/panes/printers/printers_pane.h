#pragma once
// The pane of the section "printers": the configured print queues with their state and supplies,
// the print jobs, driverless printers found nearby and the scanners.
//
// A status worker reads queues, jobs and scanners when the pane opens, again three seconds after
// each reading, after every change and on request; at most one runs at a time, and one discovery.
// Buttons are one-shot keys of the pane's document, taken by the pass. Changes of queues and jobs
// run on workers too, and each is followed by a fresh reading.
//
// An operation from the shell ends under its exact key: Refresh with the status reading that
// follows it, Discover with the search, a queue or job operation with its change, acting on the
// queue or job whose name or id is exactly the operation's. One that arrives before the first
// reading is held until that reading is in.
//
// The notice card shows what failed and still holds: the last change until a change succeeds, the
// last search until a search succeeds, and the problems of the last reading until a complete one.
//
// Interface thread only, apart from the workers, which hold their own backend handle and sender.
#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orvo_runtime/channel.h"
#include "panes/pane_glue.h"
#include "panes/printers/printer_workers.h"
#include "panes/printers/printing_backend.h"
#include "panes/taken_operation.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::printers {

inline constexpr std::string_view kCompleted = "Printer operation completed.";
inline constexpr std::string_view kRemovalAsked = "{} is marked for removal; confirm with Remove printer on its row.";
inline constexpr std::string_view kQueueGone = "Printer queue is no longer available.";
inline constexpr std::string_view kJobGone = "Print job is no longer available.";
inline constexpr std::chrono::seconds kRefreshInterval{3};

struct PrintersServices {
  BackendHandle backend = std::make_shared<const PrintingBackend>();
  // Starts a worker thread that is never joined; an error text when the thread cannot be made.
  std::function<std::expected<void, std::string>(std::string name, std::function<void()> work)> start_worker;
  std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };

  static PrintersServices system();
};

class PrintersPane final : public PaneGlue {
 public:
  // Starts the first status reading.
  explicit PrintersPane(PrintersServices services = PrintersServices::system());
  PrintersPane(PrintersPane&&) = default;

  // The shell's cells replace the pane's own.
  [[nodiscard]] PrintersPane with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) &&;
  [[nodiscard]] PrintersPane with_operation_status(StatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::printers::PrintersPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  std::optional<orvo_ui::Deadline> next_wake_deadline() const override;

  // Starts a status worker unless one runs.
  void start_status_refresh();

  // What the view and the tests read.
  const std::vector<printing::PrinterQueue>& queues() const { return queues_; }
  const std::vector<printing::PrintJob>& jobs() const { return jobs_; }
  const std::vector<printing::DriverlessPrinter>& driverless() const { return driverless_; }
  const std::vector<printing::Scanner>& scanners() const { return scanners_; }
  const std::optional<std::string>& pending_removal() const { return pending_removal_; }
  const std::optional<std::string>& notice() const { return notice_; }
  const std::optional<std::string>& action_success() const { return action_success_; }
  bool refreshing() const { return refreshing_; }
  bool discovering() const { return discovering_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using Operation = actions::PrinterOperation;
  // What the operation in hand waits for.
  enum class Awaiting : std::uint8_t { Nothing, FirstStatus, Status, Discovery, Action };

  void take_operation();
  void carry_out_operation();
  void take_status();
  void take_discovery();
  void take_actions();
  void start_discovery();
  // Runs a change on a worker; its result comes back through `take_actions`.
  void start_action(std::function<ActionResult()> action, bool for_operation);
  void finish_action(const ActionResult& result, bool for_operation);
  void handle_presses(orvo_doc::Document& document);
  void end_operation(PaneOutcome outcome);
  // Shows the failures that still hold: the last change's, the last search's, the last reading's.
  void update_notice();

  PrintersServices services_;
  PaneOperations<settings_app::PaneOperation> operations_;
  Awaiting awaiting_ = Awaiting::Nothing;

  std::vector<printing::PrinterQueue> queues_;
  std::vector<printing::PrintJob> jobs_;
  std::vector<printing::DriverlessPrinter> driverless_;
  std::vector<printing::Scanner> scanners_;
  // Why the last reading of the queues or the jobs failed, for operations that need that list.
  std::optional<std::string> queues_error_;
  std::optional<std::string> jobs_error_;
  std::optional<orvo_runtime::Receiver<StatusMessage>> status_rx_;
  std::optional<orvo_runtime::Receiver<DiscoveryMessage>> discovery_rx_;
  std::optional<orvo_runtime::Sender<ActionMessage>> action_tx_;
  std::optional<orvo_runtime::Receiver<ActionMessage>> action_rx_;
  std::size_t actions_running_ = 0;
  std::optional<std::string> pending_removal_;
  std::optional<std::string> notice_;
  std::optional<std::string> action_failure_;
  // The last change that succeeded, said on the page until the next change ends.
  std::optional<std::string> action_success_;
  std::optional<std::string> discovery_failure_;
  std::optional<std::string> reading_problems_;
  std::chrono::steady_clock::time_point last_status_at_;
  bool first_status_in_ = false;
  bool refreshing_ = false;
  bool discovering_ = false;
};

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> printers_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::printers
