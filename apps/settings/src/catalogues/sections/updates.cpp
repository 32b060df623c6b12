#include "actions/system_handlers.h"
#include "catalogues/effect_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

using Op = UpdateOperation;
constexpr std::string_view kUpdateKind = Op::kKind;

Tags update_tags() { return {"device-local", "system-update"}; }

struct UpdateCommand {
  std::string_view name;
  std::string_view title;
  UpdateOperation operation;
  bool destructive;
};

}  // namespace

orvo_actions::Resource updates_resource(const SectionInputs& /*inputs*/) {
  // Only the rollback throws work away: it boots the previous image.
  const UpdateCommand commands[] = {
      {"check", "Check for updates", Op::Check{}, false},
      {"restart", "Restart into staged update", Op::Restart{}, false},
      {"rollback", "Roll back to previous image", Op::Rollback{}, true},
      {"refresh-firmware", "Refresh firmware updates", Op::RefreshFirmware{}, false},
      {"install-firmware", "Install firmware updates", Op::InstallFirmware{}, false},
  };

  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::Updates);
  append_action(resource, with_operation_contract(switch_spec("automatic", "Set automatic updates", kUpdateKind,
                                                              update_switch_handler(UpdateSwitch::Automatic)),
                                                  update_tags()));
  for (const auto& command : commands) {
    auto spec = fixed_operation_spec(std::string(command.name), std::string(command.title), command.operation);
    if (!spec) continue;
    auto action = with_operation_contract(std::move(*spec), update_tags());
    if (action && command.destructive) action = std::move(*action).destructive();
    append_action(resource, std::move(action));
  }
  // Opens the rollback review for the user; it keeps the navigation class's own contract.
  append_action(resource, fixed_operation_spec("review-rollback", "Review rollback", Op{Op::ReviewRollback{}},
                                               orvo_actions::OperationClass::Navigation));
  append_action(resource, with_operation_contract(choice_spec("schedule", "Set update schedule", kUpdateKind,
                                                              {"System schedule", "Daily", "Weekly"},
                                                              update_schedule_handler()),
                                                  update_tags()));
  append_action(resource,
                with_operation_contract(switch_spec("metered", "Set metered-network update policy", kUpdateKind,
                                                    update_switch_handler(UpdateSwitch::Metered)),
                                        update_tags()));
  return resource;
}

}  // namespace settings::actions
