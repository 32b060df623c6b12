#include "preferences/notification_mute.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace settings::preferences {

std::vector<std::string> mute_labels() {
  std::vector<std::string> labels;
  for (const MuteChoice& choice : kMuteChoices) labels.emplace_back(choice.label);
  return labels;
}

std::string_view mute_label(std::optional<std::int64_t> muted_until, std::int64_t now) {
  if (!muted_until || *muted_until <= now) return kMuteChoices[0].label;
  // Both are times of the clock, so a negative `now` cannot occur; the difference is taken
  // without overflow all the same.
  const std::int64_t left = now < 0 && *muted_until > std::numeric_limits<std::int64_t>::max() + now
                                ? std::numeric_limits<std::int64_t>::max()
                                : *muted_until - now;
  if (left <= kMuteChoices[1].seconds) return kMuteChoices[1].label;
  if (left <= kMuteChoices[2].seconds) return kMuteChoices[2].label;
  return kMuteChoices[3].label;
}

std::optional<std::optional<std::int64_t>> mute_expiry(std::string_view label, std::int64_t now) {
  for (const MuteChoice& choice : kMuteChoices) {
    if (choice.label != label) continue;
    if (choice.seconds == 0) return std::optional<std::int64_t>{};
    constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max();
    return std::optional<std::int64_t>{now > kLatest - choice.seconds ? kLatest : now + choice.seconds};
  }
  return std::nullopt;
}

std::int64_t mute_clock_now() {
  const auto since = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return std::max<std::int64_t>(0, since.count());
}

}  // namespace settings::preferences
