// A user identity's record ("identity.json"): any text is refused with a reason or read into a
// record with a plain id, which writes out and reads back as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "orvo_identity/local_identity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace id = runtime_identity::unix;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto record = id::parse_identity_record(input);
  if (!record) return record.error().empty() ? (std::abort(), 0) : 0;
  if (record->id.empty() || record->id.find('/') != std::string::npos) std::abort();
  (void)record->protection();
  const auto again = id::parse_identity_record(id::encode_identity_record(*record));
  if (!again || *again != *record) std::abort();
  return 0;
}
