#include "panes/sound/audio_jobs.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace settings::panes::sound {

namespace {

// Never destroyed: the exit hook and late jobs may use them while statics are torn down.
struct Jobs {
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
};
Jobs& jobs() {
  static Jobs* shared = new Jobs;
  return *shared;
}

void wait_for_jobs() {
  Jobs& all = jobs();
  std::unique_lock lock(all.mutex);
  all.done.wait_for(lock, kExitWait, [&] { return all.running == 0; });
}

}  // namespace

AudioJob::AudioJob() {
  std::lock_guard lock(jobs().mutex);
  ++jobs().running;
}

AudioJob::~AudioJob() {
  std::lock_guard lock(jobs().mutex);
  if (--jobs().running == 0) jobs().done.notify_all();
}

void register_audio_exit_wait() { (void)std::atexit(wait_for_jobs); }

}  // namespace settings::panes::sound
