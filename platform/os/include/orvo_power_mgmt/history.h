#pragma once
// The battery's charge history as the power service keeps it: nothing of ours records it.
#include <cstdint>
#include <vector>

namespace orvo_power_mgmt::history {

struct BatterySample {
  std::uint64_t time = 0;  // seconds since the epoch
  double percent = 0;
  bool operator==(const BatterySample&) const = default;
};

inline constexpr std::uint32_t kHistorySeconds = 30 * 24 * 60 * 60;
inline constexpr std::uint64_t kSampleSpacingSeconds = 15 * 60;

// The last 30 days of the battery's charge, oldest first, at most one sample per 15 minutes. Empty
// when there is no power service, no battery, or the service cannot answer.
std::vector<BatterySample> load_battery_history();

// Samples in time order with every sample dropped that comes less than 15 minutes after the last one
// kept.
std::vector<BatterySample> thin_samples(std::vector<BatterySample> samples);

}  // namespace orvo_power_mgmt::history
