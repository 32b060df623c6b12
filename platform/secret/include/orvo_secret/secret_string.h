#pragma once
// SecretString: text that holds a secret (a password, a PIN, an API key, a credential).
//
// The buffer is wiped with zeros before it is released: on destruction, on reassignment, on
// clear() and whenever it grows. It never copies itself silently (copying is `clone()`), never
// converts to std::string on its own, and never appears in logs or formatted output. Read it
// through `view()` for the short moment a call needs the bytes.
#include <cstddef>
#include <span>
#include <string_view>

namespace orvo_secret {

class SecretString {
 public:
  SecretString() = default;
  explicit SecretString(std::string_view text);
  ~SecretString();

  SecretString(SecretString&& other) noexcept;
  SecretString& operator=(SecretString&& other) noexcept;
  SecretString(const SecretString&) = delete;
  SecretString& operator=(const SecretString&) = delete;

  // A second wiping copy of the same text.
  SecretString clone() const;

  // Replaces the text; the old buffer is wiped first.
  void assign(std::string_view text);
  void append(std::string_view text);
  void append(char c);
  // Wipes the text and releases the buffer.
  void clear();
  // Wipes the text but keeps the (now all-zero) buffer for the next text.
  void wipe();

  std::string_view view() const { return {data_, size_}; }
  const char* data() const { return size_ == 0 ? "" : data_; }
  // Always followed by a NUL byte, for C interfaces.
  const char* c_str() const { return data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  friend bool operator==(const SecretString& a, const SecretString& b);

  // The whole allocation, text and spare room alike, for tests that check the wiping.
  std::span<const char> storage_for_testing() const { return {data_, capacity_}; }

 private:
  void reserve(std::size_t capacity);
  void release();

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace orvo_secret
