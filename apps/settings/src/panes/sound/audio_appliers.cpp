// The appliers of the device-level changes: output volume, input level and output mute; balance
// and mono; the speaker and microphone tests; the default output and input device.
#include <algorithm>
#include <fmt/format.h>

#include "device_local/device_checks.h"
#include "orvo_log/log.h"
#include "panes/sound/audio_document.h"
#include "panes/sound/audio_pane.h"

namespace settings::panes::sound {

namespace {

void warn_failed(std::string_view message, std::string_view op, const std::string& error) {
  orvo_log::warn(message, {{"op", std::string(op)}, {"error", error}});
}

}  // namespace

void AudioPane::apply_volume_and_mute(Document& document) {
  using media::audio::ControlResult;
  if (auto read = read_number(document, kVolumeKey)) {
    const auto value = static_cast<float>(*read);
    if (levels_differ(value, applied_output_volume_)) {
      if (!operation_is_current(kVolumeKey)) {
        put_number(document, kVolumeKey, applied_output_volume_);
      } else {
        const float percent = std::clamp(value, 0.0F, 1.0F) * 100.0F;
        start_change(
            document, [dispatcher = services_.dispatcher, percent] { return dispatcher->set_volume(percent); },
            [value](AudioPane& pane, Document& document, const ControlResult& done) {
              if (done) {
                pane.applied_output_volume_ = value;
                pane.finish_operation(PaneOutcome::success(fmt::format("Output volume set to {}%.", percent_of(value))));
                return;
              }
              put_number(document, kVolumeKey, pane.applied_output_volume_);
              pane.set_message(fmt::format("Volume could not be changed: {}", done.error()));
              warn_failed("audio pane dispatch failed", "set_volume", done.error());
              pane.finish_operation(PaneOutcome::failure(fmt::format("Output volume could not be changed: {}", done.error())));
            });
      }
    }
  }
  if (auto read = read_number(document, kInputVolumeKey)) {
    const auto value = static_cast<float>(*read);
    if (levels_differ(value, applied_input_volume_)) {
      if (!operation_is_current(kInputVolumeKey)) {
        put_number(document, kInputVolumeKey, applied_input_volume_);
      } else {
        const float percent = std::clamp(value, 0.0F, 1.0F) * 100.0F;
        start_change(
            document, [set = services_.set_input_level, percent] { return set(percent); },
            [value](AudioPane& pane, Document& document, const ControlResult& done) {
              if (done) {
                pane.applied_input_volume_ = value;
                pane.finish_operation(PaneOutcome::success(fmt::format("Input level set to {}%.", percent_of(value))));
                return;
              }
              put_number(document, kInputVolumeKey, pane.applied_input_volume_);
              std::string sentence = fmt::format("Input level could not be changed: {}", done.error());
              pane.set_message(sentence);
              warn_failed("audio pane dispatch failed", "set_input_volume", done.error());
              pane.finish_operation(PaneOutcome::failure(std::move(sentence)));
            });
      }
    }
  }
  if (auto muted = read_flag(document, kMutedKey); muted && *muted != output_muted_) {
    if (!operation_is_current(kMutedKey)) {
      put_flag(document, kMutedKey, output_muted_);
    } else {
      start_change(
          document, [dispatcher = services_.dispatcher, flag = *muted] { return dispatcher->set_mute(flag); },
          [flag = *muted](AudioPane& pane, Document& document, const ControlResult& done) {
            if (done) {
              pane.output_muted_ = flag;
              pane.finish_operation(PaneOutcome::success(flag ? "Output muted." : "Output unmuted."));
              return;
            }
            put_flag(document, kMutedKey, pane.output_muted_);
            pane.set_message(fmt::format("Mute could not be changed: {}", done.error()));
            warn_failed("audio pane dispatch failed", "set_mute", done.error());
            pane.finish_operation(PaneOutcome::failure(fmt::format("Output mute could not be changed: {}", done.error())));
          });
    }
  }
}

void AudioPane::apply_balance_and_mono(Document& document) {
  if (auto read = read_number(document, kBalanceKey)) {
    const auto value = static_cast<float>(*read);
    if (levels_differ(value, applied_balance_)) {
      const float balance = std::clamp(value, 0.0F, 1.0F);
      if (!capabilities_.balance) {
        // Nothing on this sound system would apply it: the change is undone and refused.
        put_number(document, kBalanceKey, applied_balance_);
        if (operation_is_current(kBalanceKey)) finish_operation(PaneOutcome::failure(std::string(device_local::kBalanceUnavailable)));
      } else if (!operation_is_current(kBalanceKey)) {
        put_number(document, kBalanceKey, applied_balance_);
      } else if (auto error = persist_preferences_ ? save_audio_prefs([&](auto& audio) { audio.balance = balance; })
                                                   : std::nullopt) {
        put_number(document, kBalanceKey, applied_balance_);
        finish_operation(PaneOutcome::failure(fmt::format("Audio preference could not be saved: {}", *error)));
      } else {
        applied_balance_ = balance;
        finish_operation(PaneOutcome::success(fmt::format("Output balance set to {}%.", percent_of(balance))));
      }
    }
  }
  if (auto mono = read_flag(document, kMonoKey); mono && *mono != applied_mono_) {
    if (!capabilities_.mono_output) {
      put_flag(document, kMonoKey, applied_mono_);
      if (operation_is_current(kMonoKey)) finish_operation(PaneOutcome::failure(std::string(device_local::kMonoUnavailable)));
    } else if (!operation_is_current(kMonoKey)) {
      put_flag(document, kMonoKey, applied_mono_);
    } else if (auto error = persist_preferences_ ? save_audio_prefs([&](auto& audio) { audio.mono_output = *mono; })
                                                 : std::nullopt) {
      put_flag(document, kMonoKey, applied_mono_);
      finish_operation(PaneOutcome::failure(fmt::format("Audio preference could not be saved: {}", *error)));
    } else {
      applied_mono_ = *mono;
      set_message(*mono ? "Mono output is active for this desktop session."
                        : "Mono output is off; the physical output is restored.");
      finish_operation(PaneOutcome::success(*mono ? "Mono output enabled." : "Mono output disabled."));
    }
  }
}

void AudioPane::apply_diagnostics_and_tests(Document& document) {
  if (take_press(document, object_, kAdvancedKey) && operation_is_current(kAdvancedKey)) {
    diagnostics_shown_ = !diagnostics_shown_;
    if (!diagnostics_shown_) speaker_test_.reset();
    mark_structure_dirty();
    finish_operation(PaneOutcome::success(diagnostics_shown_ ? "Speaker diagnostics shown." : "Speaker diagnostics hidden."));
  }
  for (const bool left : {true, false}) {
    const std::string_view key = left ? kTestLeftKey : kTestRightKey;
    if (take_press(document, object_, key) && operation_is_current(key)) start_channel_test(left);
  }
  if (take_press(document, object_, kMicTestKey) && operation_is_current(kMicTestKey)) toggle_microphone_meter();
}

void AudioPane::start_channel_test(bool left) {
  const std::string_view side = left ? "left" : "right";
  speaker_test_.reset();
  const media::audio::AudioNode* sink = graph_.default_sink();
  std::expected<std::unique_ptr<media::audio_runtime::SpeakerTest>, std::string> started =
      std::unexpected(std::string("Speaker test requires a stereo PipeWire sink"));
  if (sink && sink->channels == 2) started = services_.runtime->start_channel_test(sink->name, left);
  if (started) {
    speaker_test_ = std::move(*started);
    set_message(fmt::format("Playing a short {}-channel tone…", side));
    finish_operation(PaneOutcome::success(fmt::format("{} speaker test started.", left ? "Left" : "Right")));
  } else {
    std::string sentence = fmt::format("Could not test the {} speaker: {}", side, started.error());
    set_message(sentence);
    finish_operation(PaneOutcome::failure(std::move(sentence)));
  }
}

void AudioPane::toggle_microphone_meter() {
  if (microphone_meter_) {
    microphone_meter_.reset();
    set_message("Microphone test stopped; no audio was saved.");
    finish_operation(PaneOutcome::success("Microphone test stopped; no audio was saved."));
    return;
  }
  const media::audio::AudioNode* source = graph_.default_source();
  std::expected<std::unique_ptr<media::audio_runtime::MicrophoneMeter>, std::string> started =
      std::unexpected(std::string("No PipeWire microphone is available"));
  if (source) started = services_.runtime->start_microphone_meter(source->name, kMicrophoneTestLength);
  if (started) {
    microphone_meter_ = std::move(*started);
    microphone_level_ = 0;
    set_message("Microphone level test started for eight seconds.");
    finish_operation(PaneOutcome::success("Microphone level test started for eight seconds."));
  } else {
    std::string sentence = fmt::format("Could not test the microphone: {}", started.error());
    set_message(sentence);
    finish_operation(PaneOutcome::failure(std::move(sentence)));
  }
}

void AudioPane::apply_default_devices(Document& document) {
  for (const bool output : {true, false}) {
    const std::string_view key = output ? kOutputDeviceKey : kInputDeviceKey;
    const auto& devices = output ? output_devices_ : input_devices_;
    const std::optional<std::string>& current = output ? default_output_name_ : default_input_name_;
    auto wanted = read_text(document, key);
    if (!wanted || wanted == current) continue;
    const auto entry = std::find_if(devices.begin(), devices.end(), [&](const auto& device) { return device.name == *wanted; });
    if (entry == devices.end()) continue;
    if (!operation_is_current(key)) {
      if (current) put_text(document, key, *current);
      continue;
    }
    start_change(
        document, [set = services_.set_default_device, id = entry->id] { return set(id); },
        [output, key, wanted = *wanted](AudioPane& pane, Document& document, const media::audio::ControlResult& done) {
          std::optional<std::string>& current = output ? pane.default_output_name_ : pane.default_input_name_;
          if (!done) {
            if (current) put_text(document, key, *current);
            std::string sentence = fmt::format("{} device could not be changed: {}", output ? "Output" : "Input", done.error());
            pane.set_message(sentence);
            warn_failed("audio pane device switch failed", output ? "set_default_sink" : "set_default_source", done.error());
            pane.finish_operation(PaneOutcome::failure(std::move(sentence)));
            return;
          }
          // A preference that could not be saved is logged by the save; the device did change.
          if (pane.persist_preferences_) {
            (void)pane.save_audio_prefs([&](auto& audio) { (output ? audio.output_device : audio.input_device) = wanted; });
          }
          current = wanted;
          pane.finish_operation(PaneOutcome::success(output ? "Audio output device changed." : "Audio input device changed."));
        });
  }
}

}  // namespace settings::panes::sound
