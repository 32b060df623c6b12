// The scanner listing `scanimage -L` prints: any bytes give a list, never a crash, and each entry is
// a piece of one line of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "os_actions/printing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const auto& scanner : os_actions::printing::parse_scanner_list(text)) {
    if (scanner.device.empty() || scanner.description.empty()) std::abort();
    if (scanner.device.find('\n') != std::string_view::npos) std::abort();
    if (scanner.description.find('\n') != std::string_view::npos) std::abort();
    if (scanner.device.size() + scanner.description.size() > size) std::abort();
  }
  return 0;
}
