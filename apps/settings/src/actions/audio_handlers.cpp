#include "actions/audio_handlers.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionArgs;

// Captured lists are shared by every copy of the handler.
using SharedDevices = std::shared_ptr<const AudioDeviceList>;

std::optional<std::uint32_t> device_named(const AudioDeviceList& devices, const std::string& name) {
  auto found = std::ranges::find(devices, name, &AudioDeviceEntry::name);
  if (found == devices.end()) return std::nullopt;
  return found->id;
}

orvo_actions::ArgumentHandler select_handler(AudioDeviceList devices, bool output) {
  return [devices = std::make_shared<const AudioDeviceList>(std::move(devices)), output](const ActionArgs& args) {
    const std::uint32_t id = device_named(*devices, handler_support::choice(args)).value_or(kUnmatchedAudioChoice);
    if (output) return encode_operation(AudioOperation{AudioOperation::SelectOutput{id}});
    return encode_operation(AudioOperation{AudioOperation::SelectInput{id}});
  };
}

}  // namespace

orvo_actions::ArgumentHandler audio_switch_handler(AudioSwitch which) {
  return [which](const ActionArgs& args) {
    const bool on = handler_support::flag(args);
    switch (which) {
      case AudioSwitch::OutputMuted: return encode_operation(AudioOperation{AudioOperation::SetOutputMuted{on}});
      case AudioSwitch::Mono: break;
    }
    return encode_operation(AudioOperation{AudioOperation::SetMono{on}});
  };
}

orvo_actions::ArgumentHandler audio_level_handler(AudioLevel which) {
  return [which](const ActionArgs& args) {
    const double value = handler_support::number(args);
    switch (which) {
      case AudioLevel::OutputVolume: return encode_operation(AudioOperation{AudioOperation::SetOutputVolume{value}});
      case AudioLevel::InputVolume: return encode_operation(AudioOperation{AudioOperation::SetInputVolume{value}});
      case AudioLevel::Balance: break;
    }
    return encode_operation(AudioOperation{AudioOperation::SetBalance{value}});
  };
}

orvo_actions::ArgumentHandler audio_stream_muted_handler(std::uint32_t stream_id) {
  return [stream_id](const ActionArgs& args) {
    return encode_operation(AudioOperation{AudioOperation::SetStreamMuted{stream_id, handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler audio_stream_volume_handler(std::uint32_t stream_id) {
  return [stream_id](const ActionArgs& args) {
    return encode_operation(
        AudioOperation{AudioOperation::SetStreamVolume{stream_id, handler_support::number(args)}});
  };
}

orvo_actions::ArgumentHandler audio_select_output_handler(AudioDeviceList devices) {
  return select_handler(std::move(devices), true);
}

orvo_actions::ArgumentHandler audio_select_input_handler(AudioDeviceList devices) {
  return select_handler(std::move(devices), false);
}

orvo_actions::ArgumentHandler audio_device_choice_handler(AudioDeviceList devices, std::string action_name) {
  return select_handler(std::move(devices), action_name == "output-device");
}

orvo_actions::ArgumentHandler audio_device_profile_handler(std::uint32_t device_id, AudioProfileList profiles) {
  return [device_id, profiles = std::make_shared<const AudioProfileList>(std::move(profiles))](const ActionArgs& args) {
    const std::string choice = handler_support::choice(args);
    auto found = std::ranges::find(*profiles, choice, &AudioProfileEntry::name);
    const std::uint32_t index = found == profiles->end() ? kUnmatchedAudioChoice : found->index;
    return encode_operation(AudioOperation{AudioOperation::SetDeviceProfile{device_id, index}});
  };
}

orvo_actions::ArgumentHandler audio_route_stream_handler(std::uint32_t stream_id, bool playback,
                                                         AudioDeviceList devices) {
  return [stream_id, playback, devices = SharedDevices(std::make_shared<const AudioDeviceList>(std::move(devices)))](
             const ActionArgs& args) {
    const std::string choice = handler_support::choice(args);
    std::optional<std::uint32_t> device;
    if (choice != kDefaultRoute) device = device_named(*devices, choice);
    return encode_operation(AudioOperation{AudioOperation::RouteStream{stream_id, playback, device}});
  };
}

}  // namespace settings::actions
