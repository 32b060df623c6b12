#include "panes/printers/printer_rows.h"

#include <fmt/format.h>

#include "orvo_ui/format.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "panes/printers/printer_keys.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::printers {
namespace {

using printing::JobState;
using printing::QueueState;

constexpr float kTitleSize = 13;
constexpr float kLineSize = 11;
constexpr float kButtonGap = 8;

std::unique_ptr<orvo_ui::Text> title_text(std::string_view text) {
  return std::make_unique<orvo_ui::Text>(orvo_ui::Text(std::string(text)).with_size(kTitleSize));
}

std::unique_ptr<orvo_ui::Text> line_text(std::string_view text) {
  return std::make_unique<orvo_ui::Text>(
      orvo_ui::Text(std::string(text)).with_size(kLineSize).with_tone(orvo_ui::TextTone::Secondary).with_wrap(true));
}

std::unique_ptr<orvo_ui::Row> header_row(std::string_view title) {
  auto row = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(kButtonGap));
  row->push(title_text(title));
  row->push(orvo_ui::Spacer::flexible());
  return row;
}

void push_button(orvo_ui::Row& row, DocumentControls& controls, std::string label, const std::string& key) {
  row.push(controls.press_button(key, std::move(label), key));
}

RowBox row_of(std::vector<RowBox> lines) {
  auto column = std::make_unique<orvo_ui::Column>(orvo_ui::Column().with_gap(widget_support::kTextBlockGap));
  for (auto& line : lines) column->push(std::move(line));
  return column;
}

std::string supply_text(const printing::PrinterSupply& supply) {
  if (supply.level_percent) return fmt::format("{} {}%", supply.name, *supply.level_percent);
  return supply.name + " — level not reported";
}

std::string progress_text(const printing::PrintJob& job) {
  if (!job.impressions_completed) return "Page progress not reported";
  if (job.impressions_total && *job.impressions_total != 0) {
    return fmt::format("{} of {} impressions · {}%", *job.impressions_completed, *job.impressions_total,
                       job.progress_percent().value_or(0));
  }
  return fmt::format("{} impressions completed", *job.impressions_completed);
}

}  // namespace

std::string_view queue_state_label(QueueState state) {
  switch (state) {
    case QueueState::Ready: return "Ready";
    case QueueState::Printing: return "Printing";
    case QueueState::Paused: return "Paused";
    case QueueState::Offline: return "Offline";
  }
  return "Ready";
}

std::string_view job_state_label(JobState state) {
  switch (state) {
    case JobState::Waiting: return "Waiting";
    case JobState::Held: return "Held";
    case JobState::Printing: return "Printing";
    case JobState::Stopped: return "Stopped";
    case JobState::Canceled: return "Canceled";
    case JobState::Failed: return "Failed";
    case JobState::Completed: return "Completed";
    case JobState::Unknown: return "Unknown state";
    case JobState::NotReported: return "State not reported";
  }
  return "Unknown state";
}

std::string queue_detail_line(const printing::PrinterQueue& queue) {
  if (queue.detail || !queue.live.reasons.empty()) {
    return fmt::format("{} · {}", queue.is_default ? "Default" : "Configured",
                       queue.detail ? *queue.detail : queue.live.reasons.front());
  }
  if (!queue.accepting_jobs) return "Not accepting new jobs";
  return queue.is_default ? "Default · accepting jobs" : "Accepting jobs";
}

std::string queue_supplies_line(const printing::PrinterQueue& queue) {
  const auto& supplies = queue.live.supplies;
  if (!supplies) return queue.live.details_read ? "Supply levels not reported by this printer" : "Live IPP details unavailable";
  if (supplies->empty()) return "Supplies: none installed";
  std::vector<std::string> texts;
  for (const auto& supply : *supplies) texts.push_back(supply_text(supply));
  return fmt::format("Supplies: {}", fmt::join(texts, " · "));
}

std::string job_detail_line(const printing::PrintJob& job) {
  return fmt::format("{} · {} · {}", job.title, orvo_ui::format::bytes_si(job.size_bytes), job.owner);
}

std::string job_progress_line(const printing::PrintJob& job) {
  std::string line = fmt::format("{} · {}", job_state_label(job.state), progress_text(job));
  if (!job.reasons.empty()) line += " · " + job.reasons.front();
  return line;
}

