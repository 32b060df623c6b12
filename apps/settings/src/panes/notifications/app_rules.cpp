#include "panes/notifications/app_rules.h"

#include <fmt/format.h>

namespace settings::panes::notifications {

std::string app_setting_key(std::string_view app_id, std::string_view field) {
  return fmt::format("notifications.app.{}.{}", app_id, field);
}

}  // namespace settings::panes::notifications
