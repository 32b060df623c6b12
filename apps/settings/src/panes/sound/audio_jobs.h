#pragma once
// The sound pane's workers are never joined (a closed page does not wait for them), but the
// program must not end under one: the platform calls they make use the audio library's process-wide
// state, which is torn down at exit. Each job holds an `AudioJob` from when it is started until it
// ends, and exit hooks wait (at most kExitWait) for the jobs still running.
#include <chrono>

namespace settings::panes::sound {

inline constexpr std::chrono::seconds kExitWait{6};

class AudioJob {
 public:
  AudioJob();
  ~AudioJob();
  AudioJob(const AudioJob&) = delete;
  AudioJob& operator=(const AudioJob&) = delete;
};

// Registers an exit hook that waits for the running jobs. Exit hooks run in the reverse order of
// their registration, each before the statics made before it are torn down: the pane registers one
// when it first opens (before the first job) and one after the first graph read (so that it runs
// before the graph reader goes).
void register_audio_exit_wait();

}  // namespace settings::panes::sound
