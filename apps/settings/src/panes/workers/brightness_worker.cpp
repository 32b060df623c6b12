#include "panes/workers/brightness_worker.h"

#include <utility>

namespace settings::panes::workers {

void brightness_apply_worker(orvo_runtime::Receiver<float> requests, orvo_runtime::Sender<BrightnessReply> replies,
                             SetBrightness set_brightness, orvo_ui::WakeHandle wake) {
  while (std::optional<float> percent = requests.recv()) {
    auto applied = set_brightness(*percent);
    BrightnessReply reply = applied ? BrightnessReply(*percent / 100.0f) : std::unexpected(std::move(applied.error()));
    (void)replies.send(std::move(reply));
    wake.wake();
  }
}

}  // namespace settings::panes::workers
