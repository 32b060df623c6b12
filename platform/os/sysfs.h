#pragma once
// Small readers for the one-value text files of sysfs.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace os_actions::sysfs {

// The file's content without trailing white space; none when it cannot be read.
std::optional<std::string> read_trimmed(const std::filesystem::path& path);
// The file's content as an unsigned decimal number; none when unreadable or not a number.
std::optional<std::uint32_t> read_u32(const std::filesystem::path& path);

}  // namespace os_actions::sysfs
