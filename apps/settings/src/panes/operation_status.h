#pragma once
// The state of the one device-local operation in flight, shared by the root and every pane:
// Idle, then Running with the operation's key, then Succeeded or Failed with key and message, and
// Idle again once the root has reported the result. The key is the operation's kind, a colon and
// its re-encoded JSON payload.
#include <optional>
#include <string>
#include <variant>

namespace settings::settings_app {

namespace operation_status {
struct Idle {
  friend bool operator==(const Idle&, const Idle&) = default;
};
struct Running {
  std::string key;
  friend bool operator==(const Running&, const Running&) = default;
};
struct Succeeded {
  std::string key;
  std::string message;
  friend bool operator==(const Succeeded&, const Succeeded&) = default;
};
struct Failed {
  std::string key;
  std::string message;
  friend bool operator==(const Failed&, const Failed&) = default;
};
}  // namespace operation_status

struct OperationStatus
    : std::variant<operation_status::Idle, operation_status::Running, operation_status::Succeeded,
                   operation_status::Failed> {
  using variant::variant;
  using Idle = operation_status::Idle;
  using Running = operation_status::Running;
  using Succeeded = operation_status::Succeeded;
  using Failed = operation_status::Failed;

  OperationStatus() : variant(Idle{}) {}

  // Whether the operation with this key is the one running (a pane finishes only that one).
  bool is_running(const std::string& key) const {
    const auto* running = std::get_if<Running>(this);
    return running && running->key == key;
  }

  friend bool operator==(const OperationStatus&, const OperationStatus&) = default;
};

}  // namespace settings::settings_app