std::vector<RowBox> printer_queue_rows(const std::vector<printing::PrinterQueue>& queues,
                                       const std::optional<std::string>& pending_removal, DocumentControls& controls) {
  std::vector<RowBox> rows;
  const std::vector<std::string> names = queue_names(queues);
  for (const auto& queue : queues) {
    auto header = header_row(queue.name);
    const bool paused_or_offline = queue.state == QueueState::Paused || queue.state == QueueState::Offline;
    header->push(widget_support::tone_badge(queue_state_label(queue.state), paused_or_offline ? 2 : 0));
    if (!queue.is_default) push_button(*header, controls, "Make default", printer_queue_key("default", queue.name, names));
    push_button(*header, controls, queue.state == QueueState::Paused ? "Resume" : "Pause",
                printer_queue_key("enabled", queue.name, names));
    if (pending_removal == queue.name) {
      push_button(*header, controls, "Remove printer", printer_queue_key("confirm_remove", queue.name, names));
    } else {
      push_button(*header, controls, "Remove…", printer_queue_key("remove", queue.name, names));
    }
    std::vector<RowBox> lines;
    lines.push_back(std::move(header));
    lines.push_back(line_text(queue_detail_line(queue)));
    lines.push_back(line_text(queue_supplies_line(queue)));
    rows.push_back(row_of(std::move(lines)));
  }
  return rows;
}

std::vector<RowBox> print_job_rows(const std::vector<printing::PrintJob>& jobs, DocumentControls& controls) {
  std::vector<RowBox> rows;
  const std::vector<std::string> ids = job_ids(jobs);
  for (const auto& job : jobs) {
    auto header = header_row(fmt::format("{} → {}", job.id, job.printer));
    const std::string cancel = print_job_key("cancel", job.id, ids);
    const std::string retry = print_job_key("retry", job.id, ids);
    switch (job.state) {
      case JobState::Waiting:
      case JobState::Held:
      case JobState::Printing:
      case JobState::NotReported: push_button(*header, controls, "Cancel", cancel); break;
      case JobState::Stopped:
        push_button(*header, controls, "Retry", retry);
        push_button(*header, controls, "Cancel", cancel);
        break;
      case JobState::Canceled:
      case JobState::Failed: push_button(*header, controls, "Retry", retry); break;
      case JobState::Completed:
      case JobState::Unknown: break;
    }
    std::vector<RowBox> lines;
    lines.push_back(std::move(header));
    lines.push_back(line_text(job_detail_line(job)));
    lines.push_back(line_text(job_progress_line(job)));
    rows.push_back(row_of(std::move(lines)));
  }
  return rows;
}

std::vector<RowBox> driverless_printer_rows(const std::vector<printing::DriverlessPrinter>& printers,
                                            DocumentControls& controls) {
  std::vector<RowBox> rows;
  const std::vector<std::string> identifiers = printer_identifiers(printers);
  for (const auto& printer : printers) {
    auto header = header_row(printer.name);
    push_button(*header, controls, "Add", printer_queue_key("add", printer.identifier, identifiers));
    std::vector<RowBox> lines;
    lines.push_back(std::move(header));
    lines.push_back(line_text(printer.detail.value_or("Driverless IPP")));
    rows.push_back(row_of(std::move(lines)));
  }
  return rows;
}

std::vector<std::string> queue_names(const std::vector<printing::PrinterQueue>& queues) {
  std::vector<std::string> names;
  for (const auto& queue : queues) names.push_back(queue.name);
  return names;
}

std::vector<std::string> job_ids(const std::vector<printing::PrintJob>& jobs) {
  std::vector<std::string> ids;
  for (const auto& job : jobs) ids.push_back(job.id);
  return ids;
}

std::vector<std::string> printer_identifiers(const std::vector<printing::DriverlessPrinter>& printers) {
  std::vector<std::string> identifiers;
  for (const auto& printer : printers) identifiers.push_back(printer.identifier);
  return identifiers;
}

std::vector<RowBox> scanner_rows(const std::vector<printing::Scanner>& scanners) {
  std::vector<RowBox> rows;
  for (const auto& scanner : scanners) {
    std::vector<RowBox> lines;
    lines.push_back(title_text(scanner.description));
    lines.push_back(line_text(scanner.device));
    rows.push_back(row_of(std::move(lines)));
  }
  return rows;
}

}  // namespace settings::panes::printers
