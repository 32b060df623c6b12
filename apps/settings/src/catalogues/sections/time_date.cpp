#include "actions/system_handlers.h"
#include "catalogues/effect_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"

namespace settings::actions {
namespace {

constexpr std::string_view kTimeKind = TimeDateOperation::kKind;
constexpr std::string_view kTimeSwitchValue = "Whether this local time control is enabled";

Tags time_tags() { return {"device-local", "time-date"}; }

}  // namespace

orvo_actions::Resource time_date_resource(const SectionInputs& /*inputs*/) {
  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::TimeDate);
  append_action(resource, with_operation_contract(switch_spec("automatic-time", "Set automatic time", kTimeKind,
                                                              time_switch_handler(TimeSwitch::AutomaticTime),
                                                              std::string(kTimeSwitchValue)),
                                                  time_tags()));
  append_action(resource, with_operation_contract(switch_spec("24-hour", "Set 24-hour time", kTimeKind,
                                                              time_switch_handler(TimeSwitch::HourCycle),
                                                              std::string(kTimeSwitchValue)),
                                                  time_tags()));
  // Free text: the zone is checked where it is set, against the zones the system has.
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("choice", "Time zone"));
  append_action(resource, with_operation_contract(
                              orvo_actions::typed_operation_spec("timezone", "Set time zone", "IANA time-zone identifier",
                                                                 orvo_actions::OperationClass::Effect,
                                                                 std::string(kTimeKind), std::move(params),
                                                                 timezone_handler()),
                              time_tags()));
  return resource;
}

}  // namespace settings::actions
