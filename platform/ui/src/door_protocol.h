#pragma once
// The door's wire format (see orvo_ui/action_door.h): reading a request line, writing answer lines.
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <variant>

#include "orvo_actions/address.h"
#include "orvo_ui/operations.h"

namespace orvo_ui::door {

struct TreeRequest {
  friend bool operator==(const TreeRequest&, const TreeRequest&) = default;
};
struct InvokeRequest {
  orvo_actions::ActionAddress address;
  std::string args_json = "{}";
  long timeout_ms = 0;
  friend bool operator==(const InvokeRequest&, const InvokeRequest&) = default;
};
using Request = std::variant<TreeRequest, InvokeRequest>;

// One request line (without its newline). The error is the whole sentence to answer. A line that
// holds a NUL byte is malformed.
std::expected<Request, std::string> parse_request(std::string_view line);

// Answer lines, each one compact JSON object without the newline.
std::string error_answer(std::string_view message);
std::string tree_answer(std::string_view resources_json);
// The answer of an operation that did not go in flight (Rejected, NotHandled, Completed).
std::string start_answer(const StartAnswer& answer);
// The answer of an in-flight operation that finished.
std::string completion_answer(const OperationCompletion& completion);
// How an invocation whose time ran out ended: taken back before it started, cancelled while it
// ran, or still not settled when the door stopped waiting for it.
enum class TimedOut : std::uint8_t { Withdrawn, Cancelled, Unsettled };
std::string timed_out_answer(long timeout_ms, TimedOut how);

}  // namespace orvo_ui::door
