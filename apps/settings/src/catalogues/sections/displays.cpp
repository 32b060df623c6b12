#include <algorithm>
#include <span>

#include "actions/contracts.h"
#include "actions/display_handlers.h"
#include "actions/hardware_operations.h"
#include "actions/operation_encoding.h"
#include "catalogues/action_builders.h"
#include "catalogues/choice_lists.h"
#include "catalogues/device_local_params.h"
#include "catalogues/display_output_actions.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionSpec;
using orvo_actions::Resource;
using settings_store::OutputDescriptor;

constexpr std::string_view kKind = DisplayOperation::kKind;

Tags display_tags(std::string_view qualifier) { return {"device-local", "display", std::string(qualifier)}; }

void append_section_actions(Resource& section) {
  append_built(section, switch_action("auto_brightness", "Set automatic brightness", kKind,
                                      display_switch_handler(DisplaySwitch::AutoBrightness), display_tags("hardware")));
  append_built(section, switch_action("night_light", "Set Night Light", kKind,
                                      display_switch_handler(DisplaySwitch::NightLight), display_tags("hardware")));
  append_built(section, choice_action("night_light_temperature", "Set Night Light warmth", kKind,
                                      to_choices(kNightLightWarmthChoices),
                                      display_choice_handler(DisplayChoice::NightLightTemperature),
                                      display_tags("hardware")));
  append_built(section, level_action("brightness", "Set brightness", kKind, display_brightness_handler(),
                                     display_tags("hardware")));
  append_built(section, choice_action("scale", "Set display scale", kKind, to_choices(kDisplayScaleChoices),
                                      display_choice_handler(DisplayChoice::Scale), display_tags("hardware")));
}

Resource output_child(const OutputDescriptor& output, std::span<const OutputPair> pairs) {
  const std::string& connector = output.connector;
  Resource child = Resource::make(std::string(kDisplayOutputPrefix) + connector, std::string(kDisplayOutputKind),
                                  output_display_name(output));
  append_built(child, output_switch_spec(connector, OutputSwitch::Enabled));
  append_built(child, output_choice_spec(connector, OutputChoice::Scale, to_choices(kDisplayScaleChoices)));
  append_built(child,
               output_choice_spec(connector, OutputChoice::Position, output_position_choices(connector, pairs)));
  append_built(child, output_choice_spec(connector, OutputChoice::Mirror, output_mirror_choices(connector, pairs)));
  append_built(child, output_switch_spec(connector, OutputSwitch::Primary));
  append_built(child, output_choice_spec(connector, OutputChoice::Mode, output_mode_choices(output)));
  append_built(child, output_choice_spec(connector, OutputChoice::Transform, to_choices(kOutputTransformChoices)));
  append_built(child, output_switch_spec(connector, OutputSwitch::Hdr));
  append_built(child, output_switch_spec(connector, OutputSwitch::Vrr));
  append_built(child, output_choice_spec(connector, OutputChoice::ColorProfile, output_color_profile_choices(output)));
  return child;
}

std::optional<ActionSpec> transaction_action(std::string name, std::string title, DisplayOperation operation) {
  auto spec = orvo_actions::fixed_action_spec(std::move(name), std::move(title), orvo_actions::OperationClass::Effect,
                                              std::string(kKind), operation);
  if (!spec) return std::nullopt;
  return std::move(*spec).with_contract(operation_contract(display_tags("transaction")));
}

}  // namespace

Resource displays_resource(const SectionInputs& inputs) {
  Resource section = section_shell(settings_app::SettingsSection::Displays);
  append_section_actions(section);

  const settings_store::DisplayHardwareSnapshot snapshot = inputs.queries.media.display_snapshot();
  // The lists name at most the first 256 outputs; an output past them gets no resource either.
  const std::vector<OutputPair> pairs = output_pairs(snapshot.outputs);
  const std::span outputs(snapshot.outputs);
  for (const auto& output : outputs.first(pairs.size())) section.children.push_back(output_child(output, pairs));

  append_built(section, transaction_action("apply", "Apply staged display changes", DisplayOperation::Apply{}));
  append_built(section, transaction_action("confirm", "Keep display changes", DisplayOperation::Confirm{}));
  append_built(section, transaction_action("revert", "Revert display changes", DisplayOperation::Revert{}));
  return section;
}

}  // namespace settings::actions
