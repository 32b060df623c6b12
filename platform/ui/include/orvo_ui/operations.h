#pragma once
// Values passed with resource operations and the answers of the operation chain.
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "orvo_actions/operation_class.h"

namespace orvo_ui {

// The class byte passed with every resource operation is the action library's: the widget tree
// accepts Effect and Navigation; Setting operations never reach it (the action host carries them
// out on the settings document).
using orvo_actions::OperationClass;

// 16 bytes that identify one started operation; an operation answered InFlight completes later under it.
using RequestId = std::array<std::uint8_t, 16>;

// An instant on the loop's monotonic clock.
struct Deadline {
  std::int64_t secs = 0;
  std::uint32_t nanos = 0;
  friend auto operator<=>(const Deadline&, const Deadline&) = default;
  static Deadline now();
  static Deadline after_millis(std::int64_t millis);
};

// Result of a carried-out operation: a list of JSON texts and an optional JSON value.
struct OperationOutcome {
  std::vector<std::string> items;
  std::optional<std::string> value;
  friend bool operator==(const OperationOutcome&, const OperationOutcome&) = default;
};

// invoke_resource_operation: an error message, or handled (true: carried out, false: not this widget's).
struct InvokeError {
  std::string message;
  friend bool operator==(const InvokeError&, const InvokeError&) = default;
};
struct Handled {
  bool handled = false;
  friend bool operator==(const Handled&, const Handled&) = default;
};
using InvokeAnswer = std::variant<InvokeError, Handled>;

// invoke_resource_operation_v2: none (not handled), an error, or an outcome.
using InvokeV2Answer = std::optional<std::variant<InvokeError, OperationOutcome>>;

// start_resource_operation(_with_document).
namespace start {
struct NotHandled {
  friend bool operator==(const NotHandled&, const NotHandled&) = default;
};
struct Rejected {
  std::string message;
  friend bool operator==(const Rejected&, const Rejected&) = default;
};
struct Completed {
  OperationOutcome outcome;
  friend bool operator==(const Completed&, const Completed&) = default;
};
struct InFlight {
  friend bool operator==(const InFlight&, const InFlight&) = default;
};
}  // namespace start
using StartAnswer = std::variant<start::NotHandled, start::Rejected, start::Completed, start::InFlight>;

// What poll_operation_results answers once an in-flight operation has finished.
namespace completion {
struct Succeeded {
  std::string message;
  friend bool operator==(const Succeeded&, const Succeeded&) = default;
};
struct Failed {
  std::string code;
  std::string message;
  friend bool operator==(const Failed&, const Failed&) = default;
};
struct Cancelled {
  std::string message;
  friend bool operator==(const Cancelled&, const Cancelled&) = default;
};
}  // namespace completion
using OperationCompletion = std::variant<completion::Succeeded, completion::Failed, completion::Cancelled>;

}  // namespace orvo_ui
