#include <nlohmann/json.hpp>

#include "orvo_json/json.h"

namespace orvo_json {

nlohmann::ordered_json parse_value(std::string_view compact_text) {
  return nlohmann::ordered_json::parse(compact_text);
}

std::string value_text(const nlohmann::ordered_json& value) {
  // Invalid UTF-8 in a string becomes U+FFFD rather than an exception.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace orvo_json
