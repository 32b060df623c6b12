#include "panes/updates/update_policy.h"

#include <fmt/format.h>

#include <array>
#include <fstream>
#include <sstream>

#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace settings::panes::updates {
namespace {

using orvo_runtime::text::trim_unicode_whitespace;

constexpr std::array<std::string_view, 5> kPolicyActions = {"schedule-system", "schedule-daily", "schedule-weekly",
                                                            "metered-allow", "metered-avoid"};

std::string_view value_of(const UpdatePolicy& policy, std::string_view key) {
  const auto found = policy.find(key);
  return found == policy.end() ? std::string_view() : std::string_view(found->second);
}

}  // namespace

UpdatePolicy parse_update_policy(std::string_view text) {
  UpdatePolicy policy;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    policy.insert_or_assign(std::string(trim_unicode_whitespace(line.substr(0, equals))),
                            std::string(trim_unicode_whitespace(line.substr(equals + 1))));
  }
  return policy;
}

UpdatePolicy read_update_policy() {
  std::ifstream file(system_paths::system_path(kPolicyFile), std::ios::binary);
  if (!file) return {};
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (file.bad()) return {};
  const std::string text = bytes.str();
  if (orvo_runtime::text::decode_utf8_lossy(text) != text) return {};
  return parse_update_policy(text);
}

std::string_view schedule_label(const UpdatePolicy& policy) {
  const std::string_view value = value_of(policy, "schedule");
  if (value == "daily") return kScheduleDaily;
  if (value == "weekly") return kScheduleWeekly;
  return kScheduleSystem;
}

bool metered_downloads_allowed(const UpdatePolicy& policy) { return value_of(policy, "metered") == "allow"; }

std::optional<std::string_view> schedule_action(std::string_view label) {
  if (label == kScheduleSystem) return "schedule-system";
  if (label == kScheduleDaily) return "schedule-daily";
  if (label == kScheduleWeekly) return "schedule-weekly";
  return std::nullopt;
}

bool is_policy_action(std::string_view action) {
  for (const std::string_view known : kPolicyActions) {
    if (action == known) return true;
  }
  return false;
}

std::string policy_unit(std::string_view action) { return fmt::format("orvo-update-policy@{}.service", action); }

}  // namespace settings::panes::updates
