#include <chrono>

#include "media/audio.h"
#include "orvo_runtime/bounded_command.h"

namespace media::audio {
namespace {

using namespace std::chrono_literals;

// A busy desktop's dump runs to a few hundred KiB; this leaves room without holding unbounded text.
constexpr std::size_t kDumpLimit = 8 * 1024 * 1024;
constexpr auto kDumpTimeLimit = 5s;

}  // namespace

std::expected<AudioGraph, std::string> enumerate() {
  auto output = bounded_command::run("pw-dump", {}, std::nullopt, kDumpLimit, kDumpTimeLimit);
  if (!output) return std::unexpected("Could not read the audio graph: " + output.error().display());
  if (!output->status.success()) {
    std::string reason = output->standard_error.substr(0, 512);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    return std::unexpected("Could not read the audio graph: " +
                           (reason.empty() ? std::string("the sound server did not answer") : reason));
  }
  if (output->standard_output_truncated) {
    return std::unexpected("Could not read the audio graph: the listing is larger than 8 MiB");
  }
  auto graph = parse_pw_dump(output->standard_output);
  if (!graph) return std::unexpected("Could not read the audio graph: " + graph.error());
  return graph;
}

}  // namespace media::audio
