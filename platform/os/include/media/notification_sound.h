#pragma once
// Which player notification sounds go through on this system.
#include <cstdint>

namespace media::notification_sound {

// 0 when `canberra-gtk-play` is on PATH (the session's sound theme), 1 when `pw-play` is (the
// PipeWire session route), else 2 (no player). Looks PATH up on every call.
std::uint8_t sound_backend();

}  // namespace media::notification_sound
