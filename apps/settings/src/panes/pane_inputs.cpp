#include "panes/pane_inputs.h"

#include <string>

namespace settings::settings_app {

orvo_ui::PaneDescriptor section_descriptor(SettingsSection section) {
  return {std::string(section.id()), std::string(section.title()), std::string(section.description())};
}

}  // namespace settings::settings_app
