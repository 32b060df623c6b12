#include "orvo_ui/wake.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace orvo_ui {
namespace {

std::mutex g_mutex;
LoopSignal* g_signal = nullptr;
std::thread::id g_loop_thread;
std::atomic<bool> g_in_frame{false};
std::atomic<bool> g_pending{false};
std::atomic<bool> g_shut_down{false};

}  // namespace

bool WakeHandle::authorize_publication() const {
  if (g_shut_down.load()) return false;
  wake();
  return true;
}

void WakeHandle::wake() const {
  std::lock_guard lock(g_mutex);
  if (!g_signal) return;
  if (g_in_frame.load() && std::this_thread::get_id() == g_loop_thread) return;
  if (g_pending.exchange(true)) return;
  g_signal->signal();
}

namespace wake {

void install(LoopSignal* signal) {
  std::lock_guard lock(g_mutex);
  g_signal = signal;
  g_loop_thread = std::this_thread::get_id();
  g_pending = false;
  g_in_frame = false;
  g_shut_down = false;
}

void begin_frame() { g_in_frame = true; }
void end_frame() { g_in_frame = false; }
void clear_pending() { g_pending = false; }

void shut_down() {
  std::lock_guard lock(g_mutex);
  g_shut_down = true;
  g_signal = nullptr;
}

bool is_shut_down() { return g_shut_down.load(); }

}  // namespace wake
}  // namespace orvo_ui
