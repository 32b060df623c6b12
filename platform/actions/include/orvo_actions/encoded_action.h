#pragma once
// The encoded form of every invocation (an operation kind and a compact JSON payload), the error
// value of the action library, and the typed encoders that produce the encoded form.
#include <concepts>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace orvo_actions {

struct EncodedAction {
  std::string kind;
  std::string payload;

  friend bool operator==(const EncodedAction&, const EncodedAction&) = default;
};

struct ActionError {
  enum class Kind : std::uint8_t {
    Encoding,          // a value could not be written as JSON
    Decoding,          // a payload did not decode under its namespace
    UnknownNamespace,  // no decoder is registered for the namespace
    Document,          // the document refused or failed the change
    Refused,           // the action's own check refused it
  };
  Kind kind = Kind::Encoding;
  std::string action_namespace;  // set for Decoding and UnknownNamespace
  std::string message;

  // A readable sentence fragment, as logged and shown.
  std::string display() const;

  static ActionError encoding(std::string message);
  static ActionError decoding(std::string action_namespace, std::string message);
  static ActionError refused(std::string message);
  static ActionError document(std::string message);

  friend bool operator==(const ActionError&, const ActionError&) = default;
};

// A text as one JSON string, written as the strict JSON layer writes every payload: quotes,
// backslashes and control characters escaped, every other byte as it is. Cannot fail.
std::string json_string(std::string_view text);

// Pairs a kind with a payload writer's result: the payload text, or the writer's error as an
// encoding error (the partial text and the kind are dropped).
std::expected<EncodedAction, ActionError> encode_payload(std::string kind,
                                                         std::expected<std::string, std::string> payload);

// The id of a toolkit control; its payload is the id as a JSON string.
struct ControlId {
  std::string value;
  friend bool operator==(const ControlId&, const ControlId&) = default;
};

// A plain text or a control id under a kind: one JSON string. Cannot fail.
EncodedAction encode_text(std::string kind, std::string_view text);
EncodedAction encode_control_id(std::string kind, const ControlId& id);

// A typed value whose namespace provides `to_payload_json(const T&)`, answering its compact JSON
// text or an error text.
template <class T>
concept PayloadSerializable = requires(const T& value) {
  { to_payload_json(value) } -> std::convertible_to<std::expected<std::string, std::string>>;
};

template <PayloadSerializable T>
std::expected<EncodedAction, ActionError> encode_typed(std::string kind, const T& value) {
  return encode_payload(std::move(kind), to_payload_json(value));
}

// What an operation guard passes on: the encoded action when its kind is the declared one.
// Any other kind is a handler fault; it becomes the declared kind with an empty payload, which
// every decoder downstream refuses, so a mislabelled operation can never run under another kind.
EncodedAction enforce_operation_type(EncodedAction action, std::string_view declared_kind);

}  // namespace orvo_actions
