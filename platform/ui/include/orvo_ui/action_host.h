#pragma once
// The action host: turns control invocations and requests from outside into operations, starts
// them on the root with a fresh request id, keeps the ones answered InFlight, polls them every frame
// until they complete, and cancels one on request.
//
// Resolving: the invocation's resource is looked up in the root's resources, then in those of the
// widgets below the root (depth first, in child order); the action is looked up by name in that
// resource, and the arguments are checked against the action's spec and encoded by it; the result
// is the operation's kind, payload and class. Setting actions (class Setting) are not operations
// of the widget tree: with a setting target (the registry that decodes their namespace and the
// application's settings document, which the frame loop owns) they are decoded, offered to the
// application's setting keeper, and carried out on the document; without one they are refused.
//
// Typed dispatch: a decoded action is carried out on a document through the executor, and the host
// keeps a record of it: the document's heads before its first change and the latest action. The
// loop's host does this for setting actions from controls and from outside; a pane that emits
// setting actions holds a host of its own and dispatches through it (`dispatch_with_context`).
//
// Threading: everything runs on the interface thread except `submit`, `withdraw` and `cancel`, which
// any thread may call; what they queue is taken by the next `poll`.
#include <cstdint>
#include <expected>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "orvo_actions/address.h"
#include "orvo_actions/context.h"
#include "orvo_actions/encoded_action.h"
#include "orvo_actions/executor.h"
#include "orvo_actions/registry.h"
#include "orvo_actions/typed_action_history.h"
#include "orvo_ui/operations.h"

namespace orvo_ui {

class Widget;

struct ResolvedOperation {
  OperationClass cls = OperationClass::Effect;
  std::string kind;
  std::string payload;
  friend bool operator==(const ResolvedOperation&, const ResolvedOperation&) = default;
};

// Resolves an invocation against the root's resource tree (see above).
std::expected<ResolvedOperation, std::string> resolve_from_tree(Widget& root,
                                                                const orvo_actions::ControlInvocation& invocation);

// How an outside request ended: its start answer, then, for an InFlight one, its completion.
struct RequestStarted {
  RequestId id{};
  StartAnswer answer;
};
struct RequestFinished {
  RequestId id{};
  OperationCompletion completion;
};
using RequestReport = std::variant<RequestStarted, RequestFinished>;

struct ActionRequest {
  orvo_actions::ActionAddress address;
  std::string args_json = "{}";
  // Called on the interface thread: once with the start answer (a refusal to resolve is a Rejected
  // answer) and, when that was InFlight, once more with the completion.
  std::function<void(const RequestReport&)> reply;
};

// The lock of the host's queue. A pane keeps its host by value and panes move while they are built,
// before any other thread knows them: a moved host gets a lock of its own.
struct QueueMutex : std::mutex {
  QueueMutex() = default;
  QueueMutex(QueueMutex&&) noexcept : std::mutex() {}
  QueueMutex& operator=(QueueMutex&&) noexcept { return *this; }
};

class ActionHost {
 public:
  using Resolver = std::function<std::expected<ResolvedOperation, std::string>(
      Widget& root, const orvo_actions::ControlInvocation&)>;

  // Replaces the resolver; without one the host resolves from the root's resource tree.
  void set_resolver(Resolver resolver) { resolver_ = std::move(resolver); }
  // Keeps a setting beyond the document (the application's own files). Asked once a setting action
  // is decoded, before the document is touched; an error refuses the action with its message and
  // leaves the document as it was.
  using SettingKeeper = std::function<std::expected<void, std::string>(const orvo_actions::TypedAction&)>;

  // Where setting actions are carried out; registry or document may be null, and then they are
  // refused. Without a keeper they change the document only.
  void set_setting_target(const orvo_actions::ActionRegistry* registry, orvo_doc::Document* document,
                          SettingKeeper keeper = {}) {
    registry_ = registry;
    document_ = document;
    keeper_ = std::move(keeper);
  }

  // --- typed dispatch and its record ---
  // The document's heads before the first successful dispatch; set once.
  std::optional<orvo_actions::Heads> first_heads;
  // The encoded action of the latest successful dispatch.
  std::optional<orvo_actions::EncodedAction> last_action;
  // Added to every dispatch: a given context is enriched by it, a missing one replaced by it.
  std::optional<orvo_actions::ActionContext> default_context;

