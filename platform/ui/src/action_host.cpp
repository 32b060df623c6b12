#include "orvo_ui/action_host.h"

#include <random>
#include <utility>

#include "orvo_actions/resource.h"
#include "orvo_doc/document.h"
#include "orvo_log/log.h"
#include "orvo_ui/wake.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {
namespace {

constexpr std::string_view kCancelledMessage = "operation cancelled";
constexpr std::string_view kNoOutsideRequests = "this application takes no action requests from outside";

// The root answers for the application's resource tree; widgets below it may publish resources of
// their own (a button pressed through the action system), so the walk goes on depth first through
// the widget tree, asking each widget as the root was asked. A widget's whole resource list is
// looked through last: for the root it is the full tree, whose build may ask the running system,
// and a button press must not pay for it.
std::optional<orvo_actions::Resource> find_resource(Widget& widget, const std::string& id) {
  if (auto direct = widget.resource(id)) return direct;
  for (Widget* child : widget.children_mut()) {
    if (auto found = find_resource(*child, id)) return found;
  }
  for (auto& top : widget.resources()) {
    if (const auto* hit = top.find(id)) return *hit;
  }
  return std::nullopt;
}

}  // namespace

RequestId new_request_id() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  RequestId id{};
  for (std::size_t i = 0; i < id.size(); i += 8) {
    std::uint64_t bits = engine();
    for (std::size_t j = 0; j < 8; ++j) id[i + j] = static_cast<std::uint8_t>(bits >> (8 * j));
  }
  return id;
}

std::expected<ResolvedOperation, std::string> resolve_from_tree(Widget& root,
                                                                const orvo_actions::ControlInvocation& invocation) {
  auto resource = find_resource(root, invocation.resource_id);
  if (!resource) return std::unexpected("no resource " + invocation.resource_id);
  const auto* spec = resource->find_action(invocation.action);
  if (!spec) return std::unexpected("resource " + invocation.resource_id + " has no action " + invocation.action);
  auto encoded = spec->build_json(std::string_view(invocation.args_json));
  if (!encoded) return std::unexpected(encoded.error().message);
  return ResolvedOperation{spec->operation_class, std::move(encoded->kind),
                           std::move(encoded->payload)};
}

std::expected<ResolvedOperation, std::string> ActionHost::resolve(Widget& root,
                                                                  const orvo_actions::ControlInvocation& invocation) {
  return resolver_ ? resolver_(root, invocation) : resolve_from_tree(root, invocation);
}

void ActionHost::dispatch(Widget& root, const orvo_actions::ControlInvocation& invocation) {
  auto resolved = resolve(root, invocation);
  if (!resolved) {
    orvo_log::warn("action dispatch failed",
                   {{"resource", invocation.resource_id}, {"action", invocation.action}, {"error", resolved.error()}});
    return;
  }
  StartAnswer answer = start(root, *resolved);
  if (auto* rejected = std::get_if<start::Rejected>(&answer)) {
    orvo_log::warn("action dispatch failed", {{"kind", resolved->kind}, {"error", rejected->message}});
  } else if (std::holds_alternative<start::NotHandled>(answer)) {
    orvo_log::warn("action dispatch failed", {{"kind", resolved->kind}, {"error", "no widget handles this operation"}});
  }
}

StartAnswer ActionHost::request(Widget& root, const orvo_actions::ActionAddress& address, std::string_view args_json,
                                RequestId* id_out) {
  auto resolved = resolve(root, {address.resource, address.action, std::string(args_json)});
  if (!resolved) return start::Rejected{resolved.error()};
  return start(root, *resolved, id_out);
}

StartAnswer ActionHost::start(Widget& root, const ResolvedOperation& operation, RequestId* id_out) {
  RequestId id = new_request_id();
  if (id_out) *id_out = id;
  StartAnswer answer =
      operation.cls == OperationClass::Setting
          ? run_setting(operation)
          : root.start_resource_operation_with_document(id, operation.cls, operation.kind, operation.payload,
                                                        document_);
  if (std::holds_alternative<start::InFlight>(answer)) in_flight_.push_back({id, false, {}});
  if (std::holds_alternative<start::InFlight>(answer) || std::holds_alternative<start::Completed>(answer)) {
    acted_ = true;
  }
  return answer;
}

StartAnswer ActionHost::run_setting(const ResolvedOperation& operation) {
  if (!registry_ || !document_) return start::Rejected{"setting actions cannot be carried out here"};
  orvo_actions::EncodedAction encoded{operation.kind, operation.payload};
  auto action = registry_->decode(encoded);
  if (!action) return start::Rejected{action.error().display()};
  if (keeper_) {
    if (auto kept = keeper_(**action); !kept) return start::Rejected{kept.error()};
  }
  auto done = dispatch_typed(*document_, **action, std::move(encoded), std::nullopt);
  if (!done) return start::Rejected{done.error().display()};
  return start::Completed{};
}

