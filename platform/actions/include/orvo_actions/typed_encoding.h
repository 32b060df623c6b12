#pragma once
// Typed encoding of values the strict JSON layer knows (records, tagged enumerations, texts): their
// compact JSON under a kind. Values that bring their own `to_payload_json` use that instead.
#include <expected>
#include <string>

#include "orvo_actions/encoded_action.h"
#include "orvo_json/json.h"

namespace orvo_actions {

template <class T>
concept TypedPayload = PayloadSerializable<T> || orvo_json::Encodable<T>;

template <class T>
  requires(!PayloadSerializable<T> && orvo_json::Encodable<T>)
std::expected<EncodedAction, ActionError> encode_typed(std::string kind, const T& value) {
  return EncodedAction{std::move(kind), orvo_json::encode(value)};
}

}  // namespace orvo_actions
