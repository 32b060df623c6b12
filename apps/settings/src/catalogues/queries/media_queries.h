#pragma once
// Live queries of the catalogues. The base class answers as if nothing were attached; a query that
// fails on the running system answers the same, never an error.
#include "media/audio.h"
#include "settings_store/display_hardware.h"

namespace settings::actions {

class MediaQueries {
 public:
  virtual ~MediaQueries() = default;

  // The sound server's graph: output and input devices, streams, and hardware devices with their
  // profiles. Empty when there is no sound server or its graph cannot be read.
  virtual media::audio::AudioGraph audio_graph() const { return {}; }

  // The display outputs the compositor (or DRM) reports. No outputs when none can be read.
  virtual settings_store::DisplayHardwareSnapshot display_snapshot() const { return {}; }
};

// The queries against the running system; one instance per process.
const MediaQueries& system_media_queries();

}  // namespace settings::actions
