#pragma once
// The class byte every action's operation carries, from its spec through the action host to the
// widgets that carry it out.
#include <cstdint>

namespace orvo_actions {

// Who an action's operation is for: 0 settings (carried out on the settings document, never by the
// widget tree), 1 device-local effects, 2 views opened for the user.
enum class OperationClass : std::uint8_t { Setting = 0, Effect = 1, Navigation = 2 };

}  // namespace orvo_actions
