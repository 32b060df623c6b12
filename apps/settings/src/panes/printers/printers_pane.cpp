#include "panes/printers/printers_pane.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "orvo_log/log.h"
#include "panes/document_controls.h"
#include "panes/printers/printer_keys.h"
#include "panes/printers/printer_rows.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"

namespace settings::panes::printers {
namespace {

using orvo_runtime::TryRecvError;
using Op = actions::PrinterOperation;

// Finished changes waiting for the next pass; a worker that finds the queue full waits for room.
constexpr std::size_t kActionCapacity = 64;
// Ends an operation the pass took but found nothing to wait for; every road above answers first.
constexpr std::string_view kNotCarriedOut = "the printer operation was not carried out";

template <typename T>
bool nothing_yet(const std::variant<T, TryRecvError>& received) {
  const auto* error = std::get_if<TryRecvError>(&received);
  return error && *error == TryRecvError::Empty;
}

const printing::PrinterQueue* exact_queue(const std::vector<printing::PrinterQueue>& queues, const std::string& name) {
  auto found = std::find_if(queues.begin(), queues.end(), [&](const auto& queue) { return queue.name == name; });
  return found == queues.end() ? nullptr : &*found;
}

bool has_job(const std::vector<printing::PrintJob>& jobs, const std::string& id) {
  return std::any_of(jobs.begin(), jobs.end(), [&](const auto& job) { return job.id == id; });
}

}  // namespace

PrintersServices PrintersServices::system() {
  PrintersServices services;
  services.start_worker = [](std::string name, std::function<void()> work) {
    return workers::start_worker(std::move(name), std::move(work));
  };
  return services;
}

PrintersPane::PrintersPane(PrintersServices services)
    : PaneGlue("PrintersPane", DirtyRule::AlwaysAskView), services_(std::move(services)) {
  auto [sender, receiver] = orvo_runtime::make_channel<ActionMessage>(kActionCapacity);
  action_tx_.emplace(std::move(sender));
  action_rx_.emplace(std::move(receiver));
  last_status_at_ = services_.now();
  start_status_refresh();
}

PrintersPane PrintersPane::with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  return std::move(*this);
}

PrintersPane PrintersPane::with_operation_status(StatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> PrintersPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Printers);
}

std::optional<orvo_ui::Deadline> PrintersPane::next_wake_deadline() const {
  auto view_deadline = PaneGlue::next_wake_deadline();
  if (status_rx_) return view_deadline;  // the worker wakes the loop when it is done
  const auto elapsed = services_.now() - last_status_at_;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(kRefreshInterval - elapsed);
  const auto refresh = orvo_ui::Deadline::after_millis(std::max<std::int64_t>(0, left.count()));
  if (!view_deadline) return refresh;
  return std::min(*view_deadline, refresh);
}

void PrintersPane::update_notice() {
  std::vector<std::string> parts;
  for (const auto* part : {&action_failure_, &discovery_failure_, &reading_problems_}) {
    if (*part) parts.push_back(**part);
  }
  notice_ = parts.empty() ? std::nullopt : std::optional<std::string>(fmt::format("{}", fmt::join(parts, " · ")));
  mark_structure_dirty();
}

void PrintersPane::end_operation(PaneOutcome outcome) {
  awaiting_ = Awaiting::Nothing;
  operations_.finish(std::move(outcome));
}

// --- workers ---

void PrintersPane::start_status_refresh() {
  if (status_rx_) return;
  auto [sender, receiver] = orvo_runtime::make_channel<StatusMessage>(1);
  auto started = services_.start_worker(
      std::string(kStatusThread), [backend = services_.backend, sender = std::move(sender)]() mutable {
        printer_status_worker(std::move(backend), std::move(sender), orvo_ui::WakeHandle{});
      });
  if (!started) {
    orvo_log::warn("printer status worker could not start", {{"error", started.error()}});
    refreshing_ = false;
    // The periodic reading tries again after the usual interval, not at every frame.
    last_status_at_ = services_.now();
    const std::string notice = fmt::format("Could not start printer status worker: {}", started.error());
    reading_problems_ = notice;
    update_notice();
    // Nothing will be read: what waits for a reading gets this instead.
    queues_error_ = notice;
    jobs_error_ = notice;
    if (awaiting_ == Awaiting::Status) end_operation(PaneOutcome::failure(notice));
    if (awaiting_ == Awaiting::FirstStatus) carry_out_operation();
    return;
  }
  status_rx_.emplace(std::move(receiver));
  refreshing_ = true;
  mark_structure_dirty();
}

