#include "actions/device_local_operation.h"

#include <tuple>

#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

// In the order of the root's declared kinds.
using DeviceLocalOperations =
    std::tuple<UpdateOperation, KeyboardSourceOperation, InputOperation, TimeDateOperation, PowerOperation,
               NetworkOperation, BluetoothOperation, StorageOperation, AudioOperation, DisplayOperation,
               PrinterOperation, UserOperation, AgentModelOperation, DeviceMeshOperation>;

template <DeviceLocalOperation Op>
std::expected<std::string, std::string> key_of(std::string_view kind, std::string_view payload) {
  auto decoded = decode_payload<Op>(payload);
  if (!decoded) return std::unexpected(decoded.error().text());
  return operation_key(kind, *decoded);
}

}  // namespace

std::expected<std::string, std::string> parse_device_local_operation(std::string_view kind,
                                                                     std::string_view payload) {
  std::expected<std::string, std::string> result = std::unexpected(std::string(kUnknownDeviceLocalOperation));
  std::apply(
      [&]<class... Op>(const Op&...) {
        (void)((kind == Op::kKind ? (result = key_of<Op>(kind, payload), true) : false) || ...);
      },
      DeviceLocalOperations{});
  return result;
}

}  // namespace settings::actions
