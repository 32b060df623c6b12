#include "panes/pane_operation.h"

#include <array>

namespace settings::settings_app {

SettingsSection PaneOperation::section() const {
  static constexpr std::array<SettingsSection::Value, 10> kSections{
      SettingsSection::Updates, SettingsSection::Power,    SettingsSection::Network,  SettingsSection::Bluetooth,
      SettingsSection::Sound,   SettingsSection::Displays, SettingsSection::Storage,  SettingsSection::Printers,
      SettingsSection::Users,   SettingsSection::AgentModels};
  return kSections[index()];
}

}  // namespace settings::settings_app
