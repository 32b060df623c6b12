#include "orvo_ui/format.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace orvo_ui::format {

std::string bytes_si(std::uint64_t bytes) {
  constexpr std::array<std::string_view, 7> kUnits{"B", "kB", "MB", "GB", "TB", "PB", "EB"};
  if (bytes < 1000) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  // Tenths decide the unit, so 999,950 bytes read "1.0 MB" rather than "1000.0 kB".
  while (unit + 1 < kUnits.size() && value >= 999.95) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit].data());
  return text;
}

std::string bytes(std::uint64_t bytes) {
  constexpr std::array<std::string_view, 7> kUnits{"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  // As above: 1023.95 of a unit and more print as 1.0 of the next.
  while (unit + 1 < kUnits.size() && value >= 1023.95) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit].data());
  return text;
}

}  // namespace orvo_ui::format
