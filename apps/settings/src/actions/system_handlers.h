#pragma once
// Argument handlers of the Updates and Time & Date sections: "settings.update-operation" and
// "settings.time-date-operation".
#include <cstdint>
#include <string_view>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

enum class UpdateSwitch : std::uint8_t { Automatic, Metered };
// "automatic-time" and "24-hour".
enum class TimeSwitch : std::uint8_t { AutomaticTime, HourCycle };

// The time zone set when the "timezone" action is invoked without a choice.
inline constexpr std::string_view kDefaultTimezone = "UTC";

// "value" as a boolean: SetAutomatic {enabled} ("automatic") or SetMetered {allowed} ("metered").
orvo_actions::ArgumentHandler update_switch_handler(UpdateSwitch which);
// "choice": SetSchedule {schedule}.
orvo_actions::ArgumentHandler update_schedule_handler();

// "value" as a boolean: SetAutomaticTime {enabled} or SetHourCycle {h24}.
orvo_actions::ArgumentHandler time_switch_handler(TimeSwitch which);
// "choice", "UTC" when absent: SetTimezone {timezone}.
orvo_actions::ArgumentHandler timezone_handler();

}  // namespace settings::actions
