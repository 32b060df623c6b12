#pragma once
// What the About page says about this machine: the operating system, the kernel, how long it has
// been up, its name, processor and memory, and the identity of the person using it, with the short
// device id derived from them. Every source is a small file; one that cannot be read gives its
// fallback word, so gathering never fails.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace settings::panes::about {

struct SystemFacts {
  std::string os_name;
  std::string kernel;
  std::string uptime;
  std::string hostname;
  std::string architecture;
  std::string processor;
  std::string memory;
  std::optional<std::string> identity_name;
  std::optional<std::array<std::uint8_t, 8>> identity_key_prefix;
};

// Where the facts are read from.
struct FactSources {
  std::filesystem::path os_release;  // "/etc/os-release"
  std::filesystem::path kernel;      // "/proc/sys/kernel/osrelease"
  std::filesystem::path uptime;      // "/proc/uptime"
  std::filesystem::path hostname;    // "/proc/sys/kernel/hostname"
  std::filesystem::path cpuinfo;     // "/proc/cpuinfo"
  std::filesystem::path meminfo;     // "/proc/meminfo"

  // The files of the running system, under the system root.
  static FactSources system();
};

inline constexpr std::string_view kUnknown = "unknown";
inline constexpr std::string_view kDefaultHostname = "this-device";

// The processor architecture this program was built for ("x86_64", "aarch64", ...).
std::string_view build_architecture();

// "1d 1h 1m", "1h 0m" or "59m" for whole seconds; "unknown" for a value that is not a finite,
// non-negative number.
std::string uptime_text(double seconds);

// The file facts; the identity fields stay empty.
SystemFacts gather_system_facts(const FactSources& sources);
// The user's active identity: its name (label, else id) and the first 8 bytes of its public key;
// both stay empty when there is none or it cannot be read. Only the public record is read.
void add_identity(SystemFacts& facts);

// The identity key prefix as a big-endian number when there is one, else a hash of the hostname,
// as 16 hex digits in four groups joined by "·": "cb03·1de3·94c4·f5c4".
std::string short_device_id(const SystemFacts& facts);

}  // namespace settings::panes::about
