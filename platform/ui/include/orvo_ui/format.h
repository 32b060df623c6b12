#pragma once
// Numbers as the interface shows them.
#include <cstdint>
#include <string>

namespace orvo_ui::format {

// A size in bytes with SI units (powers of 1000) and one decimal: "0 B", "512 B", "1.2 kB",
// "1.2 GB". A value that rounds to 1000 of a unit is shown in the next unit ("1.0 MB").
std::string bytes_si(std::uint64_t bytes);

}  // namespace orvo_ui::format
