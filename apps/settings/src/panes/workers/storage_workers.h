#pragma once
// The storage service's two jobs on worker threads: a usage snapshot and an eviction of downloaded
// synced files. Each run opens its own connection to the service's Unix socket
// ("/run/orvo/fs-storage.sock" under the system root), runs one exchange of the storage client on
// it, closes it, sends the outcome or a failure text (dropped when nobody listens any more), and
// wakes the interface loop.
//
// Sending and receiving on the connection have a time limit (60 seconds unless the caller gives
// another), so a service that hangs never holds the worker, nor the operation waiting on it, for
// ever: a time-out becomes the failure text.
#include <chrono>
#include <cstddef>
#include <expected>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"

namespace settings::panes::workers {

inline constexpr std::string_view kStorageThread = "settings-storage";
inline constexpr std::chrono::milliseconds kStorageTimeout = std::chrono::seconds(60);
// Where the service listens on a running system; the workers find it under `system_paths::run()`.
inline constexpr std::string_view kStorageSocket = "/run/orvo/fs-storage.sock";
inline constexpr std::string_view kStorageTimedOut = "The storage service did not answer in time.";

struct StorageSocketOptions {
  // The service's socket; empty: "/run/orvo/fs-storage.sock" under the system root.
  std::filesystem::path path;
  std::chrono::milliseconds timeout = kStorageTimeout;
};

// One connection to the storage service, closed when dropped. Reads and writes answer the system
// error's text on failure and `kStorageTimedOut` when the time limit passes.
class StorageConnection {
 public:
  // Connects; on failure the connection error's text.
  static std::expected<StorageConnection, std::string> open(const StorageSocketOptions& options);

  StorageConnection(StorageConnection&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  StorageConnection& operator=(StorageConnection&& other) noexcept;
  StorageConnection(const StorageConnection&) = delete;
  StorageConnection& operator=(const StorageConnection&) = delete;
  ~StorageConnection();

  std::expected<void, std::string> write_all(std::span<const std::byte> bytes);
  // Up to `buffer.size()` bytes; 0 when the service closed the connection.
  std::expected<std::size_t, std::string> read_some(std::span<std::byte> buffer);
  // Tells the service nothing more will be sent.
  void finish_sending();
  void close();

 private:
  explicit StorageConnection(int fd) : fd_(fd) {}
  int fd_ = -1;
};

template <typename Snapshot>
using SnapshotExchange = std::function<std::expected<Snapshot, std::string>(StorageConnection&)>;
template <typename Report, typename Selection>
using EvictExchange = std::function<std::expected<Report, std::string>(StorageConnection&, std::vector<Selection>)>;

template <typename Snapshot>
void storage_snapshot_worker(orvo_runtime::Sender<std::expected<Snapshot, std::string>> sender,
                             SnapshotExchange<Snapshot> snapshot, StorageSocketOptions options, orvo_ui::WakeHandle wake) {
  std::expected<Snapshot, std::string> outcome = [&]() -> std::expected<Snapshot, std::string> {
    auto connection = StorageConnection::open(options);
    if (!connection) return std::unexpected(std::move(connection.error()));
    auto result = snapshot(*connection);
    connection->close();
    return result;
  }();
  (void)sender.send(std::move(outcome));
  wake.wake();
}

// The selection list is handed to the exchange whole, and released when the connection fails.
template <typename Report, typename Selection>
void storage_evict_worker(orvo_runtime::Sender<std::expected<Report, std::string>> sender,
                          std::vector<Selection> selections, EvictExchange<Report, Selection> evict,
                          StorageSocketOptions options, orvo_ui::WakeHandle wake) {
  std::expected<Report, std::string> outcome = [&]() -> std::expected<Report, std::string> {
    auto connection = StorageConnection::open(options);
    if (!connection) {
      std::vector<Selection>().swap(selections);
      return std::unexpected(std::move(connection.error()));
    }
    auto result = evict(*connection, std::move(selections));
    connection->close();
    return result;
  }();
  (void)sender.send(std::move(outcome));
  wake.wake();
}

}  // namespace settings::panes::workers
