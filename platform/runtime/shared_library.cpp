#include "orvo_runtime/shared_library.h"

#include <dlfcn.h>

namespace orvo_runtime {

std::expected<SharedLibrary, std::string> SharedLibrary::open(const char* soname) {
  // RTLD_LOCAL: the library's symbols serve the functions bound from it and nothing else.
  void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    return std::unexpected(std::string("could not load ") + soname + (why ? std::string(": ") + why : std::string()));
  }
  return SharedLibrary(handle);
}

void* SharedLibrary::address(const char* name) const { return dlsym(handle_, name); }

}  // namespace orvo_runtime
