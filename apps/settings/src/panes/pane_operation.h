#pragma once
// One validated device-local operation that the root hands to the pane that performs it. The tag
// names the area; the pane takes the value out of the shared cell only when the tag is its own.
#include <cstdint>
#include <variant>

#include "actions/account_operations.h"
#include "actions/hardware_operations.h"
#include "actions/system_operations.h"
#include "sections/sections.h"

namespace settings::settings_app {

struct PaneOperation
    : std::variant<actions::UpdateOperation, actions::PowerOperation, actions::NetworkOperation,
                   actions::BluetoothOperation, actions::AudioOperation, actions::DisplayOperation,
                   actions::StorageOperation, actions::PrinterOperation, actions::UserOperation,
                   actions::AgentModelOperation> {
  using variant::variant;

  // 0 Update, 1 Power, 2 Network, 3 Bluetooth, 4 Audio, 5 Display, 6 Storage, 7 Printer, 8 User,
  // 9 AgentModel.
  std::uint8_t tag() const { return static_cast<std::uint8_t>(index()); }
  // The section whose pane performs it.
  SettingsSection section() const;

  friend bool operator==(const PaneOperation&, const PaneOperation&) = default;
};

}  // namespace settings::settings_app
