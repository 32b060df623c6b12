#include <algorithm>

#include <nlohmann/json.hpp>

#include "orvo_json/json.h"
#include "orvo_json/json_value.h"
#include "orvo_json/unknown_members.h"

namespace orvo_json {

nlohmann::ordered_json parse_value(std::string_view compact_text) {
  return nlohmann::ordered_json::parse(compact_text);
}

std::string value_text(const nlohmann::ordered_json& value) {
  // Invalid UTF-8 in a string becomes U+FFFD rather than an exception.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void append_unknown_members(std::string& object_text, std::string_view existing,
                            const std::vector<std::string_view>& known) {
  if (object_text.size() < 2 || object_text.back() != '}') return;
  auto stored = decode<nlohmann::ordered_json>(existing);
  if (!stored || !stored->is_object()) return;
  std::string tail;
  for (const auto& [key, member] : stored->items()) {
    if (std::find(known.begin(), known.end(), key) != known.end()) continue;
    tail += ',';
    tail += value_text(nlohmann::ordered_json(key));
    tail += ':';
    tail += value_text(member);
  }
  if (tail.empty()) return;
  object_text.pop_back();
  if (object_text.back() == '{') tail.erase(0, 1);
  object_text += tail;
  object_text += '}';
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