std::expected<void, orvo_actions::ActionError> ActionHost::dispatch_typed(
    orvo_doc::Document& document, const orvo_actions::TypedAction& action, orvo_actions::EncodedAction encoded,
    std::optional<orvo_actions::ActionContext> context) {
  const std::optional<orvo_actions::Heads> recorded = orvo_actions::typed_action_before(document);
  orvo_actions::Heads before = recorded ? *recorded : document.get_heads();
  const auto& actor_bytes = document.actor_id().to_bytes();
  std::vector<std::uint8_t> actor(actor_bytes.begin(), actor_bytes.end());

  context = dispatch_context(default_context, std::move(context));
  const orvo_actions::LocalTransport transport{};
  auto receipt = context ? orvo_actions::dispatch_by_with_context(document, action, encoded, transport,
                                                                  std::move(actor), std::move(*context))
                         : orvo_actions::dispatch_by(document, action, encoded, transport, std::move(actor));
  if (!receipt) return std::unexpected(std::move(receipt.error()));

  if (recorded) orvo_actions::report_typed_action(document, *recorded, document.get_heads());
  if (!first_heads) first_heads = std::move(before);
  last_action = std::move(encoded);
  return {};
}

void ActionHost::dispatch_with_context(orvo_doc::Document& document, const orvo_actions::TypedAction& action,
                                       orvo_actions::EncodedAction encoded,
                                       std::optional<orvo_actions::ActionContext> context) {
  const std::string action_namespace = encoded.kind;
  auto dispatched = dispatch_typed(document, action, std::move(encoded), std::move(context));
  if (!dispatched) {
    orvo_log::warn("action dispatch failed",
                   {{"error", dispatched.error().display()}, {"namespace", action_namespace}});
  }
}

std::optional<orvo_actions::ActionContext> dispatch_context(
    const std::optional<orvo_actions::ActionContext>& host_default, std::optional<orvo_actions::ActionContext> given) {
  if (!host_default) return given;
  if (!given) return host_default;
  return given->enriched_by(*host_default);
}

std::uint64_t ActionHost::submit(ActionRequest request) {
  std::uint64_t ticket = 0;
  {
    std::lock_guard lock(queue_mutex_);
    ticket = ++last_ticket_;
    queued_requests_.emplace_back(ticket, std::move(request));
  }
  WakeHandle{}.wake();
  return ticket;
}

bool ActionHost::withdraw(std::uint64_t ticket) {
  std::lock_guard lock(queue_mutex_);
  return std::erase_if(queued_requests_, [&](const auto& queued) { return queued.first == ticket; }) > 0;
}

void ActionHost::cancel(const RequestId& id) {
  {
    std::lock_guard lock(queue_mutex_);
    queued_cancels_.push_back(id);
  }
  WakeHandle{}.wake();
}

void ActionHost::take_queued(Widget& root) {
  std::vector<std::pair<std::uint64_t, ActionRequest>> requests;
  std::vector<RequestId> cancels;
  {
    std::lock_guard lock(queue_mutex_);
    requests.swap(queued_requests_);
    cancels.swap(queued_cancels_);
  }
  for (const auto& id : cancels) {
    for (auto& pending : in_flight_) {
      if (pending.id == id) pending.cancel = true;
    }
  }
  for (auto& queued : requests) {
    ActionRequest& request = queued.second;
    RequestId id{};
    StartAnswer answer = accepts_outside_ ? this->request(root, request.address, request.args_json, &id)
                                          : StartAnswer{start::Rejected{std::string(kNoOutsideRequests)}};
    if (std::holds_alternative<start::InFlight>(answer) && !in_flight_.empty() && in_flight_.back().id == id) {
      in_flight_.back().reply = request.reply;
    }
    if (request.reply) request.reply(RequestStarted{id, answer});
  }
}

void ActionHost::poll(Widget& root) {
  take_queued(root);
  for (auto it = in_flight_.begin(); it != in_flight_.end();) {
    std::optional<OperationCompletion> done = root.poll_operation_results(it->id, it->cancel);
    if (!done && it->cancel) done = completion::Cancelled{std::string(kCancelledMessage)};
    if (!done) {
      ++it;
      continue;
    }
    acted_ = true;
    if (it->reply) it->reply(RequestFinished{it->id, *done});
    completions_.emplace_back(it->id, std::move(*done));
    // Nobody may be taking them: only the latest are kept.
    if (completions_.size() > kKeptCompletions) completions_.erase(completions_.begin());
    it = in_flight_.erase(it);
  }
}

bool ActionHost::is_in_flight(const RequestId& id) const {
  for (const auto& pending : in_flight_) {
    if (pending.id == id) return true;
  }
  return false;
}

std::vector<std::pair<RequestId, OperationCompletion>> ActionHost::take_completions() {
  return std::exchange(completions_, {});
}

}  // namespace orvo_ui
