#pragma once
// Running a decoded action against a document: the typed-action contract, the local transport and
// the executor that carries one action out.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "orvo_actions/context.h"
#include "orvo_actions/encoded_action.h"

namespace orvo_doc {
class Document;
}

namespace orvo_actions {

// A decoded action of some namespace.
class TypedAction {
 public:
  virtual ~TypedAction() = default;
  // A readable rendering for logs.
  virtual std::string debug() const = 0;
  // The action's own change of the document; a refusal leaves the document as it was.
  virtual std::expected<void, ActionError> apply_to_document(orvo_doc::Document& document) const = 0;
  // Whether the action only reads.
  virtual bool is_query() const { return false; }
};

// The transport of a dispatch inside this process; the peers list names who else hears of it.
struct LocalTransport {
  std::vector<std::string> peers;
};

// What a carried-out action leaves behind.
struct ActionReceipt {
  EncodedAction action;
  std::vector<std::uint8_t> actor;
  std::optional<ActionContext> context;
};

// Runs the action's document operation; its error is answered unchanged.
std::expected<ActionReceipt, ActionError> dispatch_by(orvo_doc::Document& document, const TypedAction& action,
                                                      EncodedAction encoded, const LocalTransport& transport,
                                                      std::vector<std::uint8_t> actor);
std::expected<ActionReceipt, ActionError> dispatch_by_with_context(orvo_doc::Document& document,
                                                                   const TypedAction& action, EncodedAction encoded,
                                                                   const LocalTransport& transport,
                                                                   std::vector<std::uint8_t> actor,
                                                                   ActionContext context);

}  // namespace orvo_actions
