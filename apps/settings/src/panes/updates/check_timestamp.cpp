#include "panes/updates/check_timestamp.h"

#include "orvo_runtime/text.h"
#include "os_actions/time.h"

namespace settings::panes::updates {

std::string check_timestamp() { return join_timestamp(os_actions::time::now_date(), os_actions::time::now_clock(true)); }

std::string join_timestamp(const std::expected<std::string, std::string>& date,
                           const std::expected<std::string, std::string>& clock) {
  const std::string joined = date.value_or("") + " " + clock.value_or("");
  return std::string(orvo_runtime::text::trim_unicode_whitespace(joined));
}

}  // namespace settings::panes::updates
