#include <fmt/format.h>

#include "actions/power_handlers.h"
#include "catalogues/charge_cap_action.h"
#include "catalogues/effect_actions.h"
#include "catalogues/queries/device_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"

namespace settings::actions {
namespace {

constexpr std::string_view kPowerKind = PowerOperation::kKind;

std::vector<std::string> long_delays() {
  return {"5 minutes", "10 minutes", "15 minutes", "30 minutes", "45 minutes", "1 hour", "Never"};
}
std::vector<std::string> short_delays() {
  return {"1 minute", "5 minutes", "10 minutes", "15 minutes", "30 minutes", "Never"};
}
std::vector<std::string> button_actions() { return {"Suspend", "Lock screen", "Do nothing"}; }

Tags power_tags() { return {"device-local", "power"}; }

// A choice whose handler is told which setting it changes by the captured name.
struct PowerChoice {
  std::string_view id;
  std::string_view title;
  std::vector<std::string> choices;
  std::string_view captured;
};

void append_choices(orvo_actions::Resource& resource, std::vector<PowerChoice> rows,
                    orvo_actions::ArgumentHandler (*handler)(std::string)) {
  for (auto& row : rows) {
    append_action(resource, with_operation_contract(choice_spec(std::string(row.id), std::string(row.title), kPowerKind,
                                                                std::move(row.choices),
                                                                handler(std::string(row.captured))),
                                                    power_tags()));
  }
}

}  // namespace

std::optional<orvo_actions::ActionSpec> charge_cap_action(std::span<const std::uint32_t> supported_percents,
                                                          std::uint32_t default_percent) {
  if (supported_percents.empty()) return std::nullopt;
  std::vector<std::string> allowed;
  allowed.reserve(supported_percents.size());
  for (const std::uint32_t percent : supported_percents) allowed.push_back(fmt::format("{}%", percent));
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("percent", "Charge percentage").with_choices(std::move(allowed)));
  auto spec = orvo_actions::typed_operation_spec("set-charge-cap", "Set battery charge cap",
                                                 "Choose a supported charge percentage",
                                                 orvo_actions::OperationClass::Effect, std::string(kPowerKind),
                                                 std::move(params), charge_limit_handler(default_percent));
  auto attached = with_operation_contract(std::move(spec), {"device-local", "hardware"});
  if (!attached) return std::nullopt;
  return std::move(*attached).privileged();
}

orvo_actions::Resource power_resource(const SectionInputs& inputs) {
  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::Power);
  append_action(resource, with_operation_contract(switch_spec("auto_suspend", "Set automatic suspend", kPowerKind,
                                                              power_auto_suspend_handler()),
                                                  power_tags()));
  append_choices(resource,
                 {
                     {"profile", "Set power profile", {"Power Saver", "Balanced", "Performance"}, "active"},
                     {"suspend-after", "Set idle suspend delay", long_delays(), "default"},
                     {"blank-after", "Set screen blank delay", short_delays(), "blank"},
                     {"lock-after", "Set automatic lock delay", short_delays(), "lock"},
                     {"saver-suspend", "Set Power Saver suspend delay", long_delays(), "saver"},
                     {"balanced-suspend", "Set Balanced suspend delay", long_delays(), "balanced"},
                     {"performance-suspend", "Set Performance suspend delay", long_delays(), "performance"},
                 },
                 power_timeout_choice_handler);
  // The action id is "power_key" while the handler's name for it is "power-key".
  append_choices(resource,
                 {
                     {"lid", "Set lid-close action", button_actions(), "lid"},
                     {"power_key", "Set power-key action", button_actions(), "power-key"},
                     {"critical", "Set critical-battery action", button_actions(), "critical"},
                 },
                 power_button_choice_handler);
  if (auto capability = inputs.queries.devices.charge_capability()) {
    append_action(resource, charge_cap_action(capability->supported_percents, capability->default_percent));
  }
  return resource;
}

}  // namespace settings::actions