void PrintersPane::start_discovery() {
  if (discovery_rx_) return;  // one search at a time; a request meanwhile is dropped
  auto [sender, receiver] = orvo_runtime::make_channel<DiscoveryMessage>(1);
  auto started = services_.start_worker(
      std::string(kDiscoveryThread), [backend = services_.backend, sender = std::move(sender)]() mutable {
        printer_discovery_worker(std::move(backend), std::move(sender), orvo_ui::WakeHandle{});
      });
  if (!started) {
    orvo_log::warn("printer discovery could not start", {{"error", started.error()}});
    discovering_ = false;
    const std::string notice = fmt::format("Could not start printer discovery: {}", started.error());
    discovery_failure_ = notice;
    update_notice();
    if (awaiting_ == Awaiting::Discovery) end_operation(PaneOutcome::failure(notice));
    return;
  }
  discovery_rx_.emplace(std::move(receiver));
  discovering_ = true;
  mark_structure_dirty();
}

void PrintersPane::start_action(std::function<ActionResult()> action, bool for_operation) {
  if (for_operation) awaiting_ = Awaiting::Action;
  auto started = services_.start_worker(
      std::string(kActionThread), [action = std::move(action), for_operation, sender = *action_tx_]() mutable {
        printer_action_worker(std::move(action), for_operation, std::move(sender), orvo_ui::WakeHandle{});
      });
  if (!started) {
    orvo_log::warn("printer action could not start", {{"error", started.error()}});
    finish_action(std::unexpected(fmt::format("Could not start printer action: {}", started.error())), for_operation);
    return;
  }
  ++actions_running_;
}

void PrintersPane::finish_action(const ActionResult& result, bool for_operation) {
  if (for_operation && awaiting_ == Awaiting::Action) {
    end_operation(result ? PaneOutcome::success(std::string(kCompleted)) : PaneOutcome::failure(result.error()));
  }
  action_failure_ = result ? std::nullopt : std::optional<std::string>(result.error());
  action_success_ = result ? std::optional<std::string>(kCompleted) : std::nullopt;
  update_notice();
  start_status_refresh();
}

// --- messages ---

void PrintersPane::take_status() {
  if (!status_rx_) return;
  auto received = status_rx_->try_recv();
  if (nothing_yet(received)) return;
  status_rx_.reset();
  refreshing_ = false;
  first_status_in_ = true;
  last_status_at_ = services_.now();
  std::vector<std::string> problems;
  queues_error_.reset();
  jobs_error_.reset();
  if (auto* message = std::get_if<StatusMessage>(&received)) {
    if (message->queues) queues_ = std::move(*message->queues);
    else queues_error_ = problems.emplace_back("Printers: " + message->queues.error());
    if (message->jobs) jobs_ = std::move(*message->jobs);
    else jobs_error_ = problems.emplace_back("Jobs: " + message->jobs.error());
    if (message->scanners) scanners_ = std::move(*message->scanners);
    else problems.push_back("Scanners: " + message->scanners.error());
  } else {
    queues_error_ = problems.emplace_back("Printers: the status reading stopped");
    jobs_error_ = queues_error_;
  }
  if (pending_removal_ && !exact_queue(queues_, *pending_removal_)) pending_removal_.reset();
  reading_problems_ =
      problems.empty() ? std::nullopt : std::optional<std::string>(fmt::format("{}", fmt::join(problems, " · ")));
  update_notice();
  if (awaiting_ == Awaiting::Status) {
    end_operation(reading_problems_ ? PaneOutcome::failure(*reading_problems_)
                                    : PaneOutcome::success(std::string(kCompleted)));
  } else if (awaiting_ == Awaiting::FirstStatus) {
    carry_out_operation();
  }
}

void PrintersPane::take_discovery() {
  if (!discovery_rx_) return;
  auto received = discovery_rx_->try_recv();
  if (nothing_yet(received)) return;
  discovery_rx_.reset();
  discovering_ = false;
  std::optional<std::string> failure;
  if (auto* message = std::get_if<DiscoveryMessage>(&received)) {
    if (*message) driverless_ = std::move(**message);
    else failure = message->error();
  } else {
    failure = "the printer search stopped";
  }
  discovery_failure_ = failure;
  update_notice();
  if (awaiting_ == Awaiting::Discovery) {
    end_operation(failure ? PaneOutcome::failure(*failure) : PaneOutcome::success(std::string(kCompleted)));
  }
}

void PrintersPane::take_actions() {
  while (actions_running_ > 0) {
    auto received = action_rx_->try_recv();
    auto* message = std::get_if<ActionMessage>(&received);
    if (!message) return;
    --actions_running_;
    finish_action(message->result, message->for_operation);
  }
}

// --- operations ---

void PrintersPane::take_operation() {
  const auto* taken = operations_.take(
      [](const settings_app::PaneOperation& operation) { return std::holds_alternative<Op>(operation); });
  if (!taken) return;
  const auto& operation = std::get<Op>(*taken);
  if (std::holds_alternative<Op::Refresh>(operation)) {
    // A reading already under way answers it.
    awaiting_ = Awaiting::Status;
    start_status_refresh();
  } else if (std::holds_alternative<Op::Discover>(operation)) {
    awaiting_ = Awaiting::Discovery;
    start_discovery();
  } else if (!first_status_in_ && status_rx_) {
    // The page has not read the queues yet: the operation waits for the first reading.
    awaiting_ = Awaiting::FirstStatus;
  } else {
    carry_out_operation();
  }
}

