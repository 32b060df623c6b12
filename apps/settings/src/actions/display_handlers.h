#pragma once
// Argument handlers of the Displays section and its outputs; each yields a
// "settings.display-operation". Brightness is passed on as given (no clamping).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

enum class DisplaySwitch : std::uint8_t { AutoBrightness, NightLight };
// Desktop-wide choices: "night_light_temperature" and "scale".
enum class DisplayChoice : std::uint8_t { NightLightTemperature, Scale };
// Per-output switches: "enabled", "primary", "hdr", "vrr".
enum class OutputSwitch : std::uint8_t { Enabled, Primary, Hdr, Vrr };
// Per-output choices: "scale", "position", "mirror", "mode", "transform", "color-profile".
enum class OutputChoice : std::uint8_t { Scale, Position, Mirror, Mode, Transform, ColorProfile };

// The output choice an action name stands for; none for any other name.
std::optional<OutputChoice> output_choice_named(std::string_view action_name);

// "value" as a boolean: SetAutoBrightness or SetNightLight {enabled}.
orvo_actions::ArgumentHandler display_switch_handler(DisplaySwitch which);
// "value" as a number: SetBrightness {value} ("brightness").
orvo_actions::ArgumentHandler display_brightness_handler();
// "choice": SetNightLightTemperature or SetScale {label}.
orvo_actions::ArgumentHandler display_choice_handler(DisplayChoice which);

// "value" as a boolean for the captured output: SetEnabled, SetPrimary, SetHdr or SetVrr.
orvo_actions::ArgumentHandler output_switch_handler(std::string connector, OutputSwitch which);
// "choice" for the captured output: SetOutputScale, SetPosition, SetMirror, SetModeLabel,
// SetTransformLabel or SetColorProfileLabel {connector, label}.
orvo_actions::ArgumentHandler output_choice_handler(std::string connector, OutputChoice which);
// The output dropdown binding: the same operations chosen by the action name; none for a name that
// is not one of the six.
std::optional<orvo_actions::ArgumentHandler> output_choice_handler(std::string connector,
                                                                   std::string_view action_name);

}  // namespace settings::actions
