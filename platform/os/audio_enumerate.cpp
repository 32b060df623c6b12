#include <chrono>

#include "media/audio.h"
#include "orvo_log/log.h"
#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/named_thread.h"
#include "orvo_runtime/text.h"

namespace media::audio {
namespace {

using namespace std::chrono_literals;

// A busy desktop's dump runs to a few hundred KiB; this leaves room without holding unbounded text.
constexpr std::size_t kDumpLimit = 8 * 1024 * 1024;
constexpr auto kDumpTimeLimit = 5s;
// How often the reader looks whether its `pw-dump` has finished or it was asked to stop.
constexpr auto kPollInterval = 10ms;

std::expected<AudioGraph, std::string> graph_from(const std::expected<bounded_command::Output, bounded_command::Error>& output) {
  if (!output) return std::unexpected("Could not read the audio graph: " + output.error().display());
  if (!output->status.success()) {
    std::string reason = orvo_runtime::text::clean_error_output(output->standard_error);
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

// One `pw-dump` run that gives up as soon as `stop` is requested; empty when it was.
std::optional<std::expected<AudioGraph, std::string>> read_graph_until(std::stop_token stop) {
  auto command = bounded_command::spawn_prepared({"pw-dump", {}}, std::nullopt, kDumpLimit, kDumpTimeLimit);
  if (!command) return graph_from(std::unexpected(command.error()));
  while (!stop.stop_requested()) {
    auto poll = command->try_wait();
    if (!poll) return graph_from(std::unexpected(poll.error()));
    if (auto* output = std::get_if<bounded_command::Output>(&*poll)) return graph_from(*output);
    std::this_thread::sleep_for(kPollInterval);
  }
  return std::nullopt;
}

}  // namespace

std::expected<AudioGraph, std::string> read_graph() {
  return graph_from(bounded_command::run("pw-dump", {}, std::nullopt, kDumpLimit, kDumpTimeLimit));
}

GraphCache::GraphCache(Options options)
    : options_(options), reader_(orvo_runtime::spawn_named("audio-graph", [this](std::stop_token stop) { read_loop(stop); })) {}

GraphCache::~GraphCache() {
  reader_.request_stop();
  if (reader_.joinable()) reader_.join();
}

AudioGraph GraphCache::snapshot() {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, options_.first_read_limit, [this] { return first_read_done_; });
  return graph_;
}

void GraphCache::read_loop(std::stop_token stop) {
  while (!stop.stop_requested()) {
    auto result = read_graph_until(stop);
    if (!result) return;
    {
      std::lock_guard lock(mutex_);
      if (*result) {
        graph_ = std::move(**result);
        failing_ = false;
      } else {
        graph_ = AudioGraph{};
        if (!failing_) orvo_log::warn("audio graph read failed", {{"error", result->error()}});
        failing_ = true;
      }
      first_read_done_ = true;
    }
    changed_.notify_all();
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, stop, options_.period, [] { return false; });
  }
}

std::expected<AudioGraph, std::string> enumerate() {
  // Logging is set up before the reader starts, so that at exit it outlives the reader, which may
  // still be finishing a read while the program's statics are torn down.
  static const bool logging_ready = (orvo_log::debug("audio graph reader starting"), true);
  (void)logging_ready;
  static GraphCache cache(GraphCache::Options{});
  return cache.snapshot();
}

}  // namespace media::audio
