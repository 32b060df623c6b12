// One line a client sent to the outside door. It is either refused with a message, whose error
// answer is valid JSON, or read into a request whose arguments are a JSON object and whose time
// limit is in range.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "door_protocol.h"
#include "orvo_ui/action_door.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  auto request = orvo_ui::door::parse_request(line);
  if (!request) {
    if (request.error().empty()) __builtin_trap();
    auto answer = nlohmann::json::parse(orvo_ui::door::error_answer(request.error()), nullptr, false);
    if (!answer.is_object()) __builtin_trap();
    return 0;
  }
  if (const auto* invoke = std::get_if<orvo_ui::door::InvokeRequest>(&*request)) {
    if (!nlohmann::json::parse(invoke->args_json, nullptr, false).is_object()) __builtin_trap();
    if (invoke->timeout_ms < 1 || invoke->timeout_ms > orvo_ui::door::kMaxTimeoutMillis) __builtin_trap();
  }
  return 0;
}
