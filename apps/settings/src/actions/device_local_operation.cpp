#include "actions/device_local_operation.h"

#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

template <DeviceLocalOperation Op>
std::expected<std::string, std::string> key_of(std::string_view kind, std::string_view payload) {
  auto decoded = decode_payload<Op>(payload);
  if (!decoded) return std::unexpected(decoded.error().text());
  return operation_key(kind, *decoded);
}

// Tries the kinds in the order given and reads the payload as the first one that matches.
template <DeviceLocalOperation... Op>
std::expected<std::string, std::string> read_as_one_of(std::string_view kind, std::string_view payload) {
  static_assert(sizeof...(Op) == 14, "the root runs fourteen device-local kinds");
  std::expected<std::string, std::string> result = std::unexpected(std::string(kUnknownDeviceLocalOperation));
  (void)((kind == Op::kKind && (result = key_of<Op>(kind, payload), true)) || ...);
  return result;
}

}  // namespace

std::expected<std::string, std::string> parse_device_local_operation(std::string_view kind,
                                                                     std::string_view payload) {
  // In the order of the root's declared kinds.
  return read_as_one_of<UpdateOperation, KeyboardSourceOperation, InputOperation, TimeDateOperation, PowerOperation,
                        NetworkOperation, BluetoothOperation, StorageOperation, AudioOperation, DisplayOperation,
                        PrinterOperation, UserOperation, AgentModelOperation, DeviceMeshOperation>(kind, payload);
}

}  // namespace settings::actions
