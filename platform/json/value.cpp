#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "orvo_json/json_value.h"

namespace orvo_json {

nlohmann::ordered_json parse_value(std::string_view compact_text) {
  return nlohmann::ordered_json::parse(compact_text);
}

std::string value_text(const nlohmann::ordered_json& value) {
  // Invalid UTF-8 in a string becomes U+FFFD rather than an exception.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void Codec<nlohmann::ordered_json>::encode(Writer& w, const nlohmann::ordered_json& value) {
  if (value.is_discarded()) {
    w.null();
    return;
  }
  w.raw(value_text(value));
}

nlohmann::ordered_json Codec<nlohmann::ordered_json>::decode(Reader& r) {
  const std::string_view text = r.read_raw_value();
  try {
    return nlohmann::ordered_json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    r.fail(std::string("invalid JSON value: ") + e.what());
  }
}

}  // namespace orvo_json
