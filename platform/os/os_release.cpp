#include "os_actions/os_release.h"

#include <fstream>
#include <sstream>

#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace os_actions::os_release {
namespace {

constexpr std::string_view kKey = "PRETTY_NAME=";

std::string_view trim_runs_of(std::string_view text, char quote) {
  while (!text.empty() && text.front() == quote) text.remove_prefix(1);
  while (!text.empty() && text.back() == quote) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> pretty_name(std::string_view file_text, NameSearch search) {
  while (!file_text.empty()) {
    const auto end = file_text.find('\n');
    const std::string_view raw = file_text.substr(0, end);
    file_text.remove_prefix(end == std::string_view::npos ? file_text.size() : end + 1);

    const std::string_view line = orvo_runtime::text::trim_unicode_whitespace(raw);
    if (!line.starts_with(kKey)) continue;
    const std::string_view name = trim_runs_of(trim_runs_of(line.substr(kKey.size()), '"'), '\'');
    if (!name.empty()) return std::string(name);
    if (search == NameSearch::FirstLine) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> read_pretty_name(NameSearch search) {
  std::ifstream file(system_paths::system_path("/etc/os-release"), std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return pretty_name(orvo_runtime::text::decode_utf8_lossy(text.str()), search);
}

}  // namespace os_actions::os_release
