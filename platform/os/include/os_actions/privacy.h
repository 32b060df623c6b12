#pragma once
// The privacy hardware of this device: whether it has a camera, the kill switches of camera and
// microphone, whether the default microphone is muted, and which applications capture from either
// now. Every reading is a blocking call (sysfs, `wpctl`, the sound server's graph): run it off the
// interface thread.
#include <cstdint>
#include <string>
#include <vector>

#include "media/audio.h"

namespace os_actions::privacy {

// A kill switch's state. Linux has no standard interface that reports one for a camera or a
// microphone, so this backend reports `None` for both.
enum class KillSwitch : std::uint8_t { None = 0, Available = 1, BlockedBySoftware = 2, BlockedByHardware = 3 };

enum class MicrophoneMute : std::uint8_t { ListeningAllowed = 0, Muted = 1, Unavailable = 2 };

// An application capturing from a device now.
struct PrivacyUsage {
  std::string application;
  bool camera = false;  // otherwise the microphone
  bool operator==(const PrivacyUsage&) const = default;
};

struct PrivacyStatus {
  bool camera_present = false;
  KillSwitch camera_switch = KillSwitch::None;
  KillSwitch microphone_switch = KillSwitch::None;
  MicrophoneMute microphone_mute = MicrophoneMute::Unavailable;
  std::vector<PrivacyUsage> usages;
  bool operator==(const PrivacyStatus&) const = default;
};

// Whether /sys/class/video4linux (under the system root) lists a device.
bool camera_present();

// From `wpctl get-volume @DEFAULT_AUDIO_SOURCE@`: an answer marked "[MUTED]" is muted, any other
// answer allows listening, and a command that cannot run or fails leaves it unavailable.
MicrophoneMute microphone_mute();

// The graph's capture streams that are running now, camera ("Stream/Input/Video") before
// microphone, each in graph order, one entry per application and device.
std::vector<PrivacyUsage> usages_in(const media::audio::AudioGraph& graph);

// The whole status, with the usages of `graph`.
PrivacyStatus get_privacy_status(const media::audio::AudioGraph& graph);
// The whole status, with the usages of the shared graph snapshot (`media::audio::enumerate`).
PrivacyStatus get_privacy_status();

}  // namespace os_actions::privacy
