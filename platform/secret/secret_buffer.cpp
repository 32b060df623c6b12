#include "orvo_secret/secret_buffer.h"

namespace orvo_secret {

SecretBuffer::~SecretBuffer() {
  std::lock_guard guard(lock_);
  text_.wipe();
  if (destroy_observer_) destroy_observer_(text_.storage_for_testing());
}

std::uint64_t SecretBuffer::assign(std::string_view text) {
  std::lock_guard guard(lock_);
  if (text.empty()) {
    text_.wipe();
  } else {
    text_.assign(text);
  }
  return ++generation_;
}

SecretString SecretBuffer::copy() const {
  std::lock_guard guard(lock_);
  return text_.clone();
}

SecretString SecretBuffer::take() {
  // Copy and wipe under one hold of the lock, so no edit can fall between the two and be lost.
  std::lock_guard guard(lock_);
  SecretString taken = text_.clone();
  text_.wipe();
  ++generation_;
  return taken;
}

void SecretBuffer::clear() {
  std::lock_guard guard(lock_);
  text_.wipe();
  ++generation_;
}

bool SecretBuffer::empty() const {
  std::lock_guard guard(lock_);
  return text_.empty();
}

std::size_t SecretBuffer::size() const {
  std::lock_guard guard(lock_);
  return text_.size();
}

std::uint64_t SecretBuffer::generation() const {
  std::lock_guard guard(lock_);
  return generation_;
}

void SecretBuffer::on_destroy_for_testing(std::function<void(std::span<const char>)> observer) {
  std::lock_guard guard(lock_);
  destroy_observer_ = std::move(observer);
}

}  // namespace orvo_secret
