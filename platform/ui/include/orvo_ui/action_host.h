#pragma once
// The action host: starts operations on the root widget, keeps the ones answered InFlight, polls
// them every frame until they complete, and cancels one on request.
#include <expected>
#include <functional>
#include <string>
#include <vector>

#include "orvo_actions/address.h"
#include "orvo_ui/operations.h"

namespace orvo_ui {

class Widget;

struct ResolvedOperation {
  OperationClass cls = OperationClass::Effect;
  std::string kind;
  std::string payload;
};

class ActionHost {
 public:
  // Turns a control's invocation into an operation; installed by the action library.
  using Resolver = std::function<std::expected<ResolvedOperation, std::string>(const orvo_actions::ControlInvocation&)>;

  void set_resolver(Resolver resolver) { resolver_ = std::move(resolver); }

  // Resolves and starts a control's invocation; a failure is logged and dropped.
  void dispatch(Widget& root, const orvo_actions::ControlInvocation& invocation);

  // Starts an operation with a fresh request id; an InFlight answer is kept for polling.
  StartAnswer start(Widget& root, const ResolvedOperation& operation, RequestId* id_out = nullptr);

  // Polls every in-flight operation once; finished ones are recorded and forgotten.
  void poll(Widget& root);

  // The next poll passes the cancel flag for this operation.
  void cancel(const RequestId& id);

  std::size_t in_flight_count() const { return in_flight_.size(); }
  std::vector<std::pair<RequestId, OperationCompletion>> take_completions();

 private:
  struct Pending {
    RequestId id;
    bool cancel = false;
  };
  Resolver resolver_;
  std::vector<Pending> in_flight_;
  std::vector<std::pair<RequestId, OperationCompletion>> completions_;
};

RequestId new_request_id();

}  // namespace orvo_ui
