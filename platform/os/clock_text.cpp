#include <locale.h>
#include <time.h>

#include <array>

#include "os_actions/time.h"

namespace os_actions::time {
namespace {

// The C locale's words ("AM", "PM") whatever locale the program runs in.
std::expected<std::string, std::string> format_local(std::time_t moment, const char* format) {
  // The zone may have changed since the last call (a test, or the user changing it).
  ::tzset();
  struct tm local {};
  if (::localtime_r(&moment, &local) == nullptr) return std::unexpected("the local time could not be determined");
  const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (c_locale == static_cast<locale_t>(nullptr)) return std::unexpected("the C locale is not available");
  std::array<char, 64> buffer{};
  const std::size_t written = ::strftime_l(buffer.data(), buffer.size(), format, &local, c_locale);
  ::freelocale(c_locale);
  if (written == 0) return std::unexpected("the local time could not be formatted");
  return std::string(buffer.data(), written);
}

}  // namespace

std::expected<std::string, std::string> format_date(std::time_t moment) { return format_local(moment, "%Y-%m-%d"); }

std::expected<std::string, std::string> format_clock(std::time_t moment, bool h24) {
  auto text = format_local(moment, h24 ? "%H:%M" : "%I:%M %p");
  // "02:05 PM" reads "2:05 PM"; the 24-hour form keeps its zero ("09:30").
  if (text && !h24 && text->size() > 1 && text->front() == '0') text->erase(0, 1);
  return text;
}

std::expected<std::string, std::string> now_date() { return format_date(std::time(nullptr)); }

std::expected<std::string, std::string> now_clock(bool h24) { return format_clock(std::time(nullptr), h24); }

}  // namespace os_actions::time
