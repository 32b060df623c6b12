#pragma once
// The operating system's display name from /etc/os-release (PRETTY_NAME).
#include <optional>
#include <string>
#include <string_view>

namespace os_actions::os_release {

// Which PRETTY_NAME line counts when there are several, or when a value is empty.
enum class NameSearch {
  FirstNonEmpty,  // the first line whose value is not empty once its quotes are gone
  FirstLine,      // the first line, whatever its value; an empty value gives no name
};

// The name the text of an os-release file gives: each line is trimmed and must begin with
// "PRETTY_NAME="; the rest loses any run of double quotes, then any run of single quotes, at both
// ends. None when no line gives a name.
std::optional<std::string> pretty_name(std::string_view file_text, NameSearch search);

// The same, read from /etc/os-release (under the system root; invalid UTF-8 replaced). None when
// the file cannot be read.
std::optional<std::string> read_pretty_name(NameSearch search);

}  // namespace os_actions::os_release
