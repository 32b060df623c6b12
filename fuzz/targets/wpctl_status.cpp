// What `wpctl status` and `wpctl get-volume` print: any text must give device lists (possibly
// empty) or a volume or an error, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "media/audio_control.h"
#include "os_actions/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lists = media::audio::parse_wpctl_status(text);
  for (const auto& choice : lists.sinks) (void)choice.name.size();
  (void)os_actions::audio::parse_volume_state(text);
  return 0;
}
