#include "panes/printers/printer_keys.h"

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

std::string printer_queue_key(std::string_view action, std::string_view name) {
  return "settings.printers." + std::string(action) + "." + ascii_slug(name);
}

std::string print_job_key(std::string_view action, std::string_view id) {
  return "settings.printers.job." + std::string(action) + "." + ascii_slug(id);
}

}  // namespace settings::panes::printers
