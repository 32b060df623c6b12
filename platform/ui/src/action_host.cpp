#include "orvo_ui/action_host.h"

#include <random>

#include "orvo_log/log.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

RequestId new_request_id() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  RequestId id{};
  for (std::size_t i = 0; i < id.size(); i += 8) {
    std::uint64_t bits = engine();
    for (std::size_t j = 0; j < 8; ++j) id[i + j] = static_cast<std::uint8_t>(bits >> (8 * j));
  }
  return id;
}

void ActionHost::dispatch(Widget& root, const orvo_actions::ControlInvocation& invocation) {
  if (!resolver_) {
    orvo_log::warn("control invocation dropped: no action resolver",
                   {{"resource", invocation.resource_id}, {"action", invocation.action}});
    return;
  }
  auto resolved = resolver_(invocation);
  if (!resolved) {
    orvo_log::warn("action dispatch failed",
                   {{"resource", invocation.resource_id}, {"action", invocation.action}, {"error", resolved.error()}});
    return;
  }
  StartAnswer answer = start(root, *resolved);
  if (auto* rejected = std::get_if<start::Rejected>(&answer)) {
    orvo_log::warn("action dispatch failed", {{"kind", resolved->kind}, {"error", rejected->message}});
  }
}

StartAnswer ActionHost::start(Widget& root, const ResolvedOperation& operation, RequestId* id_out) {
  RequestId id = new_request_id();
  if (id_out) *id_out = id;
  StartAnswer answer =
      root.start_resource_operation_with_document(id, operation.cls, operation.kind, operation.payload, nullptr);
  if (std::holds_alternative<start::InFlight>(answer)) in_flight_.push_back({id, false});
  return answer;
}

void ActionHost::poll(Widget& root) {
  for (auto it = in_flight_.begin(); it != in_flight_.end();) {
    if (auto done = root.poll_operation_results(it->id, it->cancel)) {
      completions_.emplace_back(it->id, std::move(*done));
      it = in_flight_.erase(it);
    } else {
      ++it;
    }
  }
}

void ActionHost::cancel(const RequestId& id) {
  for (auto& p : in_flight_) {
    if (p.id == id) p.cancel = true;
  }
}

std::vector<std::pair<RequestId, OperationCompletion>> ActionHost::take_completions() {
  return std::exchange(completions_, {});
}

}  // namespace orvo_ui
