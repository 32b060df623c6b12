#include "actions/system_handlers.h"

#include <string>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {

using orvo_actions::ActionArgs;

orvo_actions::ArgumentHandler update_switch_handler(UpdateSwitch which) {
  return [which](const ActionArgs& args) {
    const bool on = handler_support::flag(args);
    if (which == UpdateSwitch::Automatic) return encode_operation(UpdateOperation{UpdateOperation::SetAutomatic{on}});
    return encode_operation(UpdateOperation{UpdateOperation::SetMetered{on}});
  };
}

orvo_actions::ArgumentHandler update_schedule_handler() {
  return [](const ActionArgs& args) {
    return encode_operation(UpdateOperation{UpdateOperation::SetSchedule{handler_support::choice(args)}});
  };
}

orvo_actions::ArgumentHandler time_switch_handler(TimeSwitch which) {
  return [which](const ActionArgs& args) {
    const bool on = handler_support::flag(args);
    if (which == TimeSwitch::AutomaticTime) {
      return encode_operation(TimeDateOperation{TimeDateOperation::SetAutomaticTime{on}});
    }
    return encode_operation(TimeDateOperation{TimeDateOperation::SetHourCycle{on}});
  };
}

orvo_actions::ArgumentHandler timezone_handler() {
  return [](const ActionArgs& args) {
    return encode_operation(TimeDateOperation{
        TimeDateOperation::SetTimezone{handler_support::choice(args, std::string(kDefaultTimezone))}});
  };
}

}  // namespace settings::actions
