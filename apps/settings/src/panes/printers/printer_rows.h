#pragma once
// The rows of the Printers page, one per configured queue, print job, nearby printer and scanner,
// and the texts they show. Each button's id is its document key.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orvo_ui/widget.h"
#include "panes/document_controls.h"
#include "panes/printers/printing_backend.h"

namespace settings::panes::printers {

using RowBox = std::unique_ptr<orvo_ui::Widget>;

inline constexpr std::string_view kNoQueuesCaption =
    "No configured printers. Use Find printers to discover secure driverless IPP devices on this network.";
inline constexpr std::string_view kSearchingCaption = "Looking for AirPrint/Mopria-compatible IPP printers…";
inline constexpr std::string_view kNoDriverlessCaption =
    "Only driverless IPP printers are offered automatically; legacy drivers are never downloaded silently.";
inline constexpr std::string_view kNoJobsCaption = "No active print jobs.";
inline constexpr std::string_view kNoScannersCaption =
    "No SANE-compatible scanners found. Network eSCL/WSD scanners appear here through sane-airscan.";

std::string_view queue_state_label(printing::QueueState state);
std::string_view job_state_label(printing::JobState state);
// The second line of a queue row, and its supplies line.
std::string queue_detail_line(const printing::PrinterQueue& queue);
std::string queue_supplies_line(const printing::PrinterQueue& queue);
// The second and third lines of a job row.
std::string job_detail_line(const printing::PrintJob& job);
std::string job_progress_line(const printing::PrintJob& job);

std::vector<RowBox> printer_queue_rows(const std::vector<printing::PrinterQueue>& queues,
                                       const std::optional<std::string>& pending_removal, DocumentControls& controls);
std::vector<RowBox> print_job_rows(const std::vector<printing::PrintJob>& jobs, DocumentControls& controls);
std::vector<RowBox> driverless_printer_rows(const std::vector<printing::DriverlessPrinter>& printers,
                                            DocumentControls& controls);
// The names, ids and identifiers the rows' keys are told apart among.
std::vector<std::string> queue_names(const std::vector<printing::PrinterQueue>& queues);
std::vector<std::string> job_ids(const std::vector<printing::PrintJob>& jobs);
std::vector<std::string> printer_identifiers(const std::vector<printing::DriverlessPrinter>& printers);

std::vector<RowBox> scanner_rows(const std::vector<printing::Scanner>& scanners);

}  // namespace settings::panes::printers
