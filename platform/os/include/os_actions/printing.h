#pragma once
// Print queues and jobs, read from the printing service (CUPS) over IPP.
#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os_actions::printing {

struct PrinterSupply {
  std::string name;
  std::optional<std::uint8_t> level_percent;  // none when the printer does not report it
};

// What the service knows live about a queue.
struct PrinterLive {
  std::vector<std::string> reasons;                    // state reasons, "none" left out
  std::optional<std::vector<PrinterSupply>> supplies;  // none: no supply information at all
  bool details_read = false;                           // the live attributes were read
};

enum class QueueState : std::uint8_t { Ready = 0, Printing = 1, Paused = 2, Offline = 3 };

struct PrinterQueue {
  std::string name;
  std::optional<std::string> detail;  // the service's state message, when it has one
  PrinterLive live;
  bool is_default = false;
  bool accepting_jobs = false;
  QueueState state = QueueState::Ready;
};

enum class JobState : std::uint8_t {
  Waiting = 0,
  Held = 1,
  Printing = 2,
  Stopped = 3,
  Canceled = 4,
  Failed = 5,
  Completed = 6,
  Unknown = 7,
  NotReported = 255,
};

struct PrintJob {
  std::string id;
  std::string title;
  std::string owner;
  std::string printer;
  std::vector<std::string> reasons;
  std::optional<std::string> state_message;
  std::optional<std::uint32_t> impressions_completed;
  std::optional<std::uint32_t> impressions_total;
  std::uint64_t size_bytes = 0;
  JobState state = JobState::NotReported;

  // Completed impressions as a share of the total (0..100); none without both counts.
  std::optional<std::uint8_t> progress_percent() const;
};

// A printer that announces itself on the network and prints without a driver (IPP Everywhere).
struct DriverlessPrinter {
  std::string identifier;  // the printer's device URI; unique where names repeat
  std::string name;
  std::optional<std::string> detail;  // make and model, or location
};

// A scanner as the scanning service lists it.
struct Scanner {
  std::string device;  // the device name a scanning program opens
  std::string description;
};

using Done = std::expected<void, std::string>;

// The configured queues in the service's order. The default is the one the user's own default
// names (see `set_default`) while that queue exists, else the service's.
std::expected<std::vector<PrinterQueue>, std::string> queues();

// Jobs not yet finished, and finished jobs of the last hour (so a failed job can be retried).
std::expected<std::vector<PrintJob>, std::string> jobs();

// Driverless printers announced nearby that are not configured yet; waits a few seconds at most.
std::expected<std::vector<DriverlessPrinter>, std::string> discover_driverless();

inline constexpr std::chrono::milliseconds kScannerListLimit{20'000};

// Scanners, from `scanimage -L` (stopped after `time_limit`). A listing, or its failure, is reused
// for 60 seconds. Without the scanning program there are no scanners.
std::expected<std::vector<Scanner>, std::string> scanners(std::chrono::milliseconds time_limit = kScannerListLimit);
// The next `scanners` call lists again.
void forget_scanners();

// Changes. A request the printing service refuses fails with the service's own message.
// Adds the printer as an IPP Everywhere queue that accepts jobs.
Done add_driverless(const DriverlessPrinter& printer);
// Makes the queue the user's default destination (no privileges needed).
Done set_default(std::string_view name);
// Resumes (true) or pauses (false) the queue.
Done set_enabled(std::string_view name, bool enabled);
Done remove_queue(std::string_view name);
Done cancel_job(std::string_view id);
// Restarts a stopped, cancelled or failed job.
Done retry_job(std::string_view id);

// The scanners `scanimage -L` lists in `text`, in order.
std::vector<Scanner> parse_scanner_list(std::string_view text);
}  // namespace os_actions::printing
