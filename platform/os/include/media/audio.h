#pragma once
// The audio graph of the sound server: output and input devices (sink and source nodes), the
// streams of applications, and the hardware devices with their profiles. Read from the sound
// server's JSON dump (`pw-dump`) through the bounded command runner.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <expected>
#include <mutex>
#include <thread>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace media::audio {

// A sink (output) or source (input) node.
struct AudioNode {
  std::string name;         // the node's system name, as the runtime tests take it
  std::string description;  // what the panes show and match against
  std::uint32_t channels = 0;
  std::uint32_t id = 0;
  std::uint32_t routing_id = 0;  // the number stream routing names the node by (its serial)
  bool is_default = false;
};

struct AudioStream {
  std::string application;
  std::optional<std::string> media;  // what the stream plays or records, when the application says
  // The node id the stream plays to or records from: the target chosen for it in the "default"
  // metadata when there is one, else where its links go.
  std::optional<std::uint32_t> target_node;
  std::optional<float> volume;  // 0..1 on the user's scale
  std::uint32_t id = 0;
  bool playback = true;
  bool muted = false;
  bool running = false;  // the server is moving data through it now (node state "running")

  // "Application · media", or the application alone.
  std::string label() const;
};

struct DeviceProfile {
  std::string description;
  std::uint32_t index = 0;
  bool available = false;
};

// A hardware device (a sound card) with the profiles it can be switched to.
struct AudioDevice {
  std::uint32_t id = 0;
  std::string name;
  std::optional<std::uint32_t> active_profile;
  std::vector<DeviceProfile> profiles;
  std::optional<std::string> codec;  // what a Bluetooth device's nodes play with, when they say
};

struct AudioGraph {
  std::vector<AudioNode> sinks;
  std::vector<AudioNode> sources;
  std::vector<AudioStream> playback_streams;
  std::vector<AudioStream> recording_streams;
  // Applications' camera capture streams (media class "Stream/Input/Video"), which the same server
  // carries; read for the privacy status, never routed or shown with the sound streams.
  std::vector<AudioStream> video_capture_streams;
  std::vector<AudioDevice> devices;

  const AudioNode* sink_by_id(std::uint32_t id) const;
  const AudioNode* source_by_id(std::uint32_t id) const;
  const AudioDevice* device_by_id(std::uint32_t id) const;
  const AudioNode* default_sink() const;
  const AudioNode* default_source() const;
  // Equal for two graphs with the same nodes, streams, devices, available profiles and codecs; a change of
  // volume or mute does not change it.
  std::string topology_signature() const;
};

// Reads the JSON that `pw-dump` prints. Entries of unknown type or shape are skipped; only text
// that is not a JSON array is an error.
std::expected<AudioGraph, std::string> parse_pw_dump(std::string_view json);

// Runs `pw-dump` once and reads its graph, waiting for it (at most 5 seconds).
std::expected<AudioGraph, std::string> read_graph();

// A graph kept current by a background reader on its own thread, so that callers on the
// interface thread never wait for the sound server: the reader runs `pw-dump` again one period
// after each read ends. The first snapshot waits for the first read (at most `first_read_limit`);
// every later one answers at once. A failed read leaves an empty graph and logs one warning, and
// no further warning until a read has succeeded again.
class GraphCache {
 public:
  struct Options {
    std::chrono::milliseconds period{1000};
    std::chrono::milliseconds first_read_limit{5000};
  };

  explicit GraphCache(Options options);
  // Stops the reader; a running `pw-dump` is killed.
  ~GraphCache();
  GraphCache(const GraphCache&) = delete;
  GraphCache& operator=(const GraphCache&) = delete;

  AudioGraph snapshot();

 private:
  void read_loop(std::stop_token stop);

  Options options_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  AudioGraph graph_;
  bool first_read_done_ = false;
  bool failing_ = false;
  std::jthread reader_;
};

// The process-wide cached graph (see `GraphCache`); never an error: a graph that cannot be read
// is empty.
std::expected<AudioGraph, std::string> enumerate();

// Produces a fresh graph; panes hold one so tests can give them a fixed graph.
class AudioEnumerator {
 public:
  virtual ~AudioEnumerator() = default;
  virtual std::expected<AudioGraph, std::string> enumerate() = 0;
};

class RealEnumerator final : public AudioEnumerator {
 public:
  std::expected<AudioGraph, std::string> enumerate() override { return media::audio::enumerate(); }
};

}  // namespace media::audio
