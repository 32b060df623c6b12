#pragma once
// Print queues and jobs, read from the printing service (CUPS) over IPP.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
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

// The configured queues in the service's order.
std::expected<std::vector<PrinterQueue>, std::string> queues();

// Jobs not yet finished, and finished jobs of the last hour (so a failed job can be retried).
std::expected<std::vector<PrintJob>, std::string> jobs();

}  // namespace os_actions::printing
