#pragma once
// The client side of the outside door (orvo_ui/action_door.h): one request line out, one answer
// line back.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace orvo_ui::door {

struct ClientError {
  enum class Kind : std::uint8_t {
    NoApplication,  // nothing listens at the socket path (or there is no such path)
    Failed,         // the exchange broke off, or no answer came in time
  };
  Kind kind = Kind::Failed;
  std::string message;
};

// Connects to the socket, sends the request (a newline is added) and answers the first answer
// line, without its newline. `limit` bounds the whole exchange; on running out the connection is
// closed, which cancels what the request started.
std::expected<std::string, ClientError> exchange(const std::filesystem::path& socket, std::string_view request,
                                                 std::chrono::milliseconds limit);

}  // namespace orvo_ui::door
