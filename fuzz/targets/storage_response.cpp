// A storage service answer: any bytes give a snapshot, an eviction report or a failure text, never a
// crash; a failure always says something.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime_fs/storage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto snapshot = runtime_fs::storage::decode_snapshot_response(text);
  if (!snapshot && snapshot.error().empty()) std::abort();
  const auto report = runtime_fs::storage::decode_evict_response(text);
  if (!report && report.error().empty()) std::abort();
  return 0;
}
