#pragma once
// The one-shot keys of the Printers page's document. A queue's or job's key carries its name or id
// slugged, so names that differ only in case or punctuation share their keys.
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::printers {

inline constexpr std::string_view kRefreshKey = "settings.printers.refresh";
inline constexpr std::string_view kDiscoverKey = "settings.printers.discover";

// Each ASCII letter lower-cased, each ASCII digit kept, every other character (also each one
// outside ASCII) one "_".
std::string ascii_slug(std::string_view text);

// The slug of `name`, unless another of `names` has the same slug: then the slug, "~" and the
// name's bytes in hexadecimal, so every name of the list has its own.
std::string key_segment(std::string_view name, const std::vector<std::string>& names);

// "settings.printers." + action + "." + the key segment of the queue name among `names` ("default",
// "enabled", "remove", "confirm_remove"); the "add" key of a discovered printer takes its identifier.
std::string printer_queue_key(std::string_view action, std::string_view name,
                              const std::vector<std::string>& names = {});
// "settings.printers.job." + action + "." + the key segment of the job id among `ids` ("cancel", "retry").
std::string print_job_key(std::string_view action, std::string_view id, const std::vector<std::string>& ids = {});

}  // namespace settings::panes::printers
