// The tz database's zone table: any text gives entries (possibly none), never a crash, and every
// entry is a listed zone with coordinates on the globe, once, in map order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "panes/time_date/zone_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using settings::panes::time_date::parse_zone_table;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> zones{"America/New_York", "Europe/Paris", "America/Argentina/Buenos_Aires", "UTC"};
  const auto entries = parse_zone_table(text, zones);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& entry = entries[i];
    if (!seen.insert(entry.name).second) std::abort();
    if (entry.latitude_e6 < -90'000'000 || entry.latitude_e6 > 90'000'000) std::abort();
    if (entry.longitude_e6 < -180'000'000 || entry.longitude_e6 > 180'000'000) std::abort();
    if (i > 0 && entries[i - 1].longitude_e6 > entry.longitude_e6) std::abort();
  }
  return 0;
}
