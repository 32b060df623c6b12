// The sound server's JSON dump: any text must give a graph or an error, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "media/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto graph = media::audio::parse_pw_dump(std::string_view(reinterpret_cast<const char*>(data), size));
  if (graph) {
    (void)graph->topology_signature();
    for (const auto& stream : graph->playback_streams) (void)stream.label();
  }
  return 0;
}
