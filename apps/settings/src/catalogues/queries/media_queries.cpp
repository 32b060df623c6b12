#include "catalogues/queries/media_queries.h"

namespace settings::actions {
namespace {

// Reads the graph with `pw-dump` and the outputs from the compositor's snapshot file (DRM when it
// has written none). Both are bounded: the dump runs under the command runner's time and output
// limits, the snapshot is one small file.
class SystemMediaQueries final : public MediaQueries {
 public:
  media::audio::AudioGraph audio_graph() const override {
    auto graph = media::audio::enumerate();
    return graph ? std::move(*graph) : media::audio::AudioGraph{};
  }

  settings_store::DisplayHardwareSnapshot display_snapshot() const override {
    auto snapshot = settings_store::DisplayHardwareSnapshot::load();
    return snapshot ? std::move(*snapshot) : settings_store::DisplayHardwareSnapshot{};
  }
};

}  // namespace

const MediaQueries& system_media_queries() {
  static const SystemMediaQueries queries;
  return queries;
}

}  // namespace settings::actions
