#include "settings_app/search_field.h"

namespace settings::settings_app {

std::unique_ptr<orvo_ui::Widget> make_search_field(const orvo_ui::PublishedCell<std::string>& /*text*/) {
  return nullptr;
}

}  // namespace settings::settings_app
