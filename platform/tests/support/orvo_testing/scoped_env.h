#pragma once
// Sets an environment variable (or removes it, for none) for the life of the object, and puts the
// old value back after.
#include <stdlib.h>

#include <optional>
#include <string>

namespace orvo_testing {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = ::getenv(name)) saved_ = old;
    set(value);
  }
  ~ScopedEnv() { set(saved_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const std::optional<std::string>& value) const {
    if (value) {
      ::setenv(name_, value->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> saved_;
};

}  // namespace orvo_testing
