// Device-local operation reader. The input is a kind, a line break and the payload. An accepted
// operation's key is the kind, ":" and a canonical payload: reading that payload again under the same
// kind must give the same key. A refusal always carries a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "actions/device_local_operation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  if (newline == std::string_view::npos) return 0;
  const std::string_view kind = input.substr(0, newline);
  const std::string_view payload = input.substr(newline + 1);

  auto key = settings::actions::parse_device_local_operation(kind, payload);
  if (!key) {
    if (key.error().empty()) std::abort();
    return 0;
  }
  const std::string_view text = *key;
  if (!text.starts_with(kind) || text.size() <= kind.size() || text[kind.size()] != ':') std::abort();
  auto again = settings::actions::parse_device_local_operation(kind, text.substr(kind.size() + 1));
  if (!again || *again != *key) std::abort();
  return 0;
}