  // Carries `action` (encoded as `encoded`) out on `document` through the executor with the
  // context of `dispatch_context`; on success records the heads and the action. A refusal or
  // failure leaves the document and the record as they were.
  std::expected<void, orvo_actions::ActionError> dispatch_typed(orvo_doc::Document& document,
                                                                const orvo_actions::TypedAction& action,
                                                                orvo_actions::EncodedAction encoded,
                                                                std::optional<orvo_actions::ActionContext> context);
  // The same; a failure is logged as the warning "action dispatch failed" and nothing is returned.
  void dispatch_with_context(orvo_doc::Document& document, const orvo_actions::TypedAction& action,
                             orvo_actions::EncodedAction encoded, std::optional<orvo_actions::ActionContext> context);

  // Whether the host started, carried out or completed anything since the last take: the loop then
  // runs one more frame so that what changed is drawn without waiting for input.
  bool take_acted() { return std::exchange(acted_, false); }

  // Resolves and starts a control's invocation; a failure is logged as "action dispatch failed".
  void dispatch(Widget& root, const orvo_actions::ControlInvocation& invocation);

  // Resolves and starts an action named by its address; a failure to resolve is a Rejected answer.
  StartAnswer request(Widget& root, const orvo_actions::ActionAddress& address, std::string_view args_json,
                      RequestId* id_out = nullptr);

  // Starts an operation with a fresh request id; an InFlight answer is kept for polling.
  StartAnswer start(Widget& root, const ResolvedOperation& operation, RequestId* id_out = nullptr);

  // Whether requests from outside are taken; the loop sets it from the application's
  // `accepts_external_actions`. Until then a submitted request is answered Rejected.
  void set_accepts_outside_requests(bool accepts) { accepts_outside_ = accepts; }

  // Queues a request from outside for the next poll and answers its ticket. Thread-safe.
  std::uint64_t submit(ActionRequest request);

  // Takes back a submitted request that no poll has taken yet: then it is never started and its
  // reply is never called, and the answer is true. False once a poll has taken it: it is then
  // started (or refused) and replied to as usual. Thread-safe.
  bool withdraw(std::uint64_t ticket);

  // Starts the queued outside requests, applies queued cancels, then polls every in-flight
  // operation once; finished ones are recorded (and replied to) and forgotten.
  void poll(Widget& root);

  // The next poll passes the cancel flag for this operation; when the root then reports nothing,
  // the operation ends as cancelled. Thread-safe; an unknown id is ignored.
  void cancel(const RequestId& id);

  std::size_t in_flight_count() const { return in_flight_.size(); }
  bool is_in_flight(const RequestId& id) const;
  // The operations that finished since the last take, the latest `kKeptCompletions` of them.
  std::vector<std::pair<RequestId, OperationCompletion>> take_completions();
  static constexpr std::size_t kKeptCompletions = 64;

 private:
  struct Pending {
    RequestId id;
    bool cancel = false;
    std::function<void(const RequestReport&)> reply;
  };
  std::expected<ResolvedOperation, std::string> resolve(Widget& root, const orvo_actions::ControlInvocation& invocation);
  StartAnswer run_setting(const ResolvedOperation& operation);
  void take_queued(Widget& root);

  Resolver resolver_;
  const orvo_actions::ActionRegistry* registry_ = nullptr;
  orvo_doc::Document* document_ = nullptr;
  SettingKeeper keeper_;
  bool acted_ = false;
  bool accepts_outside_ = false;
  std::vector<Pending> in_flight_;
  std::vector<std::pair<RequestId, OperationCompletion>> completions_;

  QueueMutex queue_mutex_;
  std::uint64_t last_ticket_ = 0;
  std::vector<std::pair<std::uint64_t, ActionRequest>> queued_requests_;
  std::vector<RequestId> queued_cancels_;
};

RequestId new_request_id();

// The context a dispatch carries: the given one enriched by the host's default, the default alone
// when none is given, the given one (possibly none) when the host has no default.
std::optional<orvo_actions::ActionContext> dispatch_context(
    const std::optional<orvo_actions::ActionContext>& host_default, std::optional<orvo_actions::ActionContext> given);

}  // namespace orvo_ui
