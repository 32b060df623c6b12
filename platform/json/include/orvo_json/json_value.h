#pragma once
// A field that holds any JSON value (a record's free-form settings object, for example) uses
// nlohmann::ordered_json. It is written compactly with its keys in their stored order and read from
// whatever value stands there; the strict reader has already checked its syntax and depth.
#include <nlohmann/json_fwd.hpp>

#include "orvo_json/codec.h"

namespace orvo_json {

template <>
struct Codec<nlohmann::ordered_json> {
  static void encode(Writer& w, const nlohmann::ordered_json& value);
  static nlohmann::ordered_json decode(Reader& r);
};

}  // namespace orvo_json