void PrintersPane::carry_out_operation() {
  awaiting_ = Awaiting::Nothing;
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* operation = std::get_if<Op>(&in_hand->operation());
  if (!operation) return;
  const auto backend = services_.backend;
  auto queue_missing = [&] { end_operation(PaneOutcome::failure(queues_error_.value_or(std::string(kQueueGone)))); };
  auto job_missing = [&] { end_operation(PaneOutcome::failure(jobs_error_.value_or(std::string(kJobGone)))); };
  std::visit(
      [&](const auto& op) {
        using T = std::decay_t<decltype(op)>;
        if constexpr (std::is_same_v<T, Op::SetDefault>) {
          if (!exact_queue(queues_, op.name)) return queue_missing();
          start_action([backend, name = op.name] { return backend->set_default(name); }, true);
        } else if constexpr (std::is_same_v<T, Op::SetEnabled>) {
          const auto* queue = exact_queue(queues_, op.name);
          if (!queue) return queue_missing();
          const bool paused = queue->state == printing::QueueState::Paused;
          if (op.enabled != paused) return end_operation(PaneOutcome::success(std::string(kCompleted)));
          start_action([backend, name = op.name, enabled = op.enabled] { return backend->set_enabled(name, enabled); },
                       true);
        } else if constexpr (std::is_same_v<T, Op::Remove>) {
          // As the row's "Remove…": the queue is marked, and only its confirmation removes it.
          if (!exact_queue(queues_, op.name)) return queue_missing();
          pending_removal_ = op.name;
          mark_structure_dirty();
          end_operation(PaneOutcome::success(fmt::format(fmt::runtime(kRemovalAsked), op.name)));
        } else if constexpr (std::is_same_v<T, Op::CancelJob>) {
          if (!has_job(jobs_, op.id)) return job_missing();
          start_action([backend, id = op.id] { return backend->cancel_job(id); }, true);
        } else if constexpr (std::is_same_v<T, Op::RetryJob>) {
          if (!has_job(jobs_, op.id)) return job_missing();
          start_action([backend, id = op.id] { return backend->retry_job(id); }, true);
        } else {
          // Refresh and Discover never wait for the first reading.
        }
      },
      static_cast<const Op::variant&>(*operation));
}

// --- presses ---

void PrintersPane::handle_presses(orvo_doc::Document& document) {
  if (services_.now() - last_status_at_ >= kRefreshInterval) start_status_refresh();
  if (take_press(document, object_, kRefreshKey)) start_status_refresh();
  if (take_press(document, object_, kDiscoverKey)) start_discovery();
  const auto backend = services_.backend;
  const std::vector<std::string> identifiers = printer_identifiers(driverless_);
  const std::vector<std::string> names = queue_names(queues_);
  const std::vector<std::string> ids = job_ids(jobs_);
  for (const auto& printer : std::vector(driverless_)) {
    if (take_press(document, object_, printer_queue_key("add", printer.identifier, identifiers))) {
      start_action([backend, printer] { return backend->add_driverless(printer); }, false);
    }
  }
  for (const auto& queue : std::vector(queues_)) {
    const std::string& name = queue.name;
    if (take_press(document, object_, printer_queue_key("default", name, names))) {
      start_action([backend, name] { return backend->set_default(name); }, false);
    }
    if (take_press(document, object_, printer_queue_key("enabled", name, names))) {
      const bool resume = queue.state == printing::QueueState::Paused;
      start_action([backend, name, resume] { return backend->set_enabled(name, resume); }, false);
    }
    if (take_press(document, object_, printer_queue_key("remove", name, names))) {
      pending_removal_ = name;
      mark_structure_dirty();
    }
    if (take_press(document, object_, printer_queue_key("confirm_remove", name, names))) {
      pending_removal_.reset();
      start_action([backend, name] { return backend->remove_queue(name); }, false);
    }
  }
  for (const auto& job : std::vector(jobs_)) {
    const std::string& id = job.id;
    if (take_press(document, object_, print_job_key("cancel", id, ids))) {
      start_action([backend, id] { return backend->cancel_job(id); }, false);
    }
    if (take_press(document, object_, print_job_key("retry", id, ids))) {
      start_action([backend, id] { return backend->retry_job(id); }, false);
    }
  }
}

void PrintersPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  take_operation();
  take_status();
  take_discovery();
  take_actions();
  if (document) handle_presses(*document);
  operations_.settle(awaiting_ != Awaiting::Nothing, PaneOutcome::failure(std::string(kNotCarriedOut)));
}

std::unique_ptr<orvo_ui::Widget> printers_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<PrintersPane>(
      PrintersPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::printers
