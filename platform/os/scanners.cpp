// Scanners, as the scanning service's own lister names them.
#include <chrono>
#include <mutex>
#include <optional>

#include <fmt/format.h>

#include "orvo_runtime/bounded_command.h"
#include "os_actions/printing.h"

namespace os_actions::printing {
namespace {

constexpr std::chrono::seconds kListReused{60};
constexpr std::size_t kListOutputLimit = 256 * 1024;

struct CachedList {
  std::chrono::steady_clock::time_point at;
  std::expected<std::vector<Scanner>, std::string> scanners;
};

std::mutex cache_mutex;
std::optional<CachedList> cache;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

}  // namespace

// Each scanner is a line "device `NAME' is a DESCRIPTION"; anything else (the "no scanners were
// identified" notice, warnings) is not a scanner.
std::vector<Scanner> parse_scanner_list(std::string_view text) {
  constexpr std::string_view kOpening = "device `";
  constexpr std::string_view kSeparator = "' is a ";
  std::vector<Scanner> found;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.starts_with(kOpening)) continue;
    line.remove_prefix(kOpening.size());
    // A device name may hold "'" itself: the last separator ends it.
    const auto separator = line.rfind(kSeparator);
    if (separator == std::string_view::npos || separator == 0) continue;
    Scanner scanner{std::string(line.substr(0, separator)), std::string(trimmed(line.substr(separator + kSeparator.size())))};
    if (scanner.description.empty()) scanner.description = scanner.device;
    found.push_back(std::move(scanner));
  }
  return found;
}

namespace {

std::expected<std::vector<Scanner>, std::string> list_scanners(std::chrono::milliseconds time_limit) {
  const std::vector<std::string> arguments{"-L"};
  auto listed = bounded_command::run("scanimage", arguments, std::nullopt, kListOutputLimit, time_limit);
  if (!listed) {
    if (listed.error().kind == bounded_command::ErrorKind::NotFound) return std::vector<Scanner>{};
    return std::unexpected(fmt::format("Could not list scanners: {}", listed.error().display()));
  }
  if (!listed->status.success()) {
    const auto detail = trimmed(listed->standard_error);
    return std::unexpected(
        fmt::format("Could not list scanners: scanimage failed{}{}", detail.empty() ? "" : ": ", detail));
  }
  return parse_scanner_list(listed->standard_output);
}

}  // namespace

// A failed listing is kept as long as a good one, so a scanner service that hangs costs one wait
// a minute rather than one per status refresh.
std::expected<std::vector<Scanner>, std::string> scanners(std::chrono::milliseconds time_limit) {
  std::lock_guard lock(cache_mutex);
  const auto now = std::chrono::steady_clock::now();
  if (cache && now - cache->at < kListReused) return cache->scanners;
  auto listed = list_scanners(time_limit);
  cache = CachedList{std::chrono::steady_clock::now(), listed};
  return listed;
}

void forget_scanners() {
  std::lock_guard lock(cache_mutex);
  cache.reset();
}

}  // namespace os_actions::printing
