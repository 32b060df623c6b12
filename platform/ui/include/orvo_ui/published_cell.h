#pragma once
// A value shared between widgets and threads. A producer publishes a new value; consumers take a
// snapshot when they next sync. Each accepted publication raises the version by one. Publication
// asks the cell's WakeHandle first, so a publication also wakes the loop; a refused one leaves the
// cell as it was.
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include "orvo_ui/wake.h"

namespace orvo_ui {

template <typename T>
struct LocalStateInner {
  explicit LocalStateInner(T initial) : value(std::move(initial)) {}
  mutable std::shared_mutex lock;
  T value;
  std::atomic<std::uint64_t> version{0};
  WakeHandle wake;
};

template <typename T>
class PublishedCell {
 public:
  explicit PublishedCell(T initial = T{}) : inner_(std::make_shared<LocalStateInner<T>>(std::move(initial))) {}

  // Replaces the value; answers the new version, or none when the publication was refused.
  std::optional<std::uint64_t> publish(T value) const {
    if (!inner_->wake.authorize_publication()) return std::nullopt;
    std::unique_lock guard(inner_->lock);
    std::uint64_t version = inner_->version.load(std::memory_order_relaxed);
    if (version == std::numeric_limits<std::uint64_t>::max()) return std::nullopt;
    inner_->value = std::move(value);
    inner_->version.store(version + 1, std::memory_order_release);
    return version + 1;
  }

  T snapshot() const {
    std::shared_lock guard(inner_->lock);
    return inner_->value;
  }

  std::uint64_t version() const { return inner_->version.load(std::memory_order_acquire); }

  // Whether two handles share one cell.
  bool shares_with(const PublishedCell& other) const { return inner_ == other.inner_; }

 private:
  std::shared_ptr<LocalStateInner<T>> inner_;
};

}  // namespace orvo_ui
