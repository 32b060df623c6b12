#pragma once
// A small bounded channel between threads: any number of senders, one receiver. A worker sends its
// result and drops its sender; the interface thread takes results without blocking. When every
// sender is gone the receiver sees "disconnected" once the queue is empty; when the receiver is
// gone, sends fail instead of piling up.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <variant>

namespace orvo_runtime {

namespace channel_detail {
template <typename T>
struct Shared {
  explicit Shared(std::size_t capacity) : capacity(capacity == 0 ? 1 : capacity) {}
  std::mutex mutex;
  std::condition_variable readable;
  std::condition_variable writable;
  std::deque<T> queue;
  std::size_t capacity;
  std::size_t senders = 1;
  bool receiver_alive = true;
};
}  // namespace channel_detail

enum class TryRecvError { Empty, Disconnected };
enum class TrySendError { Full, Disconnected };

template <typename T>
class Sender {
 public:
  explicit Sender(std::shared_ptr<channel_detail::Shared<T>> shared) : shared_(std::move(shared)) {}
  Sender(const Sender& other) : shared_(other.shared_) {
    if (shared_) {
      std::lock_guard lock(shared_->mutex);
      ++shared_->senders;
    }
  }
  Sender(Sender&&) noexcept = default;
  Sender& operator=(Sender other) noexcept {
    std::swap(shared_, other.shared_);
    return *this;
  }
  ~Sender() { release(); }

  // Blocks while the channel is full. False when the receiver is gone (the value is dropped).
  bool send(T value) {
    std::unique_lock lock(shared_->mutex);
    shared_->writable.wait(lock, [&] { return !shared_->receiver_alive || shared_->queue.size() < shared_->capacity; });
    if (!shared_->receiver_alive) return false;
    shared_->queue.push_back(std::move(value));
    shared_->readable.notify_one();
    return true;
  }

  // Never blocks; on failure the value is handed back with the reason.
  std::optional<std::pair<TrySendError, T>> try_send(T value) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->receiver_alive) return std::pair{TrySendError::Disconnected, std::move(value)};
    if (shared_->queue.size() >= shared_->capacity) return std::pair{TrySendError::Full, std::move(value)};
    shared_->queue.push_back(std::move(value));
    shared_->readable.notify_one();
    return std::nullopt;
  }

 private:
  void release() {
    if (!shared_) return;
    std::lock_guard lock(shared_->mutex);
    if (--shared_->senders == 0) shared_->readable.notify_all();
    shared_.reset();
  }
  std::shared_ptr<channel_detail::Shared<T>> shared_;
};

template <typename T>
class Receiver {
 public:
  explicit Receiver(std::shared_ptr<channel_detail::Shared<T>> shared) : shared_(std::move(shared)) {}
  Receiver(Receiver&&) noexcept = default;
  Receiver& operator=(Receiver&& other) noexcept {
    if (this != &other) {
      release();
      shared_ = std::move(other.shared_);
    }
    return *this;
  }
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;
  ~Receiver() { release(); }

  std::variant<T, TryRecvError> try_recv() {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->queue.empty()) return take();
    return shared_->senders == 0 ? TryRecvError::Disconnected : TryRecvError::Empty;
  }

  // Blocks until a value arrives; nullopt once every sender is gone and the queue is empty.
  std::optional<T> recv() {
    std::unique_lock lock(shared_->mutex);
    shared_->readable.wait(lock, [&] { return !shared_->queue.empty() || shared_->senders == 0; });
    if (shared_->queue.empty()) return std::nullopt;
    return take();
  }

  // As `recv`, giving up after `timeout` (then `Empty`).
  std::variant<T, TryRecvError> recv_for(std::chrono::milliseconds timeout) {
    std::unique_lock lock(shared_->mutex);
    shared_->readable.wait_for(lock, timeout, [&] { return !shared_->queue.empty() || shared_->senders == 0; });
    if (!shared_->queue.empty()) return take();
    return shared_->senders == 0 ? TryRecvError::Disconnected : TryRecvError::Empty;
  }

 private:
  T take() {
    T value = std::move(shared_->queue.front());
    shared_->queue.pop_front();
    shared_->writable.notify_one();
    return value;
  }
  void release() {
    if (!shared_) return;
    std::lock_guard lock(shared_->mutex);
    shared_->receiver_alive = false;
    shared_->queue.clear();
    shared_->writable.notify_all();
    shared_.reset();
  }
  std::shared_ptr<channel_detail::Shared<T>> shared_;
};

template <typename T>
std::pair<Sender<T>, Receiver<T>> make_channel(std::size_t capacity) {
  auto shared = std::make_shared<channel_detail::Shared<T>>(capacity);
  return {Sender<T>(shared), Receiver<T>(shared)};
}

}  // namespace orvo_runtime
