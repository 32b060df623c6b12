#pragma once
// The runner's answer to one device-local operation: refused with a message (nothing was handed
// over, carried out or published), in flight (its outcome follows through the operation status
// cell), or not one of the device-local kinds.
#include <string>
#include <variant>

namespace settings::settings_app {

namespace device_local_outcome {
struct Rejected {
  std::string message;
  friend bool operator==(const Rejected&, const Rejected&) = default;
};
struct InFlight {
  friend bool operator==(const InFlight&, const InFlight&) = default;
};
struct NotHandled {
  friend bool operator==(const NotHandled&, const NotHandled&) = default;
};
}  // namespace device_local_outcome

struct DeviceLocalOutcome
    : std::variant<device_local_outcome::Rejected, device_local_outcome::InFlight, device_local_outcome::NotHandled> {
  using variant::variant;
  using Rejected = device_local_outcome::Rejected;
  using InFlight = device_local_outcome::InFlight;
  using NotHandled = device_local_outcome::NotHandled;

  friend bool operator==(const DeviceLocalOutcome&, const DeviceLocalOutcome&) = default;
};

}  // namespace settings::settings_app
