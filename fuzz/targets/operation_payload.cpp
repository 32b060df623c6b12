// Operation payload decoder. The first byte picks the enumeration (the sixteen operation payloads, then
// SettingsAction); the rest is the payload text. Whatever decodes must re-encode to a canonical text
// that decodes to the same value and encodes to the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "actions/operation_payload.h"

namespace {

using settings::actions::decode_payload;
using settings::actions::encode_payload;

template <class Payload>
void check(std::string_view text) {
  auto decoded = decode_payload<Payload>(text);
  if (!decoded) {
    if (decoded.error().reason.empty()) std::abort();
    return;
  }
  const std::string canonical = encode_payload(*decoded);
  auto again = decode_payload<Payload>(canonical);
  if (!again || !(*again == *decoded) || encode_payload(*again) != canonical) std::abort();
}

using Payloads = decltype(std::tuple_cat(settings::actions::OperationPayloads{},
                                         std::tuple<settings::actions::SettingsAction>{}));

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t which = data[0] % std::tuple_size_v<Payloads>;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((I == which ? check<std::tuple_element_t<I, Payloads>>(text) : void()), ...);
  }(std::make_index_sequence<std::tuple_size_v<Payloads>>{});
  return 0;
}
