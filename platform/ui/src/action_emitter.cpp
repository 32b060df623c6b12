#include "orvo_ui/action_emitter.h"

#include <string>

#include "orvo_log/log.h"

namespace orvo_ui::emitter_detail {

void warn_backlog_full(const orvo_actions::ActionAddress& address, std::size_t capacity) {
  orvo_log::warn("control invocation backlog full; evicting oldest intent",
                 {{"address", address.encode()}, {"capacity", std::to_string(capacity)}});
}

}  // namespace orvo_ui::emitter_detail
