#pragma once
// The reader every device-local operation passes through before the root runs it.
#include <expected>
#include <string>
#include <string_view>

namespace settings::actions {

inline constexpr std::string_view kUnknownDeviceLocalOperation = "unknown device-local operation type";

// Checks that the payload is exactly one well-formed value of the enumeration of `kind` (one of the
// fourteen device-local kinds, compared byte for byte) and answers its operation key: the kind, ":"
// and the operation written again in canonical compact JSON, so every spelling of one operation
// gives one key. A kind outside the table answers "unknown device-local operation type"; a payload
// that does not decode answers the decoder's message with its position. Pure.
std::expected<std::string, std::string> parse_device_local_operation(std::string_view kind, std::string_view payload);

}  // namespace settings::actions
