// An Exec= command line from a desktop entry and a file address from the desktop portal: any text
// gives a program with its arguments (or none) and a local path (or none), never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop_entry/desktop_entry.h"
#include "orvo_portal/portal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto arguments = desktop_entry::exec_arguments(text)) {
    if (arguments->empty() || arguments->front().empty()) std::abort();
  }
  if (const auto path = runtime_portal_xdg::local_path(text)) {
    if (!path->starts_with('/') || path->find('\0') != std::string::npos) std::abort();
  }
  return 0;
}
