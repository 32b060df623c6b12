#pragma once
// The text a finished update check is stamped with ("2026-12-10 14:05"): the local date and the
// 24-hour time of day.
#include <expected>
#include <string>

namespace settings::panes::updates {

std::string check_timestamp();

// The date, a blank and the time, trimmed; a part that could not be had counts as empty.
std::string join_timestamp(const std::expected<std::string, std::string>& date,
                           const std::expected<std::string, std::string>& clock);

}  // namespace settings::panes::updates
