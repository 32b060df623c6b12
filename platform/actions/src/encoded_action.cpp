#include "orvo_actions/encoded_action.h"

#include "orvo_json/writer.h"
#include "orvo_log/log.h"

namespace orvo_actions {

std::string ActionError::display() const {
  switch (kind) {
    case Kind::Encoding:
      return "could not encode the action: " + message;
    case Kind::Decoding:
      return "could not decode a " + action_namespace + " action: " + message;
    case Kind::UnknownNamespace:
      return "no decoder is registered for the action namespace " + action_namespace;
    case Kind::Document:
      return "could not change the document: " + message;
    case Kind::Refused:
      return message;
  }
  return message;
}

ActionError ActionError::encoding(std::string message) { return {Kind::Encoding, {}, std::move(message)}; }
ActionError ActionError::decoding(std::string action_namespace, std::string message) {
  return {Kind::Decoding, std::move(action_namespace), std::move(message)};
}
ActionError ActionError::refused(std::string message) { return {Kind::Refused, {}, std::move(message)}; }
ActionError ActionError::document(std::string message) { return {Kind::Document, {}, std::move(message)}; }

std::string json_string(std::string_view text) {
  std::string out;
  orvo_json::Writer(out).string(text);
  return out;
}

std::expected<EncodedAction, ActionError> encode_payload(std::string kind,
                                                         std::expected<std::string, std::string> payload) {
  if (!payload) return std::unexpected(ActionError::encoding(std::move(payload.error())));
  return EncodedAction{std::move(kind), std::move(*payload)};
}

EncodedAction encode_text(std::string kind, std::string_view text) { return {std::move(kind), json_string(text)}; }

EncodedAction encode_control_id(std::string kind, const ControlId& id) { return encode_text(std::move(kind), id.value); }

EncodedAction enforce_operation_type(EncodedAction action, std::string_view declared_kind) {
  if (action.kind == declared_kind) return action;
  orvo_log::warn("operation kind does not match its declaration",
                 {{"declared", std::string(declared_kind)}, {"produced", action.kind}});
  return {std::string(declared_kind), {}};
}

}  // namespace orvo_actions
