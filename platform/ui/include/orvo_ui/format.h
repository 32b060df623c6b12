#pragma once
// Numbers as the interface shows them.
#include <cstdint>
#include <string>

namespace orvo_ui::format {

// A size in bytes with SI units (powers of 1000) and one decimal: "0 B", "512 B", "1.2 kB",
// "1.2 GB". A value that rounds to 1000 of a unit is shown in the next unit ("1.0 MB").
std::string bytes_si(std::uint64_t bytes);

// A size in bytes with binary units (powers of 1024) and one decimal: "0 B", "1023 B", "1.0 KiB",
// "7.6 GiB". A value that rounds to 1024 of a unit is shown in the next unit ("1.0 MiB").
std::string bytes(std::uint64_t bytes);

}  // namespace orvo_ui::format
