#pragma once
// A printing backend and worker starter for the Printers pane's tests. The backend answers from
// lists the test sets and records each change it is asked for; the starter keeps each worker until
// the test runs it, so a test decides when a reading or a change comes back, and can refuse to
// start threads.
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "harness/held_workers.h"
#include "panes/printers/printers_pane.h"

namespace settings::panes::printers::testing {

class FakePrinting final : public PrintingBackend {
 public:
  Listing<printing::PrinterQueue> queues() const override { return read(queues_); }
  Listing<printing::PrintJob> jobs() const override { return read(jobs_); }
  Listing<printing::DriverlessPrinter> discover_driverless() const override { return read(driverless_); }
  Listing<printing::Scanner> scanners() const override { return read(scanners_); }
  ActionResult add_driverless(const printing::DriverlessPrinter& printer) const override {
    return change("add " + printer.identifier);
  }
  ActionResult set_default(std::string_view name) const override { return change("default " + std::string(name)); }
  ActionResult set_enabled(std::string_view name, bool enabled) const override {
    return change((enabled ? "resume " : "pause ") + std::string(name));
  }
  ActionResult remove_queue(std::string_view name) const override { return change("remove " + std::string(name)); }
  ActionResult cancel_job(std::string_view id) const override { return change("cancel " + std::string(id)); }
  ActionResult retry_job(std::string_view id) const override { return change("retry " + std::string(id)); }

  void set_queues(Listing<printing::PrinterQueue> value) { set(queues_, std::move(value)); }
  void set_jobs(Listing<printing::PrintJob> value) { set(jobs_, std::move(value)); }
  void set_driverless(Listing<printing::DriverlessPrinter> value) { set(driverless_, std::move(value)); }
  void set_scanners(Listing<printing::Scanner> value) { set(scanners_, std::move(value)); }
  // Changes fail with `error` from now on (none: they succeed).
  void fail_changes(std::optional<std::string> error) {
    std::lock_guard lock(mutex_);
    change_error_ = std::move(error);
  }
  // The changes asked for so far ("pause Office").
  std::vector<std::string> changes() const {
    std::lock_guard lock(mutex_);
    return changes_;
  }

 private:
  template <typename T>
  T read(const T& value) const {
    std::lock_guard lock(mutex_);
    return value;
  }
  template <typename T>
  void set(T& slot, T value) {
    std::lock_guard lock(mutex_);
    slot = std::move(value);
  }
  ActionResult change(std::string what) const {
    std::lock_guard lock(mutex_);
    changes_.push_back(std::move(what));
    if (change_error_) return std::unexpected(*change_error_);
    return {};
  }

  mutable std::mutex mutex_;
  Listing<printing::PrinterQueue> queues_;
  Listing<printing::PrintJob> jobs_;
  Listing<printing::DriverlessPrinter> driverless_;
  Listing<printing::Scanner> scanners_;
  std::optional<std::string> change_error_;
  mutable std::vector<std::string> changes_;
};

using panes::testing::HeldWorkers;

// A clock the test moves.
struct TestClock {
  std::chrono::steady_clock::time_point at{std::chrono::hours(1)};
};

inline PrintersServices services_of(std::shared_ptr<FakePrinting> backend, std::shared_ptr<HeldWorkers> workers,
                                    std::shared_ptr<TestClock> clock) {
  PrintersServices services;
  services.backend = std::move(backend);
  services.start_worker = [workers](std::string name, std::function<void()> work) {
    return workers->start(std::move(name), std::move(work));
  };
  services.now = [clock] { return clock->at; };
  return services;
}

inline printing::PrinterQueue queue(std::string name, printing::QueueState state = printing::QueueState::Ready) {
  printing::PrinterQueue q;
  q.name = std::move(name);
  q.state = state;
  q.accepting_jobs = true;
  q.live.details_read = true;
  return q;
}

inline printing::PrintJob job(std::string id, printing::JobState state = printing::JobState::Printing) {
  printing::PrintJob j;
  j.id = std::move(id);
  j.title = "report.pdf";
  j.owner = "ada";
  j.printer = "Office";
  j.state = state;
  return j;
}

}  // namespace settings::panes::printers::testing
