#pragma once
// Waking the interface thread. A worker that publishes a value asks a WakeHandle for authorisation;
// when a loop runs, that wakes it (coalesced) so the next frame's sync sees the value. A publication
// made on the interface thread while a frame is being processed schedules nothing: that frame's own
// work follows. With no loop running (unit tests) publications are authorised and wake nothing.
namespace orvo_ui {

class WakeHandle {
 public:
  WakeHandle() = default;
  // True unless the loop has shut down; wakes the loop when needed.
  bool authorize_publication() const;
  // Wakes the loop unless it is processing a frame on this thread.
  void wake() const;
};

// What a running loop installs to be woken from any thread.
class LoopSignal {
 public:
  virtual ~LoopSignal() = default;
  // Thread-safe; called at most once between two frames (wakes are coalesced before this).
  virtual void signal() = 0;
};

namespace wake {
// Installs (or, with nullptr, removes) the running loop's signal. Only the loop calls these.
void install(LoopSignal* signal);
void begin_frame();
void end_frame();
// Called by the loop after it has woken, so the next wake signals again.
void clear_pending();
void shut_down();
bool is_shut_down();
}  // namespace wake

}  // namespace orvo_ui
