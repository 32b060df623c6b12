#include "orvo_actions/executor.h"

namespace orvo_actions {
namespace {

std::expected<ActionReceipt, ActionError> run(orvo_doc::Document& document, const TypedAction& action,
                                              EncodedAction encoded, std::vector<std::uint8_t> actor,
                                              std::optional<ActionContext> context) {
  if (auto applied = action.apply_to_document(document); !applied) return std::unexpected(std::move(applied.error()));
  return ActionReceipt{std::move(encoded), std::move(actor), std::move(context)};
}

}  // namespace

std::expected<ActionReceipt, ActionError> dispatch_by(orvo_doc::Document& document, const TypedAction& action,
                                                      EncodedAction encoded, const LocalTransport&,
                                                      std::vector<std::uint8_t> actor) {
  return run(document, action, std::move(encoded), std::move(actor), std::nullopt);
}

std::expected<ActionReceipt, ActionError> dispatch_by_with_context(orvo_doc::Document& document,
                                                                   const TypedAction& action, EncodedAction encoded,
                                                                   const LocalTransport&,
                                                                   std::vector<std::uint8_t> actor,
                                                                   ActionContext context) {
  return run(document, action, std::move(encoded), std::move(actor), std::move(context));
}

}  // namespace orvo_actions
