#include "panes/printers/printer_keys.h"

#include <algorithm>

namespace settings::panes::printers {

std::string ascii_slug(std::string_view text) {
  std::string slug;
  slug.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 'A' && byte <= 'Z') slug.push_back(static_cast<char>(byte - 'A' + 'a'));
    else if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) slug.push_back(static_cast<char>(byte));
    else slug.push_back('_');
    // A character outside ASCII counts once, whatever its length in UTF-8.
    std::size_t length = 1;
    if (byte >= 0xF0) length = 4;
    else if (byte >= 0xE0) length = 3;
    else if (byte >= 0xC0) length = 2;
    std::size_t next = i + 1;
    while (next < text.size() && next < i + length && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    i = next;
  }
  return slug;
}

std::string key_segment(std::string_view name, const std::vector<std::string>& names) {
  std::string slug = ascii_slug(name);
  const bool shared = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
    return other != name && ascii_slug(other) == slug;
  });
  if (!shared) return slug;
  slug += '~';
  constexpr char kHex[] = "0123456789abcdef";
  for (unsigned char byte : name) {
    slug.push_back(kHex[byte >> 4]);
    slug.push_back(kHex[byte & 0x0F]);
  }
  return slug;
}

std::string printer_queue_key(std::string_view action, std::string_view name, const std::vector<std::string>& names) {
  return "settings.printers." + std::string(action) + "." + key_segment(name, names);
}

std::string print_job_key(std::string_view action, std::string_view id, const std::vector<std::string>& ids) {
  return "settings.printers.job." + std::string(action) + "." + key_segment(id, ids);
}

}  // namespace settings::panes::printers
