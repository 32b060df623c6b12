#include "panes/permissions/device_security.h"

#include <algorithm>
#include <chrono>

#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace settings::panes::permissions {
namespace {

constexpr std::chrono::milliseconds kCheckTimeLimit{5000};
constexpr std::string_view kSecureBootPrefix = "SecureBoot-";
// An EFI variable is a 4-byte attribute header and its data; the Secure Boot one holds one byte.
constexpr std::size_t kEfiVariableCap = 4096;

std::vector<std::string> args(std::initializer_list<std::string_view> list) {
  return std::vector<std::string>(list.begin(), list.end());
}

}  // namespace

std::optional<std::string> run_for_output(std::string_view program, std::span<const std::string> arguments) {
  auto output = bounded_command::run(program, arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                     kCheckTimeLimit);
  if (!output || !output->status.success()) return std::nullopt;
  const std::string text = orvo_runtime::text::decode_utf8_lossy(output->standard_output);
  return std::string(orvo_runtime::text::trim_unicode_whitespace(text));
}

std::string disk_encryption(const RunForOutput& run) {
  const auto source = run("findmnt", args({"-no", "SOURCE", "/"}));
  if (!source) return std::string(kUnavailable);
  const auto layers = run("lsblk", args({"-s", "-n", "-o", "TYPE", *source}));
  if (!layers) return std::string(kUnavailable);
  std::string_view rest = *layers;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    if (orvo_runtime::text::trim_unicode_whitespace(rest.substr(0, end)) == "crypt") return "Encrypted";
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return "Not encrypted";
}

std::optional<std::filesystem::path> secure_boot_state(std::vector<std::filesystem::path> listing) {
  std::sort(listing.begin(), listing.end());
  for (auto& entry : listing) {
    if (entry.filename().string().starts_with(kSecureBootPrefix)) return std::move(entry);
  }
  return std::nullopt;
}

std::string secure_boot(const std::filesystem::path& efivars) {
  std::error_code error;
  std::vector<std::filesystem::path> listing;
  for (std::filesystem::directory_iterator it(efivars, error), end; !error && it != end; it.increment(error)) {
    listing.push_back(it->path());
  }
  if (error) return std::string(kUnavailable);
  const auto variable = secure_boot_state(std::move(listing));
  if (!variable) return "Disabled";
  const auto bytes = orvo_runtime::read_capped(*variable, kEfiVariableCap);
  if (!bytes || bytes->size() < 5) return std::string(kUnavailable);
  return (*bytes)[4] == 1 ? "Enabled" : "Disabled";
}

std::string firewall(const RunForOutput& run) {
  if (run("firewall-cmd", args({"--state"})) == "running") return "Active \u00b7 firewalld";
  const auto ruleset = run("nft", args({"list", "ruleset"}));
  if (!ruleset) return std::string(kUnavailable);
  return ruleset->empty() ? "Not active" : "Active \u00b7 nftables";
}

DeviceSecurity check_device_security() {
  const RunForOutput run = [](std::string_view program, std::span<const std::string> arguments) {
    return run_for_output(program, arguments);
  };
  return DeviceSecurity{disk_encryption(run), secure_boot(system_paths::system_path("/sys/firmware/efi/efivars")),
                        firewall(run)};
}

}  // namespace settings::panes::permissions
