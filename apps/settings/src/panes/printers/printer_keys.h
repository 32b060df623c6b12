#pragma once
// The one-shot keys of the Printers page's document. A queue's or job's key carries its name or id
// slugged, so names that differ only in case or punctuation share their keys.
#include <string>
#include <string_view>

namespace settings::panes::printers {

inline constexpr std::string_view kRefreshKey = "settings.printers.refresh";
inline constexpr std::string_view kDiscoverKey = "settings.printers.discover";

// Each ASCII letter lower-cased, each ASCII digit kept, every other character (also each one
// outside ASCII) one "_".
std::string ascii_slug(std::string_view text);

// "settings.printers." + action + "." + slug of the queue name ("default", "enabled", "remove",
// "confirm_remove"); the "add" key of a discovered printer takes its identifier.
std::string printer_queue_key(std::string_view action, std::string_view name);
// "settings.printers.job." + action + "." + slug of the job id ("cancel", "retry").
std::string print_job_key(std::string_view action, std::string_view id);

}  // namespace settings::panes::printers
