#include "orvo_secret/secret_string.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace orvo_secret {
namespace {

// Whether the text points into the buffer (std::less gives a total order over unrelated pointers).
bool points_into(std::string_view text, const char* buffer, std::size_t capacity) {
  if (text.empty() || buffer == nullptr) return false;
  const std::less<const char*> before;
  return !before(text.data(), buffer) && before(text.data(), buffer + capacity);
}

}  // namespace

SecretString::SecretString(std::string_view text) { assign(text); }

SecretString::~SecretString() { release(); }

SecretString::SecretString(SecretString&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

SecretString& SecretString::operator=(SecretString&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

SecretString SecretString::clone() const { return SecretString(view()); }

void SecretString::assign(std::string_view text) {
  // The text may live inside this buffer: copy it out of the way before wiping.
  if (points_into(text, data_, capacity_)) {
    SecretString copy(text);
    *this = std::move(copy);
    return;
  }
  if (data_ != nullptr) sodium_memzero(data_, capacity_);
  size_ = 0;
  append(text);
}

void SecretString::append(std::string_view text) {
  if (text.empty()) return;
  if (points_into(text, data_, capacity_)) {
    SecretString copy(text);
    append(copy.view());
    return;
  }
  reserve(size_ + text.size() + 1);  // room for the terminating NUL
  std::memcpy(data_ + size_, text.data(), text.size());
  size_ += text.size();
  data_[size_] = '\0';
}

void SecretString::append(char c) { append(std::string_view(&c, 1)); }

void SecretString::clear() { release(); }

void SecretString::wipe() {
  if (data_ != nullptr) sodium_memzero(data_, capacity_);
  size_ = 0;
}

void SecretString::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  const std::size_t grown = std::max({capacity, capacity_ * 2, std::size_t{32}});
  char* fresh = new char[grown];
  if (size_ != 0) std::memcpy(fresh, data_, size_);
  const std::size_t size = size_;
  release();
  data_ = fresh;
  size_ = size;
  capacity_ = grown;
}

void SecretString::release() {
  if (data_ != nullptr) {
    sodium_memzero(data_, capacity_);
    delete[] data_;
  }
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

bool operator==(const SecretString& a, const SecretString& b) {
  return a.size_ == b.size_ && (a.size_ == 0 || sodium_memcmp(a.data_, b.data_, a.size_) == 0);
}

}  // namespace orvo_secret
