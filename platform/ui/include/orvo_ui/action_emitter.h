#pragma once
// A control's queue of action invocations. The control emits its new value; the emitter turns it
// into a ControlInvocation through its binding and keeps at most 64 of them until the loop takes
// them (oldest first). A full queue drops its oldest entry with a warning. All on the interface
// thread.
#include <cstddef>
#include <deque>
#include <expected>
#include <optional>

#include "orvo_actions/binding.h"

namespace orvo_ui {

namespace emitter_detail {
void warn_backlog_full(const orvo_actions::ActionAddress& address, std::size_t capacity);
}

template <class T>
class ActionEmitter {
 public:
  static constexpr std::size_t kCapacity = 64;

  explicit ActionEmitter(orvo_actions::ActionBinding<T> binding) : binding_(std::move(binding)) {}

  // Queues one invocation made from the value; a disabled emitter drops the value and succeeds.
  std::expected<void, orvo_actions::BuildError> emit(const T& value) {
    if (!enabled_) return {};
    auto invocation = orvo_actions::build_control_invocation(binding_, value);
    if (!invocation) return std::unexpected(std::move(invocation.error()));
    if (queue_.size() >= kCapacity) {
      queue_.pop_front();
      emitter_detail::warn_backlog_full(binding_.address(), kCapacity);
    }
    queue_.push_back(std::move(*invocation));
    return {};
  }

  std::optional<orvo_actions::ControlInvocation> take() {
    if (queue_.empty()) return std::nullopt;
    auto front = std::move(queue_.front());
    queue_.pop_front();
    return front;
  }

  void set_enabled(bool enabled) { enabled_ = enabled; }
  bool enabled() const { return enabled_; }
  std::size_t queued() const { return queue_.size(); }
  orvo_actions::ActionAddress address() const { return binding_.address(); }
  const orvo_actions::ActionBinding<T>& binding() const { return binding_; }

 private:
  orvo_actions::ActionBinding<T> binding_;
  std::deque<orvo_actions::ControlInvocation> queue_;
  bool enabled_ = true;
};

}  // namespace orvo_ui
