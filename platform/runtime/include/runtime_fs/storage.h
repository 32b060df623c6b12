#pragma once
// The client side of the file-system storage service ("/run/orvo/fs-storage.sock"): what synced
// files take on this device and which of them may be freed, and the freeing itself.
//
// One exchange per connection: the client writes one JSON request line and reads one JSON response
// line (or everything up to the end of the stream), at most `kResponseLimit` bytes.
//
//   {"op":"snapshot"}
//     -> {"files":[{"display_path":"…","reclaimable_bytes":N,"state":{"id":"…","revision":N}}],
//         "usage":[{"total":N,"local":N,"remote_only":N,"safe_to_free":N}],"online":true}
//   {"op":"evict","selections":[{"id":"…","revision":N}]}
//     -> {"queued":N,"freed_files":N,"freed_bytes":N}
//   either may be answered {"error":"…"} instead.
//
// Responses are read strictly: an unknown or missing field, a wrong type or trailing data is a
// failure. Every failure is a text. The transport is the caller's (a connected socket with its own
// time limits).
#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime_fs::storage {

inline constexpr std::size_t kResponseLimit = 16 * 1024 * 1024;
// The service closed the connection without a word.
inline constexpr std::string_view kNoAnswer = "The storage service closed the connection without answering.";

// What the service needs to know which version of a file the user chose to free.
struct SyncedFileState {
  std::string id;
  std::uint64_t revision = 0;
  bool operator==(const SyncedFileState&) const = default;
};

struct SyncedFile {
  std::string display_path;
  std::uint64_t reclaimable_bytes = 0;  // 0: not reclaimable
  SyncedFileState state;
  bool operator==(const SyncedFile&) const = default;
};

struct SyncedUsage {
  std::uint64_t total = 0;
  std::uint64_t local = 0;         // held on this device
  std::uint64_t remote_only = 0;   // held only on other devices
  std::uint64_t safe_to_free = 0;
  bool operator==(const SyncedUsage&) const = default;
};

struct SyncedStorageSnapshot {
  std::vector<SyncedFile> files;
  std::vector<SyncedUsage> usage;
  bool online = false;
  bool operator==(const SyncedStorageSnapshot&) const = default;
};

struct EvictionSelection {
  std::string id;
  std::uint64_t revision = 0;

  // The selection of a file in the state the user saw.
  static EvictionSelection from(const SyncedFileState& state) { return {state.id, state.revision}; }
  bool operator==(const EvictionSelection&) const = default;
};

struct EvictionReport {
  std::uint64_t queued = 0;       // files left for verified background reclamation
  std::uint64_t freed_files = 0;
  std::uint64_t freed_bytes = 0;
  bool operator==(const EvictionReport&) const = default;
};

// The byte stream of one connection.
class StorageStream {
 public:
  virtual ~StorageStream() = default;
  virtual std::expected<void, std::string> write_all(std::span<const std::byte> bytes) = 0;
  // Up to `buffer.size()` bytes; 0 at the end of the stream.
  virtual std::expected<std::size_t, std::string> read_some(std::span<std::byte> buffer) = 0;
  // Nothing more will be written.
  virtual void finish_sending() = 0;
};

class StorageClient {
 public:
  explicit StorageClient(StorageStream& stream) : stream_(stream) {}

  std::expected<SyncedStorageSnapshot, std::string> snapshot();
  std::expected<EvictionReport, std::string> evict(std::vector<EvictionSelection> selections);

 private:
  std::expected<std::string, std::string> exchange(const std::string& request);
  StorageStream& stream_;
};

// The response decoders, on a whole response line.
std::expected<SyncedStorageSnapshot, std::string> decode_snapshot_response(std::string_view text);
std::expected<EvictionReport, std::string> decode_evict_response(std::string_view text);

}  // namespace runtime_fs::storage
