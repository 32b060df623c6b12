#include "media/notification_sound.h"

#include "orvo_runtime/bounded_command.h"

namespace media::notification_sound {

std::uint8_t sound_backend() {
  if (bounded_command::find_program("canberra-gtk-play")) return 0;
  if (bounded_command::find_program("pw-play")) return 1;
  return 2;
}

}  // namespace media::notification_sound
