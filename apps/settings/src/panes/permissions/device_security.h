#pragma once
// The security state of this device as the privacy page reports it: whether the root file system
// sits on an encrypted layer, whether Secure Boot is on, and whether a firewall is active. Each
// check asks a base-system program or the firmware's variables and degrades to a word; running them
// blocks for up to 5 seconds a command, so they run on a worker.
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::permissions {

inline constexpr std::string_view kUnavailable = "Unavailable";

// A program's standard output, decoded (invalid UTF-8 replaced) and trimmed; none when it could not
// run or its exit status was not zero.
using RunForOutput = std::function<std::optional<std::string>(std::string_view program, std::span<const std::string>)>;

// Through the bounded command runner: no standard input, 1 MiB of output, 5 seconds.
std::optional<std::string> run_for_output(std::string_view program, std::span<const std::string> arguments);

// "Encrypted" when a layer under the root file system's source is a "crypt" device, else "Not
// encrypted"; "Unavailable" when either program fails.
std::string disk_encryption(const RunForOutput& run);

// The first entry of an EFI variables listing whose file name begins with "SecureBoot-" (by name,
// so the choice does not depend on the directory's order).
std::optional<std::filesystem::path> secure_boot_state(std::vector<std::filesystem::path> listing);

// From the EFI variables directory: "Enabled" when the variable's first data byte (after its
// 4-byte attribute header) is 1, "Disabled" when it is anything else or there is no variable,
// "Unavailable" when the directory cannot be listed or the variable cannot be read or is short.
std::string secure_boot(const std::filesystem::path& efivars);

// "Active · firewalld" when firewalld is running; otherwise the nftables ruleset decides:
// "Active · nftables" with rules, "Not active" with none, and "Unavailable" when it cannot be
// listed (the program is missing, or refuses a user without the privilege to read it).
std::string firewall(const RunForOutput& run);

struct DeviceSecurity {
  std::string disk_encryption;
  std::string secure_boot;
  std::string firewall;
};

// All three, with the real programs and "/sys/firmware/efi/efivars" under the system root.
DeviceSecurity check_device_security();

}  // namespace settings::panes::permissions
