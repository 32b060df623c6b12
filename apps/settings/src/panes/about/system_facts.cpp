#include "panes/about/system_facts.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>

#include <fmt/format.h>

#include "orvo_identity/local_identity.h"
#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"
#include "orvo_ui/format.h"
#include "os_actions/os_release.h"

namespace settings::panes::about {
namespace {

using orvo_runtime::text::trim_unicode_whitespace;

// The one-line files are tiny; the cap only guards against a file that is not what it claims.
constexpr std::size_t kSmallFileCap = 64 * 1024;

std::optional<std::string> read_small(const std::filesystem::path& path) {
  auto bytes = orvo_runtime::read_capped(path, kSmallFileCap);
  if (!bytes) return std::nullopt;
  return orvo_runtime::text::decode_utf8_lossy(*bytes);
}

// The file's trimmed text; none when it cannot be read or holds nothing but white space.
std::optional<std::string> read_trimmed(const std::filesystem::path& path) {
  auto text = read_small(path);
  if (!text) return std::nullopt;
  auto trimmed = trim_unicode_whitespace(*text);
  if (trimmed.empty()) return std::nullopt;
  return std::string(trimmed);
}

// The first line of a longer file (cpuinfo, meminfo) for which `take` gives a value; read line by
// line, so a large file costs no more than the lines before the match.
template <typename Take>
auto first_line_value(const std::filesystem::path& path, Take take) -> decltype(take(std::string_view())) {
  std::ifstream file(path, std::ios::binary);
  for (std::string line; file && std::getline(file, line);) {
    if (auto value = take(std::string_view(line))) return value;
  }
  return std::nullopt;
}

std::optional<std::string> os_name(const std::filesystem::path& path) {
  auto text = read_small(path);
  if (!text) return std::nullopt;
  return os_actions::os_release::pretty_name(*text, os_actions::os_release::NameSearch::FirstLine);
}

std::string uptime(const std::filesystem::path& path) {
  auto text = read_small(path);
  if (!text) return std::string(kUnknown);
  std::string_view rest = trim_unicode_whitespace(*text);
  const std::string_view field = rest.substr(0, rest.find_first_of(" \t\n"));
  double seconds = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), seconds);
  if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::string(kUnknown);
  return uptime_text(seconds);
}

std::optional<std::string> processor(const std::filesystem::path& path) {
  return first_line_value(path, [](std::string_view line) -> std::optional<std::string> {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    if (trim_unicode_whitespace(line.substr(0, colon)) != "model name") return std::nullopt;
    return orvo_runtime::text::decode_utf8_lossy(trim_unicode_whitespace(line.substr(colon + 1)));
  });
}

std::optional<std::string> memory(const std::filesystem::path& path) {
  return first_line_value(path, [](std::string_view line) -> std::optional<std::string> {
    constexpr std::string_view kKey = "MemTotal:";
    if (!line.starts_with(kKey)) return std::nullopt;
    std::string_view rest = line.substr(kKey.size());
    const auto start = rest.find_first_of("0123456789");
    if (start == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(start);
    std::uint64_t kibibytes = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kibibytes);
    if (error != std::errc() || kibibytes > std::numeric_limits<std::uint64_t>::max() / 1024) return std::nullopt;
    return orvo_ui::format::bytes(kibibytes * 1024);
  });
}

}  // namespace

FactSources FactSources::system() {
  return FactSources{system_paths::system_path("/etc/os-release"),
                     system_paths::system_path("/proc/sys/kernel/osrelease"),
                     system_paths::system_path("/proc/uptime"),
                     system_paths::system_path("/proc/sys/kernel/hostname"),
                     system_paths::system_path("/proc/cpuinfo"),
                     system_paths::system_path("/proc/meminfo")};
}

std::string_view build_architecture() {
#if defined(__x86_64__)
  return "x86_64";
#elif defined(__aarch64__)
  return "aarch64";
#elif defined(__i386__)
  return "x86";
#elif defined(__arm__)
  return "arm";
#elif defined(__riscv) && __riscv_xlen == 64
  return "riscv64";
#elif defined(__powerpc64__)
  return "powerpc64";
#elif defined(__s390x__)
  return "s390x";
#else
  return "unknown";
#endif
}

std::string uptime_text(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return std::string(kUnknown);
  // A value past the counter's range cannot be an uptime; it saturates rather than wraps.
  constexpr double kLimit = 18446744073709551615.0;
  const std::uint64_t s = seconds >= kLimit ? std::numeric_limits<std::uint64_t>::max()
                                            : static_cast<std::uint64_t>(seconds);
  if (s >= 86400) return fmt::format("{}d {}h {}m", s / 86400, (s % 86400) / 3600, (s % 3600) / 60);
  if (s % 86400 >= 3600) return fmt::format("{}h {}m", (s % 86400) / 3600, (s % 3600) / 60);
  return fmt::format("{}m", (s % 3600) / 60);
}

SystemFacts gather_system_facts(const FactSources& sources) {
  SystemFacts facts;
  facts.os_name = os_name(sources.os_release).value_or(std::string(kUnknown));
  facts.kernel = read_trimmed(sources.kernel).value_or(std::string(kUnknown));
  facts.uptime = uptime(sources.uptime);
  facts.hostname = read_trimmed(sources.hostname).value_or(std::string(kDefaultHostname));
  facts.architecture = std::string(build_architecture());
  facts.processor = processor(sources.cpuinfo).value_or(std::string(kUnknown));
  facts.memory = memory(sources.meminfo).value_or(std::string(kUnknown));
  return facts;
}

void add_identity(SystemFacts& facts) {
  auto dir = runtime_identity::unix::identity_dir_from_env();
  if (!dir) return;
  auto identity = runtime_identity::unix::resolve_active_identity(*dir);
  if (!identity) return;
  const std::string& name = identity->label && !trim_unicode_whitespace(*identity->label).empty()
                                ? *identity->label
                                : identity->id;
  const auto trimmed = trim_unicode_whitespace(name);
  if (trimmed.empty()) return;
  facts.identity_name = std::string(trimmed);
  std::array<std::uint8_t, 8> prefix{};
  std::copy_n(identity->user_public_key.bytes.begin(), prefix.size(), prefix.begin());
  facts.identity_key_prefix = prefix;
}

std::string short_device_id(const SystemFacts& facts) {
  std::uint64_t value = 0;
  if (facts.identity_key_prefix) {
    for (std::uint8_t byte : *facts.identity_key_prefix) value = (value << 8) | byte;
  } else {
    // Not the usual FNV offset basis, but the one ids were first made with: they must not change.
    value = 0x14650fb0739d0383ull;
    for (unsigned char byte : facts.hostname) value = (value ^ byte) * 0x100000001b3ull;
  }
  const std::string hex = fmt::format("{:016x}", value);
  return fmt::format("{}\u00b7{}\u00b7{}\u00b7{}", hex.substr(0, 4), hex.substr(4, 4), hex.substr(8, 4), hex.substr(12, 4));
}

}  // namespace settings::panes::about
