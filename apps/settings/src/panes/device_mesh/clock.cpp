#include "panes/device_mesh/clock.h"

#include <chrono>

namespace settings::panes::device_mesh {

std::int64_t now_unix_secs() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t secs = std::chrono::duration_cast<std::chrono::seconds>(since).count();
  return secs < 0 ? 0 : secs;
}

}  // namespace settings::panes::device_mesh
