#pragma once
// A system library loaded when a feature first needs it rather than when the program starts, so
// that the loader maps it, and everything it pulls in, only then. Libraries stay loaded for the
// life of the process. Safe to use from any thread.
#include <expected>
#include <string>

namespace orvo_runtime {

class SharedLibrary {
 public:
  // Opens `soname` (such as "libcurl.so.4"); the error names the library and says why it failed.
  static std::expected<SharedLibrary, std::string> open(const char* soname);

  // Points `slot` at the function `name`; false when the library has no such symbol.
  template <typename Function>
  bool bind(Function*& slot, const char* name) const {
    slot = reinterpret_cast<Function*>(address(name));
    return slot != nullptr;
  }

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* address(const char* name) const;

  void* handle_;
};

}  // namespace orvo_runtime
