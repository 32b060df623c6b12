#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {

orvo_actions::Resource printers_resource(const SectionInputs& /*inputs*/) {
  return section_shell(settings_app::SettingsSection::Printers);
}

}  // namespace settings::actions
