#include "sysfs.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace os_actions::sysfs {

std::optional<std::string> read_trimmed(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  std::string text = content.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

std::optional<std::uint32_t> read_u32(const std::filesystem::path& path) {
  const auto text = read_trimmed(path);
  if (!text || text->empty()) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (ec != std::errc{} || end != text->data() + text->size()) return std::nullopt;
  return value;
}

}  // namespace os_actions::sysfs
