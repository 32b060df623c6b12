#include "catalogues/sound_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/choice_lists.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/sound_resources.h"
#include "orvo_doc/document.h"
#include "preferences/records.h"

namespace settings::actions {
namespace {

bool fits_choice_list(std::size_t size) { return size >= 1 && size <= kAudioChoiceLimit; }

}  // namespace

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> sound_unit_binding(std::string_view action) {
  // The section's own actions do not depend on the audio graph, so the section is built without
  // asking the sound server.
  const orvo_doc::Document document;
  const preferences::Preferences preferences;
  const SectionInputs inputs{document, preferences, {}, offline_queries()};
  return unit_binding(sound_resource(inputs), action);
}

std::optional<orvo_actions::ActionBinding<bool>> sound_toggle_binding(std::string_view action) {
  const auto which = sound_switch_named(action);
  if (!which) return std::nullopt;
  auto spec = sound_switch_spec(*which);
  if (!spec) return std::nullopt;
  return toggle_binding(sound_section_with(std::move(*spec)), action);
}

std::optional<orvo_actions::ActionBinding<double>> sound_level_binding(std::string_view action) {
  const auto which = sound_level_named(action);
  if (!which) return std::nullopt;
  auto spec = sound_level_spec(*which);
  if (!spec) return std::nullopt;
  return number_binding(sound_section_with(std::move(*spec)), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> audio_device_choice_binding(std::string_view action,
                                                                                    AudioDeviceList devices) {
  if (!fits_choice_list(devices.size())) return std::nullopt;
  auto spec = audio_device_choice_spec(action, std::move(devices));
  if (!spec) return std::nullopt;
  return choice_binding(sound_section_with(std::move(*spec)), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> audio_profile_binding(std::uint32_t device_id,
                                                                              AudioProfileList profiles) {
  if (!fits_choice_list(profiles.size())) return std::nullopt;
  auto spec = audio_profile_spec(device_id, std::move(profiles));
  if (!spec) return std::nullopt;
  return choice_binding(audio_device_resource(device_id, "Audio device " + std::to_string(device_id), std::move(*spec)),
                        "profile");
}

std::optional<orvo_actions::ActionBinding<bool>> stream_mute_binding(std::uint32_t stream_id, bool playback,
                                                                     std::string title) {
  auto spec = stream_mute_spec(stream_id);
  if (!spec) return std::nullopt;
  return toggle_binding(audio_stream_resource(stream_id, playback, std::move(title), std::move(*spec)), "muted");
}

std::optional<orvo_actions::ActionBinding<double>> stream_volume_binding(std::uint32_t stream_id, bool playback,
                                                                        std::string title) {
  auto spec = stream_volume_spec(stream_id);
  if (!spec) return std::nullopt;
  return number_binding(audio_stream_resource(stream_id, playback, std::move(title), std::move(*spec)), "volume");
}

std::optional<orvo_actions::ActionBinding<std::string>> stream_route_binding(std::uint32_t stream_id, bool playback,
                                                                             std::string title,
                                                                             AudioDeviceList devices) {
  if (devices.size() > kStreamRouteDeviceLimit) return std::nullopt;
  auto spec = stream_route_spec(stream_id, playback, std::move(devices));
  if (!spec) return std::nullopt;
  return choice_binding(audio_stream_resource(stream_id, playback, std::move(title), std::move(*spec)), "route");
}

}  // namespace settings::actions
