#include "actions/connectivity_handlers.h"
#include "catalogues/effect_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

struct NetworkCommand {
  std::string_view name;
  std::string_view title;
  NetworkOperation operation;
};

Tags network_tags() { return {"device-local", "network"}; }

}  // namespace

orvo_actions::Resource network_resource(const SectionInputs& /*inputs*/) {
  using Op = NetworkOperation;
  const NetworkCommand commands[] = {
      {"refresh", "Refresh network list", Op::Refresh{}},
      {"run-diagnostics", "Run network diagnostics", Op::RunDiagnostics{}},
      {"enable-wired", "Enable wired networking", Op::SetWiredEnabled{true}},
      {"disable-wired", "Disable wired networking", Op::SetWiredEnabled{false}},
      {"enable-airplane-mode", "Enable airplane mode", Op::SetAirplaneMode{true}},
      {"disable-airplane-mode", "Disable airplane mode", Op::SetAirplaneMode{false}},
      {"enable-hotspot", "Enable hotspot", Op::SetHotspot{true}},
      {"disable-hotspot", "Disable hotspot", Op::SetHotspot{false}},
      {"enable-mobile-broadband", "Enable mobile broadband", Op::SetMobileBroadband{true}},
      {"disable-mobile-broadband", "Disable mobile broadband", Op::SetMobileBroadband{false}},
  };

  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::Network);
  append_action(resource, with_operation_contract(switch_spec("wifi", "Set Wi-Fi power", Op::kKind,
                                                              wifi_enabled_handler()),
                                                  {"device-local", "network", "hardware"}));
  for (const auto& command : commands) {
    auto spec = fixed_operation_spec(std::string(command.name), std::string(command.title), command.operation);
    if (spec) append_action(resource, with_operation_contract(std::move(*spec), network_tags()));
  }
  return resource;
}

}  // namespace settings::actions
