#pragma once
// Applies display brightness requests in order on the thread "settings-brightness-apply". Each
// request is a percentage (0..100); the reply is the applied level (the percentage / 100) or the
// failure text of the brightness call. A reply nobody receives any more is dropped and the worker
// goes on; it ends once every request sender is gone and the queued requests are done. It wakes
// the interface loop after each reply, so the pane shows the outcome at once.
#include <expected>
#include <functional>
#include <string>

#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"

namespace settings::panes::workers {

inline constexpr std::string_view kBrightnessThread = "settings-brightness-apply";

using BrightnessReply = std::expected<float, std::string>;
using SetBrightness = std::function<std::expected<void, std::string>(float percent)>;

void brightness_apply_worker(orvo_runtime::Receiver<float> requests, orvo_runtime::Sender<BrightnessReply> replies,
                             SetBrightness set_brightness, orvo_ui::WakeHandle wake);

}  // namespace settings::panes::workers
