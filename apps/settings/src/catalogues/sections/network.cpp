#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {

orvo_actions::Resource network_resource(const SectionInputs& /*inputs*/) {
  return section_shell(settings_app::SettingsSection::Network);
}

}  // namespace settings::actions
