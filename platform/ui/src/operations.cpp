#include "orvo_ui/operations.h"

#include <chrono>

namespace orvo_ui {

Deadline Deadline::now() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  auto secs = std::chrono::duration_cast<std::chrono::seconds>(since);
  auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(since - secs);
  return {secs.count(), static_cast<std::uint32_t>(nanos.count())};
}

Deadline Deadline::after_millis(std::int64_t millis) {
  Deadline d = now();
  std::int64_t total = static_cast<std::int64_t>(d.nanos) + (millis % 1000) * 1'000'000;
  d.secs += millis / 1000 + total / 1'000'000'000;
  d.nanos = static_cast<std::uint32_t>(total % 1'000'000'000);
  return d;
}

}  // namespace orvo_ui
