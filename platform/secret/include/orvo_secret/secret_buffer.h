#pragma once
// SecretBuffer: one secret shared between the code that uses it (a pane, a form) and the text field
// that edits it. The text lives in a SecretString under a mutex; every access takes the lock, and
// no caller ever holds two buffers' locks at once.
//
// The bytes are wiped with zeros whenever the text is emptied (`clear`, assigning the empty text),
// when it is taken (`take`: a copy for the caller, then the buffer is wiped) and when the buffer is
// destroyed. A copy handed out is a SecretString, so it wipes itself too.
//
// std::mutex cannot be left poisoned by a thread that failed while holding it, so every access
// sees the buffer as the last completed write left it.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <utility>

#include "orvo_secret/secret_string.h"

namespace orvo_secret {

class SecretBuffer {
 public:
  SecretBuffer() = default;
  explicit SecretBuffer(std::string_view text) : text_(text) {}
  ~SecretBuffer();
  SecretBuffer(const SecretBuffer&) = delete;
  SecretBuffer& operator=(const SecretBuffer&) = delete;

  // A new, empty buffer to share.
  static std::shared_ptr<SecretBuffer> make() { return std::make_shared<SecretBuffer>(); }

  // Replaces the text (the old bytes are wiped first); answers the new generation.
  std::uint64_t assign(std::string_view text);
  // A wiping copy of the text; the buffer keeps it.
  SecretString copy() const;
  // A wiping copy of the text, after which the buffer is wiped and empty.
  SecretString take();
  // Wipes the text.
  void clear();

  bool empty() const;
  std::size_t size() const;
  // Raised by every change, so a field that edits the buffer sees changes made by others.
  std::uint64_t generation() const;

  // Lets `read` look at the text under the lock, without a copy; answers what `read` answers.
  template <typename Read>
  auto with_text(Read&& read) const {
    std::lock_guard guard(lock_);
    return std::forward<Read>(read)(text_.view());
  }

  // Test hooks: the whole storage as it is now, and an observer called with the storage once it
  // has been wiped on destruction, just before it is freed.
  std::span<const char> storage_for_testing() const { return text_.storage_for_testing(); }
  void on_destroy_for_testing(std::function<void(std::span<const char>)> observer);

 private:
  mutable std::mutex lock_;
  SecretString text_;
  std::uint64_t generation_ = 0;
  std::function<void(std::span<const char>)> destroy_observer_;
};

}  // namespace orvo_secret
