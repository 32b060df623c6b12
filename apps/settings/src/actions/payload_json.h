#pragma once
// Definitions behind operation_payload.h, for the files that describe payloads and instantiate them.
#include "actions/operation_payload.h"
#include "orvo_json/json.h"

namespace settings::actions {

template <class Payload>
std::string encode_payload(const Payload& payload) {
  return orvo_json::encode(payload);
}

template <class Payload>
std::expected<Payload, orvo_json::Error> decode_payload(std::string_view json) {
  return orvo_json::decode<Payload>(json);
}

}  // namespace settings::actions
